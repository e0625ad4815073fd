#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

using namespace pellimor;

// The About window and the agreement it leads to.
class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void sysInfo_data();
    void sysInfo();
    void keys_data();
    void keys();
    void agreementText();
    void agreementKeys_data();
    void agreementKeys();
};

void TestAbout::sysInfo_data()
{
    QTest::addColumn<int>("pathType");   // -1: no path value, -2: not even its key
    QTest::addColumn<QByteArray>("pathBytes");
    QTest::addColumn<QString>("folder");   // the folder value, if any; the tool is in C:\Shared only
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("events");   // files looked for ("path?"), programs started, messages
    const QByteArray tool("D:\\Info\\tool.exe", 16), none;
    const QString inShared("C:\\Shared\\MSINFO32.EXE"), no("System Information Is Unavailable At This Time|0|Pellimor");
    QTest::newRow("path wins, unchecked") << 1 << tool + '\0' << "C:\\Shared" << true << QStringList{tool};
    QTest::newRow("path without NUL, start fails") << 1 << tool << "" << false << QStringList{tool, no};
    QTest::newRow("expandable path starts nothing") << 2 << tool + '\0' << "C:\\Shared" << true << QStringList{"", no};
    QTest::newRow("tool in the folder") << -1 << none << "C:\\Shared" << true << QStringList{inShared + '?', inShared};
    QTest::newRow("no tool in folder") << -1 << none << "D:\\Old" << true << QStringList{"D:\\Old\\MSINFO32.EXE?", no};
    QTest::newRow("no key, no folder") << -2 << none << "" << true << QStringList{no};
    QTest::newRow("empty path: the raised error is trapped") << 1 << none << "C:\\Shared" << true << QStringList{no};
}

void TestAbout::sysInfo()
{
    QFETCH(int, pathType);
    QFETCH(QByteArray, pathBytes);
    QFETCH(QString, folder);
    QFETCH(bool, startSucceeds);
    test::FakeServices fakes;
    // Where the system keeps the tool's path and its folder.
    const std::string pathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
    const std::string folderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
    if (pathType != -2)
        fakes.registry.keys[pathKey];
    if (pathType >= 0)
        fakes.registry.keys[pathKey]["PATH"] = {uint(pathType), {pathBytes.begin(), pathBytes.end()}};
    if (!folder.isEmpty())
        fakes.registry.setString(folderKey, "MSINFO", folder.toStdString());
    fakes.launcher.existingFiles = {QStringLiteral("C:\\Shared\\MSINFO32.EXE")};
    fakes.launcher.startSucceeds = startSucceeds;
    frmAbout about(fakes.services());
    about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();

    QStringList events;
    for (const QString& path : fakes.launcher.fileChecks)
        events << path + '?';
    for (const auto& start : fakes.launcher.started)
        events << start.path + (start.windowStyle == NormalFocus ? "" : " (not normal focus)");
    for (const auto& shown : fakes.messages.shown)
        events << QStringList{shown.text, QString::number(shown.style), shown.title}.join(u'|');
    QTEST(events, "events");
    // Read access only, and every key closed once, a failed open and a raised error included.
    const auto& access = fakes.registry.accessRequested;
    QCOMPARE(access, std::vector<std::uint32_t>(access.size(), IRegistry::ReadAccess));
    QCOMPARE((QList<int>{fakes.registry.closeCalls, fakes.registry.closed}),
             (QList<int>{int(access.size()), fakes.registry.opened}));
}

void TestAbout::keys_data()
{
    // Keys pressed from where the focus is on opening; then the focus or "closed", and
    // whether the agreement was asked for: Enter presses the button with the focus.
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("after");
    const int tab = Qt::Key_Tab;
    QTest::newRow("Enter on OK") << QKeySequence(Qt::Key_Return) << "closed";
    QTest::newRow("Tab stops at the icon") << QKeySequence(tab) << "picIcon";
    QTest::newRow("Enter on Agreement") << QKeySequence(tab, tab, tab, Qt::Key_Return) << "cmdAgreement, agreement";
    QTest::newRow("Escape on Agreement") << QKeySequence(tab, tab, tab, Qt::Key_Escape) << "closed";
    QTest::newRow("access key Alt+A") << QKeySequence(Qt::ALT | Qt::Key_A) << "cmdOK, agreement";
    QTest::newRow("access key Alt+S") << QKeySequence(Qt::ALT | Qt::Key_S) << "cmdOK, system information";
}

void TestAbout::keys()
{
    QFETCH(QKeySequence, keys);
    test::FakeServices fakes;
    frmAbout about(fakes.services());
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(), QStringLiteral("Version 1.4.3"));
    QSignalSpy agreement(&about, &frmAbout::agreementRequested);
    for (int i = 0; i < keys.count(); ++i)
        QTest::keyClick(QApplication::focusWidget(), keys[i].key(), keys[i].keyboardModifiers());
    // A button's access key clicks it a moment later, as its press is drawn; the focus
    // stays where it was.
    const auto outcome = [&] {
        return QString(about.isVisible() ? QApplication::focusWidget()->objectName() : QStringLiteral("closed"))
            + (agreement.count() ? ", agreement" : "")
            + (fakes.messages.shown.isEmpty() && fakes.launcher.started.isEmpty() ? "" : ", system information");
    };
    QFETCH(QString, after);
    QTRY_COMPARE(outcome(), after);
}

void TestAbout::agreementText()
{
    const QString text = frmAgreement::AgreementText();
    // ASCII, CR LF only, one blank line between paragraphs, and one line end after the last.
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("(?<!\r)\n|\r(?!\n)|(\r\n){3}|[^\\x00-\\x7f]"))), 0);
    QVERIFY(text.endsWith(QStringLiteral("\r\n")) && !text.endsWith(QStringLiteral("\r\n\r\n")));
    QCOMPARE(text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size(), 15);   // paragraphs and headings
}

void TestAbout::agreementKeys_data()
{
    // Keys pressed in the text box.
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("closes");
    QTest::newRow("letters change nothing") << QKeySequence(QStringLiteral("a, b")) << false;
    QTest::newRow("Escape closes") << QKeySequence(Qt::Key_Escape) << true;
}

void TestAbout::agreementKeys()
{
    QFETCH(QKeySequence, keys);
    frmAgreement agreement;
    agreement.show();
    QVERIFY(QTest::qWaitForWindowActive(&agreement));
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
    auto* text = agreement.findChild<QPlainTextEdit*>(QStringLiteral("txtAgreement"));
    text->setFocus();
    QTest::keySequence(text, keys);
    QTEST(!agreement.isVisible(), "closes");
    QCOMPARE(text->toPlainText(), frmAgreement::AgreementText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
