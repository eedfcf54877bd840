#pragma once

#include "launcher/Starter.h"

namespace quill {

// The desktop's way of starting things: programs by a double fork and exec, files and
// applications through GIO (the freedesktop rules: mimeapps.list and .desktop files).
class GioStarter : public Starter {
public:
    void startProgram(const QByteArray& program) override;
    void openFile(const QByteArray& path) override;
    void startApplication(const QByteArray& applicationId) override;
    QByteArray defaultApplicationFor(const QByteArray& mimeType) override;
};

} // namespace quill
