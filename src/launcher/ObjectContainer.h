#pragma once

#include "launcher/Starter.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>
#include <optional>

namespace quill {

// What the container holds: a link to a file or folder (by its absolute path), or a desktop
// application that is started without a file (by its desktop file id).
struct ContainedObject {
    enum class Kind { Link, Application };
    Kind kind = Kind::Link;
    QByteArray target;

    bool operator==(const ContainedObject&) const = default;
};

// The main window's hidden object container: it holds one object or none, and starts the object
// it holds through the starter.
class ObjectContainer {
public:
    explicit ObjectContainer(std::shared_ptr<Starter> starter);

    const std::optional<ContainedObject>& object() const { return object_; }

    // Holds the application; an empty id leaves the container empty.
    void loadApplication(const QByteArray& applicationId);
    void release();
    // Releases the object held, then links the path (a relative one is taken against the
    // working directory) and activates it. When the path names nothing that exists (a missing
    // file, a dangling link, an empty text) the container stays empty and LaunchFailure is
    // thrown. Once linked, the container keeps the link whether or not activation succeeds.
    void linkAndActivate(QByteArrayView path);
    // Starts the object held: a regular file with execute permission that is a program (an ELF
    // image or a script starting with "#!") runs as a program, a folder or any other file opens
    // with the desktop's default application for its type. Throws
    // EmptyContainerFailure when the container holds nothing and LaunchFailure when the start
    // fails.
    void activate();

private:
    std::shared_ptr<Starter> starter_;
    std::optional<ContainedObject> object_;
};

} // namespace quill
