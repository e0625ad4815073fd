#include "fakes/FakeServices.h"
#include "platform/MessageBoxes.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/common/ImageList.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>

#ifdef PELLIMOR_HAVE_QPA_ACCESSIBILITY
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

using namespace pellimor;

// What assistive technology heard: new values as "object=value", and an alert's name and its parts' names.
static QStringList g_heard;
// Every event it was sent, as "object type", and each notification that came into view, by its name.
static QStringList g_events, g_notified;

static void listen(QAccessibleEvent* event)
{
    if (event->object())
        g_events << event->object()->objectName() + ' ' + QString::number(event->type(), 16);
    if (event->type() == QAccessible::ObjectShow && event->accessibleInterface()->role() == QAccessible::Notification)
        g_notified << event->accessibleInterface()->text(QAccessible::Name);
    if (event->type() == QAccessible::ValueChanged)
        g_heard << event->object()->objectName() + "="
                       + static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
    QAccessibleInterface* box = event->type() == QAccessible::Alert ? event->accessibleInterface() : nullptr;
    for (int i = -1; box && i < box->childCount(); ++i)
        g_heard << (i < 0 ? box : box->child(i))->text(QAccessible::Name);
}

// What had been notified when the watched widget was first painted.
struct PaintWatch : QObject {
    explicit PaintWatch(QWidget& widget)
    {
        widget.installEventFilter(this);
    }
    QStringList notifiedBefore;
    bool painted = false;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            notifiedBefore = g_notified;
        }
        return false;
    }
};

