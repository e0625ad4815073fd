#include "fakes/FakeServices.h"
#include "pellimor_version.h"
#include "platform/MessageBoxes.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

#ifdef PELLIMOR_HAVE_QPA_ACCESSIBILITY
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

using namespace pellimor;
using namespace pellimor::test;

namespace {

// What assistive technology was told: new texts and values, and for each alert every
// name, value and description it and its parts carry.
struct Heard {
    QList<std::pair<QObject*, QString>> changes;
    QList<QStringList> alerts;
};
Heard* g_heard = nullptr;

void collectTexts(QAccessibleInterface* node, QStringList& texts, int depth = 0)
{
    if (!node || depth > 8)
        return;
    for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Value, QAccessible::Description})
        if (const QString text = node->text(kind); !text.isEmpty())
            texts << text;
    for (int i = 0; i < node->childCount(); ++i)
        collectTexts(node->child(i), texts, depth + 1);
}

void listen(QAccessibleEvent* event)
{
    if (!g_heard)
        return;
    if (event->type() == QAccessible::ValueChanged)
        g_heard->changes.append({event->object(), static_cast<QAccessibleValueChangeEvent*>(event)->value().toString()});
    else if (event->type() == QAccessible::TextUpdated)
        g_heard->changes.append({event->object(), static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted()});
    else if (event->type() == QAccessible::TextInserted)
        g_heard->changes.append({event->object(), static_cast<QAccessibleTextInsertEvent*>(event)->textInserted()});
    if (event->type() != QAccessible::Alert)
        return;
    collectTexts(event->accessibleInterface(), g_heard->alerts.emplace_back());
    // The alert answers the message box once the box's own event loop runs.
    if (auto* box = qobject_cast<QMessageBox*>(event->object()))
        QMetaObject::invokeMethod(box, [box] { box->done(QMessageBox::Ok); }, Qt::QueuedConnection);
}

// Listens to every accessibility update while it lives.
struct Listener : Heard {
    QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(listen);
    Listener() { g_heard = this; }
    ~Listener()
    {
        g_heard = nullptr;
        QAccessible::installUpdateHandler(previous);
    }
};

// No screen reader listens to a headless test, so the test switches listening on itself.
bool switchAccessibilityOn()
{
#ifdef PELLIMOR_HAVE_QPA_ACCESSIBILITY
    if (QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration())
        if (QPlatformAccessibility* accessibility = integration->accessibility())
            accessibility->setActive(true);
#endif
    return QAccessible::isActive();
}

// A control's name and the labels it is related to: desktops where a combo box's name
// is its current text take its label from the frame around it.
QStringList calledBy(QAccessibleInterface* iface)
{
    QStringList names{iface->text(QAccessible::Name)};
    for (const auto& label : iface->relations(QAccessible::Label))
        names << label.first->text(QAccessible::Name);
    return names;
}

struct Windows {
    FakeServices fakes;
    std::unique_ptr<QWidget> window;

    QWidget* open(const QString& name)
    {
        if (name == QLatin1String("converter"))
            window = std::make_unique<frmGUI>(fakes.services());
        else if (name == QLatin1String("about"))
            window = std::make_unique<frmAbout>(fakes.services());
        else if (name == QLatin1String("agreement"))
            window = std::make_unique<frmAgreement>();
        else
            window = std::make_unique<frmSplash>();
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get()) ? window.get() : nullptr;
    }
};

// Keys arrive where a keyboard's would: at the window, then on to the focus.
void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

QString focusName()
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(nothing)");
}

// Arrows in the focused list to the unit; Space picks it if the arrows did not.
bool pickByArrows(QWidget* window, QListWidget* list, const QString& unit)
{
    const QList<QListWidgetItem*> found = list->findItems(unit, Qt::MatchExactly);
    if (found.size() != 1 || QApplication::focusWidget() != list)
        return false;
    const int target = list->row(found.first());
    for (int step = 0; step <= list->count() && list->currentRow() != target; ++step)
        press(window, list->currentRow() < target ? Qt::Key_Down : Qt::Key_Up);
    if (!found.first()->isSelected())
        press(window, Qt::Key_Space);
    return list->selectedItems() == found;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_listening = switchAccessibilityOn(); }
    void namesAndRoles_data();
    void namesAndRoles();
    void messageBoxTextIsAnnounced_data();
    void messageBoxTextIsAnnounced();
    void keyboardOnlyConversion_data();
    void keyboardOnlyConversion();
    void accessKeys_data();
    void accessKeys();

