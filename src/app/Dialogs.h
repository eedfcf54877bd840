#pragma once

#include <QString>

#include <optional>

namespace quill {

// Everything a command asks of the user goes through here, so tests can answer.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The prompt dialog: the answer when confirmed, nothing when cancelled.
    virtual std::optional<QString> prompt(const QString& caption, const QString& label,
                                          const QString& text) = 0;
    // A question with OK and Cancel and the question icon; true for OK.
    virtual bool askOkCancel(const QString& text, const QString& title) = 0;
    // The platform's beep.
    virtual void beep() = 0;
    // The failure report: OK button, stop icon.
    virtual void reportFailure(const QString& text, const QString& title) = 0;
};

} // namespace quill
