#include "engine/RuntimeError.h"
#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/converter/ImageList.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using namespace pellimor;
using test::FakeServices;

namespace {

const std::string toolKey = frmAbout::ToolPathKey;
const std::string folderKey = frmAbout::ToolFolderKey;

void setPath(FakeServices& fakes, int type, const QByteArray& bytes)
{
    fakes.registry.setRaw(toolKey, "PATH", std::uint32_t(type), std::vector<char>(bytes.begin(), bytes.end()));
}

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

private slots:
    void getKeyValue_data();
    void getKeyValue();
    void getKeyValueRaisesOnAnEmptyValue();
    void startSysInfo_data();
    void startSysInfo();
    void enterAndEscape_data();
    void enterAndEscape();
    void tabVisitsTheControlsInOrder();
    void loadShowsVersionAndRadish();
};

void TestFrmAbout::getKeyValue_data()
{
    QTest::addColumn<QString>("key");        // "present", "missing" or "refused"
    QTest::addColumn<int>("type");           // -1: no such value
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("entry");      // KeyVal on entry
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("value");

    const QByteArray path("C:\\Tools\\info.exe", 17);
    QTest::newRow("string loses its NUL") << "present" << 1 << (path + '\0') << "old" << true << QString(path);
    QTest::newRow("string without NUL is kept whole") << "present" << 1 << path << "" << true << QString(path);
    QTest::newRow("empty string, just the NUL") << "present" << 1 << QByteArray(1, '\0') << "old" << true << "";
    QTest::newRow("expandable string counts as read, value untouched")
        << "present" << 2 << QByteArray("%SystemRoot%\\x\0", 15) << "old" << true << "old";
    QTest::newRow("number: high bytes unsigned, trailing NUL dropped")
        << "present" << 4 << QByteArray("\xFF\x0A\x00\x01", 4) << "" << true << "&h10AFF";
    QTest::newRow("number: digits follow what the value held")
        << "present" << 4 << QByteArray("\x0B\x00", 2) << "7" << true << "&h7B";
    QTest::newRow("missing value") << "present" << -1 << QByteArray() << "old" << false << "";
    QTest::newRow("missing key") << "missing" << -1 << QByteArray() << "old" << false << "";
    QTest::newRow("open refused") << "refused" << 1 << (path + '\0') << "old" << false << "";
}

void TestFrmAbout::getKeyValue()
{
    QFETCH(QString, key);
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, entry);
    QFETCH(bool, result);
    QFETCH(QString, value);

    FakeServices fakes;
    if (key != QLatin1String("missing"))
        fakes.registry.addKey(toolKey);
    if (type >= 0)
        setPath(fakes, type, bytes);
    if (key == QLatin1String("refused"))
        fakes.registry.openStatus = IRegistry::AccessDenied;
    frmAbout about(fakes.services());

    QString keyVal = entry;
    QCOMPARE(about.GetKeyValue(IRegistry::LocalMachine, QString::fromStdString(toolKey), QStringLiteral("PATH"),
                               keyVal),
             result);
    QCOMPARE(keyVal, value);
    QCOMPARE(fakes.registry.accessRequested, std::vector<std::uint32_t>{IRegistry::ReadAccess});
    QCOMPARE(fakes.registry.closed, fakes.registry.opened);
    QCOMPARE(fakes.registry.closeCalls, 1);
    if (key != QLatin1String("present"))
        QVERIFY(fakes.registry.queried.empty());
}

void TestFrmAbout::getKeyValueRaisesOnAnEmptyValue()
{
    FakeServices fakes;
    setPath(fakes, IRegistry::StringType, {});
    frmAbout about(fakes.services());
    QString keyVal;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, about.GetKeyValue(IRegistry::LocalMachine, QString::fromStdString(toolKey),
                                                             QStringLiteral("PATH"), keyVal));
    QCOMPARE(fakes.registry.opened, 1);
    QCOMPARE(fakes.registry.closed, 1);
}

