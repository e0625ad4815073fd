#include "fakes/FakeServices.h"
#include "platform/MessageBoxes.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#ifdef PELLIMOR_HAVE_QPA_ACCESSIBILITY
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

using namespace pellimor;

// What assistive technology heard: new values as "object=value", and an alert's name and its parts' names.
static QStringList g_heard;

static void listen(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::ValueChanged)
        g_heard << event->object()->objectName() + "="
                       + static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
    QAccessibleInterface* box = event->type() == QAccessible::Alert ? event->accessibleInterface() : nullptr;
    for (int i = -1; box && i < box->childCount(); ++i)
        g_heard << (i < 0 ? box : box->child(i))->text(QAccessible::Name);
}

class TestAccessibility : public QObject {
    Q_OBJECT
    test::FakeServices m_fakes;
    std::unique_ptr<QWidget> m_window;

    bool open(const QString& name)
    {
        m_window.reset(name == "converter" ? new frmGUI(m_fakes.services())
                       : name == "about"   ? static_cast<QWidget*>(new frmAbout(m_fakes.services()))
                       : name == "splash"  ? static_cast<QWidget*>(new frmSplash)
                                           : new frmAgreement);
        m_window->show();
        return QTest::qWaitForWindowActive(m_window.get());
    }

    // Each node a user can reach or press, and each picture that says anything, as "object=name".
    // A control's related label names it, as a combo box's own name is its current text. Links get pressed.
    void reachable(QAccessibleInterface* node, QStringList& found)
    {
        const auto labels = node->relations(QAccessible::Label);
        const bool reached =
            node->state().focusable
            || (node->actionInterface() && !node->actionInterface()->actionNames().isEmpty());
        const QString name =
            (reached && !labels.isEmpty() ? labels.first().first : node)->text(QAccessible::Name).trimmed();
        if (node->role() == QAccessible::Link)
            node->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        if (node->object() && !node->object()->objectName().isEmpty()
            && (reached || (node->role() == QAccessible::Graphic && !name.isEmpty())))
            found << node->object()->objectName() + "=" + name;
        for (int i = 0; i < node->childCount(); ++i)
            reachable(node->child(i), found);
    }

private slots:
    void initTestCase()
    {
        // No screen reader listens to a headless test, so the test switches listening on itself.
#ifdef PELLIMOR_HAVE_QPA_ACCESSIBILITY
        if (QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration())
            if (QPlatformAccessibility* accessibility = integration->accessibility())
                accessibility->setActive(true);
#endif
        QAccessible::installUpdateHandler(listen);
    }
    void init() { g_heard.clear(), m_fakes = {}; }
    void cleanup() { m_window.reset(); }

    // The fields are named after their frames; pictures are silent unless they are links or Tab stops.
    void names_data()
    {
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<int>("links");   // each opens the web site when pressed
        QTest::newRow("converter") << QStringList{"cmbCategory=Category", "txtQuantity=Quantity",
            "lstFrom=Convert From...", "lstTo=To...", "txtResult=Result", "imgLogo=Pellimor",
            "lblLearn=Learn to cook online!", "lblURL=" + frmGUI::webAddress().host(), "mnuExit=Exit",
            "mnuGoToURL=Go to Brenvo's Web Site", "mnuAbout=About..."} << 3;
        QTest::newRow("about") << QStringList{"cmdAgreement=Agreement...", "picIcon=Pellimor", "cmdOK=OK",
            "cmdSysInfo=System Info..."} << 0;
        QTest::newRow("agreement") << QStringList{"cmdOK=OK", "txtAgreement=Freeware Licensing Agreement"} << 0;
        QTest::newRow("splash") << QStringList{"frmSplash=Pellimor"} << 0;
    }

    void names()
    {
        QFETCH(QStringList, named);
        QFETCH(int, links);
        QVERIFY(open(QTest::currentDataTag()));
        QStringList found;
        reachable(QAccessible::queryAccessibleInterface(m_window.get()), found);
        QCOMPARE(found, named);
        QCOMPARE(m_fakes.browser.opened, QList<QUrl>(links, frmGUI::webAddress()));
    }

    void messageBoxIsAnnounced()
    {
        if (!QAccessible::isActive())
            QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
        const QString text = QStringLiteral(
            "The value in the Category list box is invalid.\n\nPlease select a valid value from the list.");
        // Answers the box once its own event loop runs; a box that never came fails below.
        QMetaObject::invokeMethod(qApp, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        }, Qt::QueuedConnection);
        MessageBoxes().show(text, Critical, QStringLiteral("Invalid Value"));
        QVERIFY2(g_heard.contains(text) && g_heard.contains(QStringLiteral("Invalid Value")),
            qPrintable(g_heard.join('|')));
    }

    // Tab order and no focus traps: category by arrows, quantity and units typed, result reached and announced.
    void keyboardOnlyConversion()
    {
        QVERIFY(open(QStringLiteral("converter")));
        const auto focus = [] {
            return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
        };
        // Each arrow step on the category is a pick that sends the focus on, so Shift+Tab comes back;
        // the quantity is typed over the placeholder, and typing in a list picks the unit it begins.
        const std::tuple<const char*, const char*, Qt::Key> steps[] = {
            {"cmbCategory", "", Qt::Key_Down}, {"txtQuantity", "", Qt::Key_Backtab}, {"cmbCategory", "", Qt::Key_Down},
            {"txtQuantity", "180", Qt::Key_Tab}, {"lstFrom", "Cel", Qt::Key_Tab}, {"lstTo", "Gas", Qt::Key_Tab},
            {"txtResult", "", Qt::Key_Tab}};
        for (const auto& [field, typed, leave] : steps) {
            QCOMPARE(focus(), QLatin1String(field));
            for (const char* key = typed; *key; ++key)
                QTest::keyClick(m_window->windowHandle(), *key);
            QTest::keyClick(m_window->windowHandle(), leave);
        }
        QCOMPARE(focus(), QStringLiteral("cmbCategory"));   // and Tab goes on from the result
        const QString line = QStringLiteral("180\u00B0 Celcius = Gas Mark 4");
        QCOMPARE(m_window->findChild<QLineEdit*>("txtResult")->text(), line);
        if (!QAccessible::isActive())
            QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
        QVERIFY2(g_heard.contains("txtResult=" + line), qPrintable(g_heard.join('|')));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
