#include "support/DisplayWatcher.h"
#include "ui/splash/frmSplash.h"

#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QtTest>

#include <chrono>
#include <memory>

using namespace pellimor;
using pellimor::test::DisplayWatcher;

namespace {

using Clock = DisplayWatcher::Clock;

constexpr auto Deadline = std::chrono::seconds(30);   // a sanitizer build on a loaded machine
constexpr int Attempts = 5;

// The window's pixels as the server holds them now.
QImage grab(DisplayWatcher& screen, xcb_window_t window)
{
    int width = 0, height = 0;
    const std::vector<std::uint32_t> pixels = screen.grab(window, width, height);
    if (pixels.empty())
        return {};
    return QImage(reinterpret_cast<const uchar*>(pixels.data()), width, height, width * 4, QImage::Format_RGB32)
        .convertToFormat(QImage::Format_RGB888);
}

// Whether the part of the image is more than one flat colour: a text or a picture
// drawn there, not the bare panel.
bool holdsSomething(const QImage& image, const QRect& part)
{
    const QRgb first = image.pixel(part.topLeft());
    for (int y = part.top(); y <= part.bottom(); ++y) {
        for (int x = part.left(); x <= part.right(); ++x) {
            if (image.pixel(x, y) != first)
                return true;
        }
    }
    return false;
}

} // namespace

class TestSplashFirstFrame : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstFrameHoldsIt_data();
    void firstFrameHoldsIt();
    void takesTheFocus();

private:
    struct Run {
        QImage first;   // the window the moment it was first drawn whole
        QImage later;   // the same window a second later
        xcb_window_t window = XCB_NONE;
        xcb_window_t focusLater = XCB_NONE;   // where the keys went once the splash took them
    };

    void run(Run& run);
    // A control's place in the splash window, from a splash of the test's own: the
    // program lays out the same window with the same fonts.
    QRect placeOf(const char* name);
    QImage withoutVegetables(QImage image);

    std::unique_ptr<frmSplash> m_layout;
    QProcess m_program;
    Run m_run;
};

void TestSplashFirstFrame::initTestCase()
{
    {
        const DisplayWatcher probe;
        if (!probe.error().empty())
            QSKIP(probe.error().c_str());
    }
    m_layout = std::make_unique<frmSplash>();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_program.setProcessEnvironment(environment);
    run(m_run);
}

// A start whose window the watcher found mapped before it could watch it tells nothing
// of its first frame: it is ended and the program started again.
void TestSplashFirstFrame::run(Run& run)
{
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        DisplayWatcher screen;
        QVERIFY2(screen.error().empty(), screen.error().c_str());
        screen.movePointer(0, 0);
        m_program.start(QStringLiteral(PELLIMOR_PROGRAM), {});
        QVERIFY2(m_program.waitForStarted(), qPrintable(m_program.errorString()));
        const pid_t pid = pid_t(m_program.processId());
        const auto mapped = screen.waitForMap(pid, Clock::now() + Deadline);
        QVERIFY2(mapped, "the splash was never mapped");
        const DisplayWatcher::Frame frame = screen.waitForCompleteFrame(pid, mapped->window, Clock::now() + Deadline);
        if (frame == DisplayWatcher::Frame::Complete) {
            // At once: the program goes on working behind the splash meanwhile.
            run.first = grab(screen, mapped->window);
            // Long before the splash hands over by itself.
            screen.idle(pid, Clock::now() + std::chrono::seconds(1));
            run.later = grab(screen, mapped->window);
            run.window = mapped->window;
            // Until the splash hands over by itself; it takes the focus long before.
            const auto handOver = mapped->when + std::chrono::milliseconds(frmSplash::HandOverInterval);
            while ((run.focusLater = screen.focus()) != run.window && Clock::now() < handOver)
                screen.idle(pid, Clock::now() + std::chrono::milliseconds(20));
        }
        m_program.terminate();
        if (!m_program.waitForFinished(10000))
            m_program.kill();
        m_program.waitForFinished(10000);
        QVERIFY2(frame != DisplayWatcher::Frame::NotInTime, "the splash was never drawn whole");
        if (frame == DisplayWatcher::Frame::Complete) {
            QVERIFY(!run.first.isNull() && !run.later.isNull());
            QCOMPARE(run.first.size(), m_layout->size());
            return;
        }
        qWarning("start %d: the splash was mapped before its damage could be watched; starting it again", attempt);
    }
    QFAIL("every start's splash was mapped before its damage could be watched");
}

void TestSplashFirstFrame::cleanupTestCase()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(3000);
    }
}

// The vegetables come one by one and blink: their places are blanked.
QImage TestSplashFirstFrame::withoutVegetables(QImage image)
{
    for (const char* vegetable : {"imgRadis", "imgTomate", "imgCarotte", "imgPoivron"}) {
        const QRect place = placeOf(vegetable);
        for (int y = place.top(); y <= place.bottom(); ++y) {
            for (int x = place.left(); x <= place.right(); ++x)
                image.setPixel(x, y, 0);
        }
    }
    return image;
}

QRect TestSplashFirstFrame::placeOf(const char* name)
{
    const auto* control = m_layout->findChild<QWidget*>(QLatin1String(name));
    if (!control)
        return {};
    return QRect(control->mapTo(m_layout.get(), QPoint(0, 0)), control->size());
}

void TestSplashFirstFrame::firstFrameHoldsIt_data()
{
    QTest::addColumn<QString>("control");
    for (const char* control : {"Label1", "lblCompanyProduct", "lblVersion", "lblCopyright", "lblWarning", "imgLogo"})
        QTest::newRow(control) << QString::fromLatin1(control);
    // Everything else, the panel's border included.
    QTest::newRow("whole window") << QString();
}

void TestSplashFirstFrame::firstFrameHoldsIt()
{
    QFETCH(QString, control);
    const Run& run = m_run;
    if (!control.isEmpty()) {
        const QRect place = placeOf(control.toLatin1().constData());
        QVERIFY(place.isValid() && run.first.rect().contains(place));
        QVERIFY2(holdsSomething(run.first, place), "nothing drawn there in the first frame");
        // The same text in the same face, or the same picture: nothing drawn again since.
        QCOMPARE(run.first.copy(place), run.later.copy(place));
        return;
    }
    QCOMPARE(withoutVegetables(run.first), withoutVegetables(run.later));
}

// Taken once the first frame is on screen, not before, and long before the splash hands
// over by itself: a key in the splash hands over wherever the pointer is.
void TestSplashFirstFrame::takesTheFocus()
{
    QCOMPARE(m_run.focusLater, m_run.window);
}

QTEST_MAIN(TestSplashFirstFrame)
#include "tst_splash_firstframe.moc"
