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
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
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

// What assistive technology was told, as the platform bridge would have passed it on.
struct Announcement {
    QAccessible::Event type;
    QPointer<QObject> object;
    QString text;           // the new text or value of a change
    QStringList texts;      // for an alert: every name and value it and its parts carry
};

QList<Announcement>* g_heard = nullptr;

void collectTexts(QAccessibleInterface* node, QStringList& texts, int depth = 0)
{
    if (!node || depth > 8)
        return;
    for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Value, QAccessible::Description}) {
        const QString text = node->text(kind);
        if (!text.isEmpty())
            texts << text;
    }
    for (int i = 0; i < node->childCount(); ++i)
        collectTexts(node->child(i), texts, depth + 1);
}

void listen(QAccessibleEvent* event)
{
    if (!g_heard)
        return;
    Announcement heard{event->type(), event->object(), {}, {}};
    switch (event->type()) {
    case QAccessible::ValueChanged:
        heard.text = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
        break;
    case QAccessible::TextUpdated:
        heard.text = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
        break;
    case QAccessible::TextInserted:
        heard.text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
        break;
    case QAccessible::Alert:
        collectTexts(event->accessibleInterface(), heard.texts);
        // A real message box waits for its OK; here the alert itself answers it, once
        // the box's own event loop runs.
        if (auto* box = qobject_cast<QMessageBox*>(event->object()))
            QMetaObject::invokeMethod(box, [box] { box->done(QMessageBox::Ok); },
                                      Qt::QueuedConnection);
        break;
    default:
        break;
    }
    g_heard->append(heard);
}

// Listens to every accessibility update while it lives.
class Listener {
public:
    Listener() : m_previous(QAccessible::installUpdateHandler(listen)) { g_heard = &heard; }
    ~Listener()
    {
        g_heard = nullptr;
        QAccessible::installUpdateHandler(m_previous);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    QList<Announcement> heard;

    bool heardText(QObject* object, const QString& text) const
    {
        for (const Announcement& a : heard)
            if (a.object == object && a.text == text
                && (a.type == QAccessible::ValueChanged || a.type == QAccessible::TextUpdated
                    || a.type == QAccessible::TextInserted))
                return true;
        return false;
    }

private:
    QAccessible::UpdateHandler m_previous;
};

// Qt hands out accessibility events only while assistive technology listens. No screen
// reader listens to a headless test, so the test switches listening on itself.
bool switchAccessibilityOn()
{
#ifdef PELLIMOR_HAVE_QPA_ACCESSIBILITY
    if (QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration())
        if (QPlatformAccessibility* accessibility = integration->accessibility())
            accessibility->setActive(true);
#endif
    return QAccessible::isActive();
}

// What a screen reader calls a control: its name, and the labels it is related to.
// Desktops where a combo box's name is its current text take its label from the frame
// around it.
QStringList calledBy(QAccessibleInterface* iface)
{
    QStringList names{iface->text(QAccessible::Name)};
    const auto labels = iface->relations(QAccessible::Label);
    for (const auto& label : labels)
        names << label.first->text(QAccessible::Name);
    return names;
}

// The windows the tests look at, each on fresh fakes.
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
        else if (name == QLatin1String("splash"))
            window = std::make_unique<frmSplash>();
        else
            return nullptr;
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get()) ? window.get() : nullptr;
    }
};

// Keys arrive where a keyboard's would: at the window, then on to whatever has the focus.
void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window->windowHandle(), key, modifiers);
}

void type(QWidget* window, const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(window->windowHandle(), c.toLatin1());
}

QString focusName()
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QStringLiteral("(nothing)");
}

int rowOf(const QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    return found.size() == 1 ? list->row(found.first()) : -1;
}

