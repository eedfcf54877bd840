#pragma once

#include <QByteArrayView>

#include <string>
#include <string_view>

namespace quill {

// One name pattern with the matching rules users know from file dialogs: letter case is
// ignored, "*" matches any run of characters and "?" one character; "*." asks for names
// without an extension, "name.*" also matches "name", a "?" before a dot or at the end may
// match nothing, and "*.*" matches every name, dotless ones included.
class Wildcard {
public:
    explicit Wildcard(QByteArrayView pattern);

    // A name's characters with letter case folded, the form matches() compares.
    static std::u32string folded(QByteArrayView name);

    bool matches(QByteArrayView name) const { return matches(folded(name)); }
    bool matches(std::u32string_view foldedName) const;

private:
    std::u32string tokens_;
};

} // namespace quill