// Shows the real message box, answered as soon as its own event loop runs.
class AnsweredMessages final : public IMessages {
public:
    int shown = 0;
    void show(const QString& text, int style, const QString& title) override
    {
        ++shown;
        QMetaObject::invokeMethod(qApp, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        }, Qt::QueuedConnection);
        MessageBoxes().show(text, style, title);
    }
};

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

    // The names of the notifications a reader browsing the converter window finds shown.
    QStringList notifications()
    {
        QStringList found;
        QList<QAccessibleInterface*> todo{QAccessible::queryAccessibleInterface(m_window.get())};
        while (!todo.isEmpty()) {
            QAccessibleInterface* node = todo.takeLast();
            if (node->role() == QAccessible::Notification && !node->state().invisible)
                found << node->text(QAccessible::Name);
            for (int i = 0; i < node->childCount(); ++i)
                todo << node->child(i);
        }
        return found;
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
    void init() { g_heard.clear(), g_events.clear(), g_notified.clear(), m_fakes = {}; }
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

    // A new line reaches a screen reader without it having to go and look.
    void resultIsAnnounced()
    {
        if (!QAccessible::isActive())
            QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
        QVERIFY(open(QStringLiteral("converter")));
        auto* category = m_window->findChild<QComboBox*>("cmbCategory");
        category->setCurrentIndex(category->findText("Temperatures"));
        static_cast<frmGUI*>(m_window.get())->cmbCategory_Click();
        m_window->findChild<QListWidget*>("lstFrom")->setCurrentRow(0);
        m_window->findChild<QLineEdit*>("txtQuantity")->setText("180");
        m_window->findChild<QListWidget*>("lstTo")->setCurrentRow(1);
        QTRY_VERIFY2(g_heard.contains("txtResult=180\u00B0 Celcius = Gas Mark 4"), qPrintable(g_heard.join('|')));
    }

    // Each new line is heard once, in full, where the focus is: in the To list that wrote it.
    // Emptying the line says nothing, and leaves no old line for a reader to come upon.
    void newLineIsHeardOnce_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("line");
        QTest::newRow("weights") << "Weights" << 4 << "2" << 1 << "2 Pounds = 0.909 Kilogram";
        QTest::newRow("lengths") << "Lengths" << 2 << "24" << 1 << "24 Inches = 2 Feet";
        QTest::newRow("volumes") << "Volumes" << 8 << "1" << 9 << "1 Tablespoon = 3 Teaspoons";
        QTest::newRow("temperatures") << "Temperatures" << 0 << "180" << 1 << "180\u00B0 Celcius = Gas Mark 4";
        QTest::newRow("refused") << "Temperatures" << 0 << "1" << 1 << "";
    }

    void newLineIsHeardOnce()
    {
        if (!QAccessible::isActive())
            QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
        QFETCH(QString, category);
        QFETCH(int, from);
        QFETCH(QString, quantity);
        QFETCH(int, to);
        QFETCH(QString, line);
        QVERIFY(open(QStringLiteral("converter")));
        auto* window = static_cast<frmGUI*>(m_window.get());
        auto* box = m_window->findChild<QComboBox*>("cmbCategory");
        auto* lstTo = m_window->findChild<QListWidget*>("lstTo");
        auto* result = m_window->findChild<QLineEdit*>("txtResult");
        box->setCurrentIndex(box->findText(category));
        window->cmbCategory_Click();
        m_window->findChild<QListWidget*>("lstFrom")->setCurrentRow(from);
        m_window->findChild<QLineEdit*>("txtQuantity")->setText(quantity);
        window->txtQuantity_KeyPress(quantity.back().unicode());   // the To list opens
        lstTo->setFocus();
        // The line is said once it is on screen: the result box's paint comes first.
        PaintWatch painted(*result);
        lstTo->setCurrentRow(to);
        const QStringList once = line.isEmpty() ? QStringList{} : QStringList{line};
        QTRY_COMPARE(g_notified, once);
        QCoreApplication::processEvents();   // and only once
        QCOMPARE(g_notified, once);
        if (!line.isEmpty()) {
            QTRY_VERIFY(painted.painted);
            QCOMPARE(painted.notifiedBefore, QStringList{});
        }
        QCOMPARE(result->text(), line);
        QCOMPARE(lstTo->hasFocus(), !line.isEmpty());   // a refusal sends it to the quantity
        QCOMPARE(result->accessibleName(), "Result");
        QCOMPARE(notifications(), once);   // what a reader browsing the window comes upon

        window->lstTo_Click();   // the same pick again asks for the line again
        QTRY_COMPARE(g_notified, once + once);

        g_notified.clear();
        window->cmbCategory_Click();
        QCoreApplication::processEvents();
        QCOMPARE(result->text(), "");
        QCOMPARE(g_notified, QStringList{});
        QCOMPARE(notifications(), QStringList{});
    }

    // The guide's pointers and the result's flash say nothing, however fast they change.
    void decorationsAreSilent_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("flash") << "flash";
        QTest::newRow("guide") << "guide";
    }

    void decorationsAreSilent()
    {
        if (!QAccessible::isActive())
            QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
        QFETCH(QString, what);
        QVERIFY(open(QStringLiteral("converter")));
        auto* window = static_cast<frmGUI*>(m_window.get());
        auto* box = m_window->findChild<QComboBox*>("cmbCategory");
        box->setCurrentIndex(box->findText("Weights"));
        window->cmbCategory_Click();
        m_window->findChild<QListWidget*>("lstFrom")->setCurrentRow(4);
        m_window->findChild<QLineEdit*>("txtQuantity")->setText("2");
        m_window->findChild<QListWidget*>("lstTo")->setCurrentRow(1);
        g_events.clear();
        for (int tick = 0; tick < 8; ++tick) {
            if (what == u"flash") {
                window->tmrResult_Timer();
            } else {
                window->StartStepPointer(frmGUI::Step::ToUnit);
                window->tmrTo_Timer();
                window->HideStepPointer(frmGUI::Step::ToUnit);
                window->StartStepPointer(frmGUI::Step::Category);
                window->RestStepPointer(frmGUI::Step::Category);
            }
        }
        QCOMPARE(g_events, QStringList{});
    }

    // After a category pick the focus arrives in the quantity box before anything changes in
    // it: a screen reader that hears of a caret or text first takes the box for the focus
    // without saying its name.
    void focusComesFirst_data()
    {
        QTest::addColumn<QString>("before");     // what the box holds before the focus comes
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("to");             // the To pick refused, or -1 for a category pick
        QTest::addColumn<QString>("selected");   // what the box then holds, all of it selected
        QTest::newRow("first pick") << "" << "Volumes" << -1 << "(Enter a value)";
        QTest::newRow("later pick") << "2" << "Volumes" << -1 << "(Enter a value)";
        QTest::newRow("refused quantity") << "x" << "Weights" << 1 << "x";
        QTest::newRow("too low for a gas mark") << "100" << "Temperatures" << 1 << "100";
        QTest::newRow("too large") << "1E+308" << "Weights" << 2 << "1E+308";
    }

    // The field's name is heard before its text: the first thing a reader learns of the
    // quantity box is that it has the focus, also when the focus comes back to it after the
    // message box of a refused request.
    void focusComesFirst()
    {
        if (!QAccessible::isActive())
            QSKIP("Accessibility could not be switched on: Qt's private platform headers are missing");
        QFETCH(QString, before);
        QFETCH(QString, category);
        QFETCH(int, to);
        QFETCH(QString, selected);
        // The refusal's message box is a real one, answered as soon as it shows: the window
        // loses its activation to it and is left without it when it closes, as in use.
        AnsweredMessages messages;
        m_window.reset(new frmGUI(Services{messages, m_fakes.launcher, m_fakes.registry, m_fakes.browser}));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        auto* window = static_cast<frmGUI*>(m_window.get());
        auto* box = m_window->findChild<QComboBox*>("cmbCategory");
        auto* quantity = m_window->findChild<QLineEdit*>("txtQuantity");
        auto* lstFrom = m_window->findChild<QListWidget*>("lstFrom");
        auto* lstTo = m_window->findChild<QListWidget*>("lstTo");
        box->setCurrentIndex(box->findText(to < 0 ? "Lengths" : category));
        window->cmbCategory_Click();
        quantity->setText(before);
        if (to < 0) {
            box->setFocus();
            g_events.clear();
            box->setCurrentIndex(box->findText(category));
            window->cmbCategory_Click();
        } else {
            lstFrom->setCurrentRow(0);
            window->txtQuantity_KeyPress(before.back().unicode());   // the To list opens
            lstTo->setFocus();
            g_events.clear();
            lstTo->setCurrentRow(to);
            QCOMPARE(messages.shown, 1);
            m_window->activateWindow();   // as a window manager does once the box has gone
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
            QCoreApplication::processEvents();   // what waits for the next turn of the loop
        }
        const QStringList told = g_events.filter(QRegularExpression("^txtQuantity "));
        QVERIFY(!told.isEmpty());
        QCOMPARE(told.first(), "txtQuantity " + QString::number(QAccessible::Focus, 16));
        QVERIFY(quantity->hasFocus());
        QCOMPARE(quantity->text(), selected);
        QCOMPARE(quantity->selectedText(), selected);
    }

    // ctest runs this once more under QT_SCALE_FACTOR=2: each picture at the screen's
    // resolution and its ordinary size, and no caption clipped.
    void doubleResolution_data()
    {
        QTest::addColumn<QStringList>("pictures");   // control=key
        QTest::newRow("converter") << QStringList{"imgLogo=logo", "imgRadis=Radis"};
        QTest::newRow("splash") << QStringList{"imgLogo=logo", "imgPoivron=Poivron"};
        QTest::newRow("about") << QStringList{"picIcon=Radis"};
    }

    void doubleResolution()
    {
        QFETCH(QStringList, pictures);
        // A run meant for double resolution must not quietly test the ordinary one.
        const int ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() >= 2.0 ? 2 : 1;
        QCOMPARE_EQ(qGuiApp->devicePixelRatio(), qreal(ratio));
        QVERIFY(open(QTest::currentDataTag()));
        for (const QString& picture : pictures) {
            auto* image = m_window->findChild<QLabel*>(picture.section('=', 0, 0));
            QVERIFY(image);
            image->show();
            const QImage stored = ImageList::image(picture.section('=', 1), ratio);
            QCOMPARE(image->pixmap().toImage(), stored.convertToFormat(image->pixmap().toImage().format()));
            QCOMPARE(image->size() * ratio, stored.size());
        }
        // Captions fit across, and wrapped ones fit downwards.
        for (QWidget* widget : m_window->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(widget);
            const bool captioned =
                label ? !label->text().isEmpty()
                      : qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget);
            QVERIFY2(!captioned
                         || (widget->minimumSizeHint().width() <= widget->width()
                             && !(label && label->wordWrap()
                                  && label->heightForWidth(widget->width()) > widget->height())),
                qPrintable(widget->objectName() + " is clipped"));
        }
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
