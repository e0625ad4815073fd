#include "ui/converter/ResultAnnouncer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QtGlobal>

namespace pellimor {

namespace {

class NotificationAccessible : public QAccessibleWidget {
public:
    explicit NotificationAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Notification)
    {
    }

    // Only the line: Qt would lend a child of a titled frame the frame's caption as a label,
    // which a reader would then say instead of the line.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation /*match*/) const override
    {
        return {};
    }
};

QAccessibleInterface* notificationFactory(const QString& /*className*/, QObject* object)
{
    if (auto* announcer = qobject_cast<ResultAnnouncer*>(object))
        return new NotificationAccessible(announcer);
    return nullptr;
}

} // namespace

ResultAnnouncer::ResultAnnouncer(QLineEdit& resultBox, QWidget* parent)
    : QWidget(parent)
    , m_resultBox(&resultBox)
{
    setObjectName(QStringLiteral("resultAnnouncer"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(0, 0);
    hide();
    connect(&resultBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            queue(text, false);
    });
}

void ResultAnnouncer::announce(const QString& line)
{
    queue(line, true);
}

void ResultAnnouncer::queue(const QString& line, bool newValue)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    if (newValue && m_resultBox) {
        QAccessibleValueChangeEvent changed(m_resultBox, line);
        QAccessible::updateAccessibility(&changed);
    }
    if (!line.isEmpty() && m_resultBox) {
        QAccessibleAnnouncementEvent event(m_resultBox, line);
        QAccessible::updateAccessibility(&event);
    }
#else
    // With no one listening a line would only cost the request time: showing a widget,
    // even one of no size, is a good part of what writing the line costs.
    if (!QAccessible::isActive()) {
        hide();
        return;
    }
    // Said once the line is on screen: telling assistive technology goes over the bus
    // and would hold back the paint that shows the line, which a person waits for as
    // much as for the words. The window's repaint is posted at low priority; this comes
    // after it. A later line before then takes this one's place.
    m_line = line;
    m_newValue = m_newValue || newValue;
    if (!m_due) {
        m_due = true;
        QCoreApplication::postEvent(this, new QEvent(AnnounceEvent), Qt::LowEventPriority - 1);
    }
#endif
}

bool ResultAnnouncer::event(QEvent* event)
{
    if (event->type() != AnnounceEvent)
        return QWidget::event(event);
    m_due = false;
    // The box's new value, for readers that follow it, then the line for those that do not.
    if (m_newValue && m_resultBox) {
        QAccessibleValueChangeEvent changed(m_resultBox, m_line);
        QAccessible::updateAccessibility(&changed);
    }
    m_newValue = false;
    // Hidden first, so that even the same line again comes into view and is heard.
    hide();
    setAccessibleName(m_line);
    if (!m_line.isEmpty())
        show();
    return true;
}

void ResultAnnouncer::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(notificationFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace pellimor
