#include "generators/OrdinalCharacters.h"

#include "core/EntryList.h"

namespace quill {

bool appendOrdinalCharacters(EntryList& list) {
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const char entry[] = {letter, ','};
        if (!list.append(QByteArrayView(entry, 2)))
            return false;
    }
    return true;
}

} // namespace quill
