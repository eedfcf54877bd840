#include "launcher/LaunchFailure.h"

#include <QtGlobal>

namespace quill {

LaunchFailure LaunchFailure::fromErrorNumber(int errorNumber) {
    return LaunchFailure(qt_error_string(errorNumber));
}

EmptyContainerFailure::EmptyContainerFailure()
    : Failure(QStringLiteral("Operation not allowed on an empty OLE container")) {}

} // namespace quill
