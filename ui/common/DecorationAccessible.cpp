#include "ui/common/DecorationAccessible.h"

#include <QVariant>
#include <QWidget>

namespace pellimor {

namespace {
QAccessibleInterface* decorationFactory(const QString& /*className*/, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->property(DecorationAccessible::DecorativeProperty).toBool())
        return new DecorationAccessible(widget);
    return nullptr;
}
} // namespace

DecorationAccessible::DecorationAccessible(QWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Graphic)
{
}

QString DecorationAccessible::text(QAccessible::Text /*kind*/) const
{
    return {};
}

QAccessible::State DecorationAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.invisible = true;
    return state;
}

bool DecorationAccessible::isValid() const
{
    return false;
}

void DecorationAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(decorationFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace pellimor
