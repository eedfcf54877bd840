#pragma once

#include "dialogs/Dialogs.h"

#include <QProgressDialog>

namespace quill {

// A modal progress window with Cancel. It stays hidden when the work ends within about half a
// second; every update lets the windows repaint, and once it is shown, react to the user.
class QtProgress : public Dialogs::Progress {
public:
    QtProgress(QWidget* owner, const QString& caption, qint64 total);

    bool update(qint64 done) override;

private:
    static constexpr int scale = 1000;

    QProgressDialog dialog_;
    qint64 total_;
};

} // namespace quill