void TestFrmAbout::startSysInfo_data()
{
    QTest::addColumn<int>("pathType");          // -1: no PATH value
    QTest::addColumn<QByteArray>("pathBytes");
    QTest::addColumn<QString>("folder");        // empty: no folder key
    QTest::addColumn<bool>("toolInFolder");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("started");   // every start attempted
    QTest::addColumn<bool>("unavailable");
    QTest::addColumn<int>("keysOpened");

    const QByteArray tool("D:\\Info\\tool.exe\0", 17);
    const QString inFolder = QStringLiteral("C:\\Shared\\MSINFO32.EXE");
    QTest::newRow("both present: the path wins, unchecked")
        << 1 << tool << "C:\\Shared" << true << true << QStringList{"D:\\Info\\tool.exe"} << false << 1;
    QTest::newRow("no path: the tool in the folder")
        << -1 << QByteArray() << "C:\\Shared" << true << true << QStringList{inFolder} << false << 2;
    QTest::newRow("no path, folder without the tool")
        << -1 << QByteArray() << "C:\\Shared" << false << true << QStringList{} << true << 2;
    QTest::newRow("neither value") << -1 << QByteArray() << "" << false << true << QStringList{} << true << 2;
    QTest::newRow("start fails") << 1 << tool << "" << false << false << QStringList{"D:\\Info\\tool.exe"} << true << 1;
    QTest::newRow("expandable path starts nothing")
        << 2 << tool << "C:\\Shared" << true << true << QStringList{""} << true << 1;
    QTest::newRow("number path is started as it reads")
        << 4 << QByteArray("\x01\x00", 2) << "C:\\Shared" << true << true << QStringList{"&h1"} << false << 1;
    QTest::newRow("empty path value ends in the trap")
        << 1 << QByteArray() << "C:\\Shared" << true << true << QStringList{} << true << 1;
}

void TestFrmAbout::startSysInfo()
{
    QFETCH(int, pathType);
    QFETCH(QByteArray, pathBytes);
    QFETCH(QString, folder);
    QFETCH(bool, toolInFolder);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, started);
    QFETCH(bool, unavailable);
    QFETCH(int, keysOpened);

    FakeServices fakes;
    fakes.registry.addKey(toolKey);
    if (pathType >= 0)
        setPath(fakes, pathType, pathBytes);
    if (!folder.isEmpty())
        fakes.registry.setString(folderKey, "MSINFO", folder.toStdString());
    if (toolInFolder)
        fakes.launcher.existingFiles = {QStringLiteral("C:\\Shared\\MSINFO32.EXE")};
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
    // A registered path is started without looking for the file.
    if (keysOpened == 1)
        QVERIFY(fakes.launcher.fileChecks.isEmpty());
    QCOMPARE(fakes.registry.accessRequested, std::vector<std::uint32_t>(keysOpened, IRegistry::ReadAccess));
    QCOMPARE(fakes.registry.closed, fakes.registry.opened);
}

void TestFrmAbout::enterAndEscape_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return) << true;
    QTest::newRow("Escape on OK") << "cmdOK" << int(Qt::Key_Escape) << true;
    QTest::newRow("Escape on the agreement button") << "cmdAgreement" << int(Qt::Key_Escape) << true;
    QTest::newRow("Enter on the agreement button presses it") << "cmdAgreement" << int(Qt::Key_Return) << false;
}

void TestFrmAbout::enterAndEscape()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, closes);
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
    QCOMPARE(agreement.count(), closes ? 0 : 1);
}

void TestFrmAbout::tabVisitsTheControlsInOrder()
{
    FakeServices fakes;
    frmAbout about(fakes.services());
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, (QStringList{"cmdOK", "picIcon", "cmdSysInfo", "cmdAgreement", "cmdOK"}));
}

void TestFrmAbout::loadShowsVersionAndRadish()
{
    FakeServices fakes;
    frmAbout about(fakes.services());
    auto* version = about.findChild<QLabel*>(QStringLiteral("lblVersion"));
    auto* icon = about.findChild<QLabel*>(QStringLiteral("picIcon"));
    QVERIFY(version && icon);
    QCOMPARE(version->text(), QStringLiteral("Version 1.4.3"));
    QCOMPARE(icon->pixmap().cacheKey(), ImageList::shared().picture(QStringLiteral("Radis")).cacheKey());
    QCOMPARE(icon->size(), QSize(32, 32));
}

int runFrmAboutTests(int argc, char** argv)
{
    TestFrmAbout tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_frmabout.moc"