QString selectedText(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

// Arrows in the focused list until the unit is picked; Space picks the row the focus
// rectangle is on. False when the keys could not get there.
bool pickByArrows(QWidget* window, QListWidget* list, const QString& unit)
{
    const int target = rowOf(list, unit);
    for (int step = 0; target >= 0 && step <= list->count() + 1; ++step) {
        if (selectedText(list) == unit)
            return true;
        if (QApplication::focusWidget() != list)
            return false;
        const int row = list->currentRow();
        press(window, row < target ? Qt::Key_Down : row > target ? Qt::Key_Up : Qt::Key_Space);
    }
    return selectedText(list) == unit;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void namesAndRoles_data();
    void namesAndRoles();
    void vegetablesAreDecorative_data();
    void vegetablesAreDecorative();
    void linksOpenTheWebSite_data();
    void linksOpenTheWebSite();
    void newResultLineIsAnnounced_data();
    void newResultLineIsAnnounced();
    void messageBoxTextIsAnnounced_data();
    void messageBoxTextIsAnnounced();
    void keyboardOnlyConversion_data();
    void keyboardOnlyConversion();
    void menusOpenWithAccessKeys_data();
    void menusOpenWithAccessKeys();
    void aboutAndAgreementFromTheKeyboard_data();
    void aboutAndAgreementFromTheKeyboard();

private:
    bool m_listening = false;
};

void TestAccessibility::initTestCase()
{
    m_listening = switchAccessibilityOn();
}

void TestAccessibility::namesAndRoles_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("shortcut");   // for buttons

    const QString host = QStringLiteral(PELLIMOR_WEB_HOST);
    // The fields are named after their frames, the way a sighted user finds them.
    QTest::newRow("category box") << "converter" << "cmbCategory" << "Category"
                                  << QAccessible::ComboBox << false << "";
    QTest::newRow("quantity box") << "converter" << "txtQuantity" << "Quantity"
                                  << QAccessible::EditableText << false << "";
    QTest::newRow("From list") << "converter" << "lstFrom" << "Convert From..."
                               << QAccessible::List << false << "";
    QTest::newRow("To list") << "converter" << "lstTo" << "To..." << QAccessible::List << false << "";
    QTest::newRow("result box") << "converter" << "txtResult" << "Result"
                                << QAccessible::EditableText << true << "";
    QTest::newRow("web address") << "converter" << "lblURL" << host << QAccessible::Link << false << "";
    QTest::newRow("learn link") << "converter" << "lblLearn" << "Learn to cook online!"
                                << QAccessible::Link << false << "";
    QTest::newRow("logo link") << "converter" << "imgLogo" << "Pellimor" << QAccessible::Link
                               << false << "";
    // Buttons read their captions without the access key's marker and tell the key.
    QTest::newRow("About OK") << "about" << "cmdOK" << "OK" << QAccessible::Button << false << "Enter";
    QTest::newRow("About agreement") << "about" << "cmdAgreement" << "Agreement..."
                                     << QAccessible::Button << false << "Alt+A";
    QTest::newRow("About system info") << "about" << "cmdSysInfo" << "System Info..."
                                       << QAccessible::Button << false << "Alt+S";
    // The icon is a Tab stop, so it must say what it is when the focus lands on it.
    QTest::newRow("About icon") << "about" << "picIcon" << "Pellimor" << QAccessible::Graphic
                                << true << "";
    QTest::newRow("About version") << "about" << "lblVersion" << "Version 1.4.3"
                                   << QAccessible::StaticText << true << "";
    QTest::newRow("agreement text") << "agreement" << "txtAgreement" << "Freeware Licensing Agreement"
                                    << QAccessible::EditableText << true << "";
    QTest::newRow("agreement OK") << "agreement" << "cmdOK" << "OK" << QAccessible::Button
                                  << false << "";
    // The splash has no title bar; its name is what a screen reader says as it appears.
    QTest::newRow("splash window") << "splash" << "frmSplash" << "Pellimor" << QAccessible::Client
                                   << false << "";
    QTest::newRow("splash version") << "splash" << "lblVersion" << "Version 1.4.3"
                                    << QAccessible::StaticText << true << "";
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

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    QVERIFY2(calledBy(iface).contains(name), qPrintable(calledBy(iface).join(QLatin1Char('|'))));
    QCOMPARE(iface->role(), role);
    QCOMPARE(bool(iface->state().readOnly), readOnly);
    if (!shortcut.isEmpty())
        QCOMPARE(iface->text(QAccessible::Accelerator), shortcut);
    // Whatever can be named can be found: the control is in its window's tree.
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(shown);
    QAccessibleInterface* up = iface;
    while (up && up != root)
        up = up->parent();
    QCOMPARE(up, root);
}

