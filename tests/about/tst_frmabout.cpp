#include "engine/RuntimeError.h"
#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/converter/ImageList.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace pellimor;
using test::FakeServices;

namespace {

const std::string toolKey = frmAbout::ToolPathKey;
const std::string folderKey = frmAbout::ToolFolderKey;

std::vector<char> bytesOf(const QByteArray& bytes)
{
    return std::vector<char>(bytes.begin(), bytes.end());
}

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void getKeyValue_data();
    void getKeyValue();
    void getKeyValueRaisesOnAnEmptyValue();
    void getKeyValueWhenTheOpenIsRefused();
    void startSysInfo_data();
    void startSysInfo();
    void enterAndEscape_data();
    void enterAndEscape();
    void tabVisitsTheControlsInOrder();
    void loadShowsVersionAndRadish();
};

void TestFrmAbout::getKeyValue_data()
{
    QTest::addColumn<bool>("keyExists");
    QTest::addColumn<int>("type");           // -1: no such value
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("entry");      // KeyVal on entry
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("value");

    const QByteArray path("C:\\Tools\\info.exe", 17);
    QTest::newRow("string loses its NUL") << true << 1 << (path + '\0') << "old" << true
                                          << "C:\\Tools\\info.exe";
    QTest::newRow("string without NUL is kept whole") << true << 1 << path << "" << true
                                                      << "C:\\Tools\\info.exe";
    QTest::newRow("one-character string") << true << 1 << QByteArray("x\0", 2) << "" << true << "x";
    QTest::newRow("empty string, just the NUL") << true << 1 << QByteArray(1, '\0') << "old"
                                                << true << "";
    QTest::newRow("expandable string counts as read, value untouched")
        << true << 2 << QByteArray("%SystemRoot%\\x\0", 15) << "old" << true << "old";
    QTest::newRow("binary counts as read, value untouched")
        << true << 3 << QByteArray("\x01\x02", 2) << "" << true << "";
    QTest::newRow("number: bytes from the last, trailing NUL dropped")
        << true << 4 << QByteArray("\x10\x02\x00\x00", 4) << "" << true << "&h0210";
    QTest::newRow("number: high bytes stay unsigned")
        << true << 4 << QByteArray("\xFF\x0A\x00\x01", 4) << "" << true << "&h10AFF";
    QTest::newRow("number: digits follow what the value held")
        << true << 4 << QByteArray("\x0B\x00", 2) << "7" << true << "&h7B";
    QTest::newRow("missing value empties the text") << true << -1 << QByteArray() << "old"
                                                    << false << "";
    QTest::newRow("missing key empties the text") << false << -1 << QByteArray() << "old"
                                                  << false << "";
}

void TestFrmAbout::getKeyValue()
{
    QFETCH(bool, keyExists);
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, entry);
    QFETCH(bool, result);
    QFETCH(QString, value);

    FakeServices fakes;
    if (keyExists)
        fakes.registry.addKey(toolKey);
    if (type >= 0)
        fakes.registry.setRaw(toolKey, "PATH", std::uint32_t(type), bytesOf(bytes));
    frmAbout about(fakes.services());

    QString keyVal = entry;
    QCOMPARE(about.GetKeyValue(IRegistry::LocalMachine, QString::fromStdString(toolKey),
                               QStringLiteral("PATH"), keyVal),
             result);
    QCOMPARE(keyVal, value);
    QCOMPARE(fakes.registry.accessRequested, std::vector<std::uint32_t>{IRegistry::ReadAccess});
    QCOMPARE(fakes.registry.closed, fakes.registry.opened);
    QCOMPARE(fakes.registry.closeCalls, 1);
}

void TestFrmAbout::getKeyValueRaisesOnAnEmptyValue()
{
    FakeServices fakes;
    fakes.registry.setRaw(toolKey, "PATH", IRegistry::StringType, {});
    frmAbout about(fakes.services());
    QString keyVal;
    QVERIFY_THROWS_EXCEPTION(RuntimeError,
                             about.GetKeyValue(IRegistry::LocalMachine, QString::fromStdString(toolKey),
                                               QStringLiteral("PATH"), keyVal));
    // The error leaves the key closed behind it.
    QCOMPARE(fakes.registry.opened, 1);
    QCOMPARE(fakes.registry.closed, 1);
}

void TestFrmAbout::getKeyValueWhenTheOpenIsRefused()
{
    FakeServices fakes;
    fakes.registry.setString(toolKey, "PATH", "C:\\info.exe");
    fakes.registry.openStatus = IRegistry::AccessDenied;
    frmAbout about(fakes.services());
    QString keyVal = QStringLiteral("old");
    QVERIFY(!about.GetKeyValue(IRegistry::LocalMachine, QString::fromStdString(toolKey),
                               QStringLiteral("PATH"), keyVal));
    QCOMPARE(keyVal, QString());
    QVERIFY(fakes.registry.queried.empty());
    QCOMPARE(fakes.registry.closeCalls, 1);
}

