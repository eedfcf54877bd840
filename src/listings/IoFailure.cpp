#include "listings/IoFailure.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace quill {

IoFailure::IoFailure(int errorNumber)
    : Failure(messageFor(errorNumber)), errorNumber_(errorNumber) {}

QString IoFailure::messageFor(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
        return u"File not found"_s;
    case ENOTDIR:
        return u"Invalid filename"_s;
    case EMFILE:
    case ENFILE:
        return u"Too many open files"_s;
    case EACCES:
    case EPERM:
        return u"File access denied"_s;
    case ENOSPC:
        return u"Disk full"_s;
    default:
        return u"I/O error %1"_s.arg(errorNumber);
    }
}

} // namespace quill