void TestAccessibility::vegetablesAreDecorative_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");

    for (const char* guide : {"imgCategory", "imgQuantity", "imgFrom", "imgTo"})
        QTest::addRow("converter %s", guide) << "converter" << guide;
    for (const char* flash : {"imgRadis", "imgCarotte", "imgTomate", "imgPoivron"}) {
        QTest::addRow("converter %s", flash) << "converter" << flash;
        QTest::addRow("splash %s", flash) << "splash" << flash;
    }
    QTest::newRow("splash logo") << "splash" << "imgLogo";
}

void TestAccessibility::vegetablesAreDecorative()
{
    QFETCH(QString, window);
    QFETCH(QString, control);

    Windows windows;
    QWidget* shown = windows.open(window);
    QVERIFY(shown);
    auto* widget = shown->findChild<QWidget*>(control);
    QVERIFY2(widget, qPrintable(control));
    // Show it, as the guide and the flash do: a decoration stays one when it is seen.
    widget->show();

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface)
        return;   // not in the tree at all
    QVERIFY2(iface->text(QAccessible::Name).isEmpty(), qPrintable(iface->text(QAccessible::Name)));
    QVERIFY(iface->text(QAccessible::Description).isEmpty());
    QVERIFY(!iface->state().focusable);
    QVERIFY(!iface->actionInterface() || iface->actionInterface()->actionNames().isEmpty());
}

void TestAccessibility::linksOpenTheWebSite_data()
{
    QTest::addColumn<QString>("control");

    QTest::newRow("web address") << "lblURL";
    QTest::newRow("learn link") << "lblLearn";
    QTest::newRow("logo") << "imgLogo";
}

void TestAccessibility::linksOpenTheWebSite()
{
    QFETCH(QString, control);

    Windows windows;
    QWidget* shown = windows.open(QStringLiteral("converter"));
    QVERIFY(shown);
    auto* widget = shown->findChild<QWidget*>(control);
    QVERIFY(widget);

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface);
    QAccessibleActionInterface* actions = iface->actionInterface();
    QVERIFY(actions);
    QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    QVERIFY(windows.fakes.browser.opened.isEmpty());

    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(windows.fakes.browser.opened, QList<QUrl>{frmGUI::webAddress()});
    QVERIFY(windows.fakes.messages.shown.isEmpty());

    // Any other action does nothing.
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(windows.fakes.browser.opened.size(), 1);
}

void TestAccessibility::newResultLineIsAnnounced_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("firstTo");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("line");

    QTest::newRow("weights") << "Weights" << "Pound" << "2" << "Gram" << "Kilogram"
                             << "2 Pounds = 0.909 Kilogram";
    QTest::newRow("gas mark") << "Temperatures" << "Celcius" << "180" << "Fahrenheit" << "Gas Mark"
                              << "180\u00B0 Celcius = Gas Mark 4";
}

