#pragma once

#include "app/Dialogs.h"

class QWidget;

namespace quill {

// The real dialogs: the prompt dialog, message boxes and the platform beep.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    std::optional<QString> prompt(const QString& caption, const QString& label,
                                  const QString& text) override;
    bool askOkCancel(const QString& text, const QString& title) override;
    void beep() override;
    void reportFailure(const QString& text, const QString& title) override;
    std::unique_ptr<Progress> startProgress(const QString& caption, qint64 total) override;

private:
    QWidget* owner_;
};

} // namespace quill
