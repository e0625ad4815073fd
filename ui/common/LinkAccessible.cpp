#include "ui/common/LinkAccessible.h"

#include <QLabel>
#include <QMetaObject>
#include <QVariant>

namespace pellimor {

namespace {
QAccessibleInterface* linkFactory(const QString& /*className*/, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->property(LinkAccessible::HandlerProperty).isValid())
        return new LinkAccessible(widget);
    return nullptr;
}
} // namespace

LinkAccessible::LinkAccessible(QWidget* widget)
    : QAccessibleWidget(widget, QAccessible::Link)
{
}

QString LinkAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) {
        if (auto* label = qobject_cast<QLabel*>(widget()); label && !label->text().isEmpty())
            return label->text();
    }
    return QAccessibleWidget::text(kind);
}

QStringList LinkAccessible::actionNames() const
{
    return {pressAction()};
}

void LinkAccessible::doAction(const QString& actionName)
{
    if (actionName != pressAction())
        return;
    const QByteArray handler = widget()->property(HandlerProperty).toByteArray();
    QMetaObject::invokeMethod(widget()->window(), handler.constData());
}

void LinkAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(linkFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace pellimor