void TestAccessibility::newResultLineIsAnnounced()
{
    QFETCH(QString, category);
    QFETCH(QString, from);
    QFETCH(QString, quantity);
    QFETCH(QString, firstTo);
    QFETCH(QString, to);
    QFETCH(QString, line);
    if (!m_listening)
        QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");

    Windows windows;
    auto* window = qobject_cast<frmGUI*>(windows.open(QStringLiteral("converter")));
    QVERIFY(window);
    auto* cmbCategory = window->findChild<QComboBox*>("cmbCategory");
    auto* txtQuantity = window->findChild<QLineEdit*>("txtQuantity");
    auto* lstFrom = window->findChild<QListWidget*>("lstFrom");
    auto* lstTo = window->findChild<QListWidget*>("lstTo");
    auto* txtResult = window->findChild<QLineEdit*>("txtResult");
    QVERIFY(cmbCategory && txtQuantity && lstFrom && lstTo && txtResult);

    cmbCategory->setCurrentIndex(cmbCategory->findText(category));
    window->cmbCategory_Click();
    QTest::keyClicks(txtQuantity, quantity);
    lstFrom->setCurrentRow(rowOf(lstFrom, from));
    window->lstFrom_Click();

    // A first result, then a second one to another unit: each new line is heard.
    Listener listener;
    lstTo->setCurrentRow(rowOf(lstTo, firstTo));
    window->lstTo_Click();
    const QString first = txtResult->text();
    QVERIFY(!first.isEmpty());
    QVERIFY2(listener.heardText(txtResult, first), qPrintable(first));

    listener.heard.clear();
    lstTo->setCurrentRow(rowOf(lstTo, to));
    window->lstTo_Click();
    QCOMPARE(txtResult->text(), line);
    QVERIFY2(listener.heardText(txtResult, line), qPrintable(line));
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
    MessageBoxes boxes;
    boxes.show(text, style, title);

    QList<Announcement> alerts;
    for (const Announcement& a : listener.heard)
        if (a.type == QAccessible::Alert)
            alerts << a;
    QCOMPARE(alerts.size(), 1);
    const QStringList& said = alerts.first().texts;
    QVERIFY2(said.contains(text), qPrintable(said.join(QLatin1Char('|'))));
    QVERIFY2(said.contains(caption), qPrintable(said.join(QLatin1Char('|'))));
}

void TestAccessibility::keyboardOnlyConversion_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<bool>("throughList");   // open the category list, rather than step through it
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("line");

    QTest::newRow("180 Celcius to gas mark, arrows")
        << "Temperatures" << false << "180" << "Celcius" << "Gas Mark" << "180\u00B0 Celcius = Gas Mark 4";
    QTest::newRow("2 pounds to kilograms, open list")
        << "Weights" << true << "2" << "Pound" << "Kilogram" << "2 Pounds = 0.909 Kilogram";
    QTest::newRow("gas mark to Fahrenheit, arrows")
        << "Temperatures" << false << "4" << "Gas Mark" << "Fahrenheit"
        << "Gas Mark 4 = 350\u00B0 Fahrenheit";
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
    QVERIFY(cmbCategory && lstFrom && lstTo && txtResult);

    // Nothing has been clicked: the focus starts where the task starts.
    QCOMPARE(focusName(), QStringLiteral("cmbCategory"));

    // 1. The category. Each arrow step is a pick that sends the focus on to the
    //    quantity, so the user comes back with Shift+Tab for the next step.
    if (throughList) {
        press(window, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(cmbCategory->view()->isVisible());
        for (int step = 0; step < cmbCategory->count()
                           && cmbCategory->view()->currentIndex().data().toString() != category; ++step)
            press(window, Qt::Key_Down);
        press(window, Qt::Key_Return);
        QTRY_VERIFY(!cmbCategory->view()->isVisible());
    } else {
        for (int step = 0; step < cmbCategory->count() && cmbCategory->currentText() != category;
             ++step) {
            if (focusName() != QLatin1String("cmbCategory"))
                press(window, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(focusName(), QStringLiteral("cmbCategory"));
            press(window, Qt::Key_Down);
        }
    }
    QCOMPARE(cmbCategory->currentText(), category);
    QCOMPARE(focusName(), QStringLiteral("txtQuantity"));

    // 2. The quantity, typed over the selected placeholder.
    type(window, quantity);

    // 3. From, 4. To: Tab into each list and arrow to the unit.
    press(window, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("lstFrom"));
    QVERIFY2(pickByArrows(window, lstFrom, from), qPrintable(selectedText(lstFrom)));
    press(window, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("lstTo"));
    QVERIFY2(pickByArrows(window, lstTo, to), qPrintable(selectedText(lstTo)));

    QCOMPARE(txtResult->text(), line);
    QVERIFY(windows.fakes.messages.shown.isEmpty());

    // 5. The line can be taken along: Tab selects it, Ctrl+C copies it.
    QGuiApplication::clipboard()->clear();
    press(window, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("txtResult"));
    QCOMPARE(txtResult->selectedText(), line);
    press(window, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), line);
    // Read-only: typing over the selection changes nothing.
    type(window, QStringLiteral("x"));
    QCOMPARE(txtResult->text(), line);
}