private:
    bool m_listening = false;
};

void TestAccessibility::namesAndRoles_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");             // none: a decoration, silent and passed over
    QTest::addColumn<QAccessible::Role>("role");   // a Link's press opens the web site
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("shortcut");

    using A = QAccessible;
    // The fields are named after their frames, the way a sighted user finds them.
    QTest::newRow("category") << "converter" << "cmbCategory" << "Category" << A::ComboBox << false << "";
    QTest::newRow("quantity") << "converter" << "txtQuantity" << "Quantity" << A::EditableText << false << "";
    QTest::newRow("From") << "converter" << "lstFrom" << "Convert From..." << A::List << false << "";
    QTest::newRow("To") << "converter" << "lstTo" << "To..." << A::List << false << "";
    QTest::newRow("result") << "converter" << "txtResult" << "Result" << A::EditableText << true << "";
    QTest::newRow("web address") << "converter" << "lblURL" << PELLIMOR_WEB_HOST << A::Link << false << "";
    QTest::newRow("learn link") << "converter" << "lblLearn" << "Learn to cook online!" << A::Link << false << "";
    QTest::newRow("logo link") << "converter" << "imgLogo" << "Pellimor" << A::Link << false << "";
    // Captions without the access key's marker; the key told apart.
    QTest::newRow("About OK") << "about" << "cmdOK" << "OK" << A::Button << false << "Enter";
    QTest::newRow("About agreement") << "about" << "cmdAgreement" << "Agreement..." << A::Button << false << "Alt+A";
    QTest::newRow("About system info") << "about" << "cmdSysInfo" << "System Info..." << A::Button << false << "Alt+S";
    // A Tab stop says what it is when the focus lands on it.
    QTest::newRow("About icon") << "about" << "picIcon" << "Pellimor" << A::Graphic << true << "";
    QTest::newRow("About version") << "about" << "lblVersion" << "Version 1.4.3" << A::StaticText << true << "";
    QTest::newRow("agreement text") << "agreement" << "txtAgreement" << "Freeware Licensing Agreement"
                                    << A::EditableText << true << "";
    QTest::newRow("agreement OK") << "agreement" << "cmdOK" << "OK" << A::Button << false << "";
    // The splash has no title bar; its name is said as it appears.
    QTest::newRow("splash") << "splash" << "frmSplash" << "Pellimor" << A::Client << false << "";

    for (const char* guide : {"imgCategory", "imgQuantity", "imgFrom", "imgTo"})
        QTest::addRow("converter %s", guide) << "converter" << guide << "" << A::Graphic << false << "";
    for (const char* flash : {"imgRadis", "imgCarotte", "imgTomate", "imgPoivron"})
        for (const char* window : {"converter", "splash"})
            QTest::addRow("%s %s", window, flash) << window << flash << "" << A::Graphic << false << "";
    QTest::newRow("splash logo") << "splash" << "imgLogo" << "" << A::Graphic << false << "";
}

void TestAccessibility::namesAndRoles()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QAccessible::Role, role);
    QFETCH(bool, readOnly);
    QFETCH(QString, shortcut);

    Windows windows;
    QWidget* shown = windows.open(window);
    QVERIFY(shown);
    QWidget* widget = shown->objectName() == control ? shown : shown->findChild<QWidget*>(control);
    QVERIFY2(widget, qPrintable(control));
    widget->show();   // a decoration stays one when it is seen

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    QAccessibleActionInterface* actions = iface->actionInterface();
    if (name.isEmpty()) {
        QCOMPARE(iface->text(QAccessible::Name), QString());
        QCOMPARE(iface->text(QAccessible::Description), QString());
        QVERIFY(!iface->state().focusable);
        QVERIFY(!actions || actions->actionNames().isEmpty());
        return;
    }
    QVERIFY2(calledBy(iface).contains(name), qPrintable(calledBy(iface).join(QLatin1Char('|'))));
    QCOMPARE(iface->role(), role);
    QCOMPARE(bool(iface->state().readOnly), readOnly);
    if (!shortcut.isEmpty())
        QCOMPARE(iface->text(QAccessible::Accelerator), shortcut);
    // What can be named can be found: the control hangs in its window's tree.
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(shown);
    QAccessibleInterface* up = iface;
    while (up && up != root)
        up = up->parent();
    QCOMPARE(up, root);

    if (role != QAccessible::Link)
        return;
    QVERIFY(actions);
    QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    actions->doAction(QAccessibleActionInterface::toggleAction());   // not a link's action
    QVERIFY(windows.fakes.browser.opened.isEmpty());
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(windows.fakes.browser.opened, QList<QUrl>{frmGUI::webAddress()});
    QVERIFY(windows.fakes.messages.shown.isEmpty());
}