void TestFrmAbout::startSysInfo_data()
{
    QTest::addColumn<int>("pathType");          // -1: no PATH value
    QTest::addColumn<QByteArray>("pathBytes");
    QTest::addColumn<QString>("folder");        // empty: no folder value
    QTest::addColumn<QStringList>("existingFiles");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("started");   // every start attempted
    QTest::addColumn<bool>("unavailable");
    QTest::addColumn<int>("keysOpened");     // open attempts: 2 when the folder was looked up

    const QByteArray tool("D:\\Info\\tool.exe\0", 17);
    const QString inFolder = QStringLiteral("C:\\Shared\\MSINFO32.EXE");
    QTest::newRow("both present: the path wins, unchecked")
        << 1 << tool << "C:\\Shared" << QStringList{inFolder} << true
        << QStringList{"D:\\Info\\tool.exe"} << false << 1;
    QTest::newRow("no path: the tool in the folder")
        << -1 << QByteArray() << "C:\\Shared" << QStringList{inFolder} << true
        << QStringList{inFolder} << false << 2;
    QTest::newRow("no path, folder without the tool")
        << -1 << QByteArray() << "C:\\Shared" << QStringList{} << true << QStringList{} << true << 2;
    QTest::newRow("neither value") << -1 << QByteArray() << "" << QStringList{} << true
                                   << QStringList{} << true << 2;
    QTest::newRow("the path names no program")
        << 1 << tool << "" << QStringList{} << false << QStringList{"D:\\Info\\tool.exe"} << true << 1;
    QTest::newRow("expandable path counts as read and starts nothing")
        << 2 << tool << "C:\\Shared" << QStringList{inFolder} << true << QStringList{""} << true << 1;
    QTest::newRow("number path counts as read and is started as it reads")
        << 4 << QByteArray("\x01\x00", 2) << "C:\\Shared" << QStringList{inFolder} << true
        << QStringList{"&h1"} << false << 1;
    QTest::newRow("empty path value ends in the trap")
        << 1 << QByteArray() << "C:\\Shared" << QStringList{inFolder} << true << QStringList{}
        << true << 1;
}

void TestFrmAbout::startSysInfo()
{
    QFETCH(int, pathType);
    QFETCH(QByteArray, pathBytes);
    QFETCH(QString, folder);
    QFETCH(QStringList, existingFiles);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, started);
    QFETCH(bool, unavailable);
    QFETCH(int, keysOpened);

    FakeServices fakes;
    fakes.registry.addKey(toolKey);
    if (pathType >= 0)
        fakes.registry.setRaw(toolKey, "PATH", std::uint32_t(pathType), bytesOf(pathBytes));
    if (!folder.isEmpty())
        fakes.registry.setString(folderKey, "MSINFO", folder.toStdString());
    fakes.launcher.existingFiles = existingFiles;
    fakes.launcher.startSucceeds = startSucceeds;
    frmAbout about(fakes.services());

    about.StartSysInfo();

    QStringList attempted;
    for (const auto& start : fakes.launcher.started) {
        attempted << start.path;
        QCOMPARE(start.windowStyle, int(NormalFocus));
    }
    QCOMPARE(attempted, started);
    QCOMPARE(fakes.messages.shown.size(), unavailable ? 1 : 0);
    if (unavailable) {
        QCOMPARE(fakes.messages.shown[0].text, QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(fakes.messages.shown[0].style, 0);
        QCOMPARE(fakes.messages.shown[0].title, QStringLiteral("Pellimor"));
    }
    QCOMPARE(int(fakes.registry.accessRequested.size()), keysOpened);
    if (keysOpened == 1)   // a registered path is started without looking for the file
        QVERIFY(fakes.launcher.fileChecks.isEmpty());
    QCOMPARE(fakes.registry.closed, fakes.registry.opened);
    for (std::uint32_t access : fakes.registry.accessRequested)
        QCOMPARE(access, IRegistry::ReadAccess);
}

void TestFrmAbout::enterAndEscape_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("agreementRequests");
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return) << true << 0;
    QTest::newRow("keypad Enter on OK") << "cmdOK" << int(Qt::Key_Enter) << true << 0;
    QTest::newRow("Escape on OK") << "cmdOK" << int(Qt::Key_Escape) << true << 0;
    QTest::newRow("Enter on the picture") << "picIcon" << int(Qt::Key_Return) << true << 0;
    QTest::newRow("Escape on the agreement button") << "cmdAgreement" << int(Qt::Key_Escape) << true << 0;
    QTest::newRow("Enter on the agreement button presses it")
        << "cmdAgreement" << int(Qt::Key_Return) << false << 1;
}

void TestFrmAbout::enterAndEscape()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closes);
    QFETCH(int, agreementRequests);
    FakeServices fakes;
    frmAbout about(fakes.services());
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QSignalSpy agreement(&about, &frmAbout::agreementRequested);
    auto* target = about.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(about.isVisible(), !closes);
    QCOMPARE(agreement.count(), agreementRequests);
}

void TestFrmAbout::tabVisitsTheControlsInOrder()
{
    FakeServices fakes;
    frmAbout about(fakes.services());
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    const QStringList order{"cmdOK", "picIcon", "cmdSysInfo", "cmdAgreement", "cmdOK"};
    QCOMPARE(QApplication::focusWidget()->objectName(), order.first());
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
    }
}

void TestFrmAbout::loadShowsVersionAndRadish()
{
    FakeServices fakes;
    frmAbout about(fakes.services());
    auto* version = about.findChild<QLabel*>(QStringLiteral("lblVersion"));
    auto* icon = about.findChild<QLabel*>(QStringLiteral("picIcon"));
    QVERIFY(version && icon);
    QCOMPARE(version->text(), QStringLiteral("Version 1.4.3"));
    const QPixmap& radish = ImageList::shared().picture(QStringLiteral("Radis"));
    QCOMPARE(icon->pixmap().cacheKey(), radish.cacheKey());
    QCOMPARE(icon->size(), QSize(32, 32));
    QVERIFY(!about.windowIcon().isNull());
}

int runFrmAboutTests(int argc, char** argv)
{
    TestFrmAbout tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_frmabout.moc"
