#include "app/Forms.h"
#include "fakes/FakeServices.h"

#include <QApplication>
#include <QSignalSpy>
#include <QtTest>

using namespace pellimor;

class TestForms : public QObject {
    Q_OBJECT

    // The windows alive once deferred deletes are done, by name; "(hidden)" marks one not shown.
    static QString windows()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList names;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (!window->parentWidget())   // not the menus
                names << window->objectName() + (window->isHidden() ? "(hidden)" : "");
        names.sort();
        return names.join(u' ');
    }

private slots:
    void run_data();
    void run();
};

void TestForms::run_data()
{
    // Slots called on the windows in turn, and the windows left after each call. The run
    // must end exactly when none is left.
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("after");
    const QString handOver("frmSplash.Timer1_Timer"), about("frmGUI.mnuAbout_Click"), exit("frmGUI.mnuExit_Click"),
        agreement("frmAbout.cmdAgreement_Click"), aboutOK("frmAbout.cmdOK_Click"), all("frmAbout frmAgreement frmGUI");
    // As a window manager would: the hidden converter window goes with it.
    QTest::newRow("splash closed") << QStringList{"frmSplash.close"} << QStringList{""};
    QTest::newRow("Exit with nothing else open") << QStringList{handOver, exit} << QStringList{"frmGUI", ""};
    QTest::newRow("About outlives the converter") << QStringList{handOver, about, exit, aboutOK}
                                                  << QStringList{"frmGUI", "frmAbout frmGUI", "frmAbout", ""};
    QTest::newRow("a hidden About keeps the run going") << QStringList{handOver, about, "frmAbout.hide", exit}
        << QStringList{"frmGUI", "frmAbout frmGUI", "frmAbout(hidden) frmGUI", "frmAbout(hidden)"};
    QTest::newRow("each asked for twice, agreement outlives both")
        << QStringList{handOver, about, agreement, about, agreement, exit, aboutOK, "frmAgreement.cmdOK_Click"}
        << QStringList{"frmGUI", "frmAbout frmGUI", all, all, all, "frmAbout frmAgreement", "frmAgreement", ""};
}

void TestForms::run()
{
    QFETCH(QStringList, calls);
    QFETCH(QStringList, after);
    test::FakeServices fakes;
    Forms forms(fakes.services());
    QSignalSpy ended(&forms, &Forms::lastWindowUnloaded);
    forms.start();
    QCOMPARE(windows(), QStringLiteral("frmGUI(hidden) frmSplash"));
    for (qsizetype i = 0; i < calls.size(); ++i) {
        const QStringList call = calls[i].split(u'.');
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(window->objectName() != call[0] || QMetaObject::invokeMethod(window, qPrintable(call[1])));
        QCOMPARE(windows(), after[i]);
        QCOMPARE(ended.count(), after[i].isEmpty() ? 1 : 0);
    }
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