void TestAccessibility::menusOpenWithAccessKeys_data()
{
    QTest::addColumn<int>("menuKey");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("itemKey");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("Alt+F, X: exit") << int(Qt::Key_F) << "mnuFile" << int(Qt::Key_X) << "closed";
    QTest::newRow("Alt+O, G: web site") << int(Qt::Key_O) << "mnuOptions" << int(Qt::Key_G) << "browser";
    QTest::newRow("Alt+H, A: about") << int(Qt::Key_H) << "mnuHelp" << int(Qt::Key_A) << "about";
    QTest::newRow("Alt+F, Escape") << int(Qt::Key_F) << "mnuFile" << int(Qt::Key_Escape) << "nothing";
}

void TestAccessibility::menusOpenWithAccessKeys()
{
    QFETCH(int, menuKey);
    QFETCH(QString, menu);
    QFETCH(int, itemKey);
    QFETCH(QString, outcome);

    Windows windows;
    auto* window = qobject_cast<frmGUI*>(windows.open(QStringLiteral("converter")));
    QVERIFY(window);
    auto* popup = window->findChild<QMenu*>(menu);
    QVERIFY(popup);
    QSignalSpy about(window, &frmGUI::aboutRequested);
    QVERIFY(!popup->isVisible());

    press(window, Qt::Key(menuKey), Qt::AltModifier);
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(!window->findChild<QLineEdit*>("txtQuantity")->isEnabled());   // no field was touched

    press(window, Qt::Key(itemKey));
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(window->isVisible(), outcome != QLatin1String("closed"));
    QCOMPARE(windows.fakes.browser.opened.size(), outcome == QLatin1String("browser") ? 1 : 0);
    QCOMPARE(about.size(), outcome == QLatin1String("about") ? 1 : 0);
}

void TestAccessibility::aboutAndAgreementFromTheKeyboard_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("outcome");

    QTest::newRow("About, Alt+A") << "about" << int(Qt::Key_A) << int(Qt::AltModifier) << "agreement";
    QTest::newRow("About, Alt+S") << "about" << int(Qt::Key_S) << int(Qt::AltModifier) << "message";
    QTest::newRow("About, Enter") << "about" << int(Qt::Key_Return) << 0 << "closed";
    QTest::newRow("About, Escape") << "about" << int(Qt::Key_Escape) << 0 << "closed";
    QTest::newRow("agreement, Escape") << "agreement" << int(Qt::Key_Escape) << 0 << "closed";
    QTest::newRow("agreement, Space on OK") << "agreement" << int(Qt::Key_Space) << 0 << "closed";
}

void TestAccessibility::aboutAndAgreementFromTheKeyboard()
{
    QFETCH(QString, window);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, outcome);

    Windows windows;
    QWidget* shown = windows.open(window);
    QVERIFY(shown);
    // The focus starts on OK in both windows.
    QCOMPARE(focusName(), QStringLiteral("cmdOK"));
    std::unique_ptr<QSignalSpy> agreement;
    if (auto* about = qobject_cast<frmAbout*>(shown))
        agreement = std::make_unique<QSignalSpy>(about, &frmAbout::agreementRequested);

    press(shown, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // An access key presses its button the way a click would, pressed-in for a moment.
    const auto agreements = [&] { return agreement ? agreement->size() : 0; };
    if (outcome == QLatin1String("closed"))
        QTRY_VERIFY(!shown->isVisible());
    else if (outcome == QLatin1String("agreement"))
        QTRY_COMPARE(agreements(), 1);
    else
        QTRY_COMPARE(windows.fakes.messages.shown.size(), 1);
    QCOMPARE(shown->isVisible(), outcome != QLatin1String("closed"));
    QCOMPARE(agreements(), outcome == QLatin1String("agreement") ? 1 : 0);
    QCOMPARE(windows.fakes.messages.shown.size(), outcome == QLatin1String("message") ? 1 : 0);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
