#pragma once

#include <QAccessibleWidget>

namespace pellimor {

// Labels and pictures that open the web site are links to assistive technology too:
// the role of a link, their text or tooltip as name, and a press action that does
// what a click does. A widget becomes one by carrying the property "linkHandler",
// the name of the slot of its window that handles its click.
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(QWidget* widget);

    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;

    // Installs the factory that hands out this interface; safe to call repeatedly.
    static void install();
    static constexpr const char* HandlerProperty = "linkHandler";
};

} // namespace pellimor
