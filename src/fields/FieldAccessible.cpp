#include "fields/FieldAccessible.h"

#include "fields/FieldCombo.h"

#include <QAbstractItemView>
#include <QLineEdit>

namespace quill {

FieldAccessible::FieldAccessible(QWidget* field)
    : QAccessibleWidget(field, QAccessible::ComboBox) {}

QString FieldAccessible::text(QAccessible::Text kind) const {
    const auto* field = static_cast<const QComboBox*>(widget());
    switch (kind) {
    case QAccessible::Name:
        if (!field->accessibleName().isEmpty())
            return field->accessibleName();
        return field->lineEdit() ? field->lineEdit()->text() : field->currentText();
    case QAccessible::Value:
        return field->lineEdit() ? field->lineEdit()->text() : field->currentText();
    default:
        return QAccessibleWidget::text(kind);
    }
}

QAccessible::State FieldAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.expandable = true;
    state.expanded = static_cast<const QComboBox*>(widget())->view()->isVisible();
    state.collapsed = !state.expanded;
    return state;
}

QAccessibleInterface* FieldAccessible::create(const QString& className, QObject* object) {
    if (className == QLatin1StringView(FieldCombo::staticMetaObject.className()) &&
        object->isWidgetType())
        return new FieldAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace quill
