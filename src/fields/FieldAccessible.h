#pragma once

#include <QAccessibleWidget>

namespace quill {

// What assistive tools see of a field: its accessible name says what the field is, its value is
// the edit text. Qt's own combo box interface on Linux names a combo box by its current text, so
// a screen reader would announce the entry instead of the field.
class FieldAccessible : public QAccessibleWidget {
public:
    explicit FieldAccessible(QWidget* field);

    QString text(QAccessible::Text kind) const override;
    QAccessible::State state() const override;

    // The accessibility factory for fields; the first field installs it.
    static QAccessibleInterface* create(const QString& className, QObject* object);
};

} // namespace quill