void TestAccessibility::messageBoxTextIsAnnounced_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");

    QTest::newRow("stop, own title")
        << "The value in the Category list box is invalid.\n\nPlease select a valid value from the list."
        << int(Critical) << "Invalid Value" << "Invalid Value";
    QTest::newRow("OK only, application title")
        << "System Information Is Unavailable At This Time" << int(OkOnly) << "" << "Pellimor";
}

void TestAccessibility::messageBoxTextIsAnnounced()
{
    QFETCH(QString, text);
    QFETCH(int, style);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    if (!m_listening)
        QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");

    QApplication::setApplicationDisplayName(QStringLiteral("Pellimor"));
    Listener listener;
    // Should no alert come, the box is answered anyway so the test cannot hang.
    QTimer::singleShot(0, qApp, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->done(QMessageBox::Ok);
    });
    MessageBoxes().show(text, style, title);

    QCOMPARE(listener.alerts.size(), 1);
    const QStringList& said = listener.alerts.first();
    QVERIFY2(said.contains(text) && said.contains(caption), qPrintable(said.join(QLatin1Char('|'))));
}

void TestAccessibility::keyboardOnlyConversion_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<bool>("throughList");   // open the category list rather than step through it
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("line");

    QTest::newRow("180 Celcius to gas mark, arrows")
        << "Temperatures" << false << "180" << "Celcius" << "Gas Mark" << "180\u00B0 Celcius = Gas Mark 4";
    QTest::newRow("2 pounds to kilograms, open list")
        << "Weights" << true << "2" << "Pound" << "Kilogram" << "2 Pounds = 0.909 Kilogram";
}

void TestAccessibility::keyboardOnlyConversion()
{
    QFETCH(QString, category);
    QFETCH(bool, throughList);
    QFETCH(QString, quantity);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, line);

    Windows windows;
    QWidget* window = windows.open(QStringLiteral("converter"));
    QVERIFY(window);
    auto* cmbCategory = window->findChild<QComboBox*>("cmbCategory");
    auto* lstFrom = window->findChild<QListWidget*>("lstFrom");
    auto* lstTo = window->findChild<QListWidget*>("lstTo");
    auto* txtResult = window->findChild<QLineEdit*>("txtResult");
    QCOMPARE(focusName(), QStringLiteral("cmbCategory"));
    Listener listener;

    // Each arrow step is a pick that sends the focus on, so Shift+Tab comes back.
    if (throughList) {
        press(window, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(cmbCategory->view()->isVisible());
        for (int step = 0; step < cmbCategory->count()
                           && cmbCategory->view()->currentIndex().data().toString() != category; ++step)
            press(window, Qt::Key_Down);
        press(window, Qt::Key_Return);
        QTRY_VERIFY(!cmbCategory->view()->isVisible());
    } else {
        for (int step = 0; step < cmbCategory->count() && cmbCategory->currentText() != category; ++step) {
            if (focusName() != QLatin1String("cmbCategory"))
                press(window, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(focusName(), QStringLiteral("cmbCategory"));
            press(window, Qt::Key_Down);
        }
    }
    QCOMPARE(cmbCategory->currentText(), category);
    QCOMPARE(focusName(), QStringLiteral("txtQuantity"));

    for (const QChar c : quantity)   // typed over the selected placeholder
        QTest::keyClick(window->windowHandle(), c.toLatin1());
    press(window, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("lstFrom"));
    QVERIFY(pickByArrows(window, lstFrom, from));
    press(window, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("lstTo"));
    QVERIFY(pickByArrows(window, lstTo, to));
    QCOMPARE(txtResult->text(), line);
    QVERIFY(windows.fakes.messages.shown.isEmpty());

    // Tab selects the whole line, Ctrl+C copies it.
    QGuiApplication::clipboard()->clear();
    press(window, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("txtResult"));
    QCOMPARE(txtResult->selectedText(), line);
    press(window, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), line);

    // The new line was told to screen readers as it came.
    if (!m_listening)
        QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
    QVERIFY(listener.changes.contains({txtResult, line}));
}

void TestAccessibility::accessKeys_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focus");      // where the focus starts
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("menu");       // the menu the first key opens, if any
    QTest::addColumn<QString>("outcome");    // everything that happened, joined by '+'

    QTest::newRow("Alt+F, X: exit") << "converter" << "cmbCategory" << "Alt+F, X" << "mnuFile" << "closed";
    QTest::newRow("Alt+O, G: web site") << "converter" << "cmbCategory" << "Alt+O, G" << "mnuOptions" << "browser";
    QTest::newRow("Alt+H, A: about") << "converter" << "cmbCategory" << "Alt+H, A" << "mnuHelp" << "about";
    QTest::newRow("Alt+F, Escape") << "converter" << "cmbCategory" << "Alt+F, Esc" << "mnuFile" << "";
    QTest::newRow("About, Alt+A") << "about" << "cmdOK" << "Alt+A" << "" << "agreement";
    QTest::newRow("About, Alt+S") << "about" << "cmdOK" << "Alt+S" << "" << "message";
    QTest::newRow("About, Enter") << "about" << "cmdOK" << "Return" << "" << "closed";
    QTest::newRow("About, Escape") << "about" << "cmdOK" << "Esc" << "" << "closed";
    QTest::newRow("agreement, Escape") << "agreement" << "cmdOK" << "Esc" << "" << "closed";
    QTest::newRow("agreement, Space on OK") << "agreement" << "cmdOK" << "Space" << "" << "closed";
}

void TestAccessibility::accessKeys()
{
    QFETCH(QString, window);
    QFETCH(QString, focus);
    QFETCH(QString, keys);
    QFETCH(QString, menu);
    QFETCH(QString, outcome);

    Windows windows;
    QWidget* shown = windows.open(window);
    QVERIFY(shown);
    QCOMPARE(focusName(), focus);
    std::unique_ptr<QSignalSpy> about, agreement;
    if (auto* converter = qobject_cast<frmGUI*>(shown))
        about = std::make_unique<QSignalSpy>(converter, &frmGUI::aboutRequested);
    if (auto* aboutBox = qobject_cast<frmAbout*>(shown))
        agreement = std::make_unique<QSignalSpy>(aboutBox, &frmAbout::agreementRequested);
    const auto happened = [&] {
        QStringList all(shown->isVisible() ? 0 : 1, QStringLiteral("closed"));
        all += QStringList(windows.fakes.browser.opened.size(), QStringLiteral("browser"));
        all += QStringList(about ? about->size() : 0, QStringLiteral("about"));
        all += QStringList(agreement ? agreement->size() : 0, QStringLiteral("agreement"));
        all += QStringList(windows.fakes.messages.shown.size(), QStringLiteral("message"));
        return all.join(QLatin1Char('+'));
    };

    const QKeySequence sequence(keys);
    QMenu* popup = menu.isEmpty() ? nullptr : shown->findChild<QMenu*>(menu);
    QVERIFY(menu.isEmpty() || popup);
    for (int i = 0; i < sequence.count(); ++i) {
        press(shown, sequence[i].key(), sequence[i].keyboardModifiers());
        if (popup)
            QTRY_COMPARE(popup->isVisible(), i == 0);
    }
    // An access key presses its button the way a click would, pressed-in for a moment.
    QTRY_COMPARE(happened(), outcome);
    QTest::qWait(50);
    QCOMPARE(happened(), outcome);   // and nothing more follows
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
