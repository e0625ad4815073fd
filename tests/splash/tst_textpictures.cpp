#include "ui/splash/TextPictures.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace pellimor;

namespace {

// Counts the paints that reach a label's own drawing.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// A small window of two texts, one fitted to its text, as the splash has them.
struct Window {
    QWidget window;
    QLabel* name = nullptr;
    QLabel* notice = nullptr;
    TextPictures* pictures = nullptr;
    PaintCounter counter;

    Window(const QString& file, const QByteArray& stamp, double nameSize, const QString& notice)
    {
        window.setFixedSize(300, 120);
        auto* frame = new QFrame(&window);
        frame->setGeometry(8, 0, 284, 112);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        name = new QLabel(QStringLiteral("Pellimor"), frame);
        name->setObjectName(QStringLiteral("name"));
        name->move(20, 10);
        this->notice = new QLabel(notice, frame);
        this->notice->setObjectName(QStringLiteral("notice"));
        this->notice->setGeometry(20, 70, 200, 30);
        this->notice->setWordWrap(true);
        for (QLabel* label : {name, this->notice})
            label->installEventFilter(&counter);
        pictures = new TextPictures(window, file, stamp);
        pictures->setUp({
            {name, [nameSize] { QFont font; font.setPointSizeF(nameSize); font.setBold(true); return font; }, true},
            {this->notice, [] { QFont font; font.setPointSizeF(8.25); return font; }, false},
        });
    }

    // What the window shows on screen, from the first paint on.
    QImage shown()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return {};
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage();
    }

    QImage settled()
    {
        pictures->settle();
        QCoreApplication::processEvents();
        return window.screen()->grabWindow(window.winId()).toImage();
    }
};

// What the window draws with no pictures at all.
QImage drawnByFonts(double nameSize, const QString& notice)
{
    Window fresh(QString(), QByteArray(), nameSize, notice);
    return fresh.shown();
}

const QString Notice = QStringLiteral("This application is a freeware.");
enum Damage { Intact, CutShort, Spoilt };

} // namespace

class TestTextPictures : public QObject {
    Q_OBJECT

private slots:
    void nextStart_data();
    void nextStart();
};

void TestTextPictures::nextStart_data()
{
    QTest::addColumn<QByteArray>("stamp");           // the font system the next start finds
    QTest::addColumn<double>("nameSize");            // the size its fonts give the name
    QTest::addColumn<QString>("notice");
    QTest::addColumn<int>("damage");                 // what happened to the kept file meanwhile
    QTest::addColumn<bool>("dark");                  // the desktop turned dark meanwhile
    QTest::addColumn<bool>("fromPictures");          // the labels are set up from the pictures
    QTest::addColumn<bool>("pictured");              // and the first frame shows them
    QTest::addColumn<int>("redrawn");

    const QByteArray same("fonts 1");
    QTest::newRow("nothing changed") << same << 18.0 << Notice << int(Intact) << false << true << true << 0;
    // Fonts the stamp cannot see changed: the kept pictures show once, then the check
    // draws the name again in its real font.
    QTest::newRow("fonts changed unseen") << same << 14.0 << Notice << int(Intact) << false << true << true << 1;
    QTest::newRow("another font system") << QByteArray("fonts 2") << 14.0 << Notice << int(Intact) << false
                                         << false << false << 0;
    QTest::newRow("another text") << same << 18.0 << QStringLiteral("Freeware.") << int(Intact) << false << false
                                  << false << 0;
    QTest::newRow("file cut short") << same << 18.0 << Notice << int(CutShort) << false << false << false << 0;
    // Nothing tells spoilt pixels from good ones before the check: it draws the text again.
    QTest::newRow("pixels spoilt") << same << 18.0 << Notice << int(Spoilt) << false << true << true << 1;
    // Light pictures on a dark desktop: each label draws itself at once.
    QTest::newRow("desktop turned dark") << same << 18.0 << Notice << int(Intact) << true << true << false << 2;
}

void TestTextPictures::nextStart()
{
    QFETCH(QByteArray, stamp);
    QFETCH(double, nameSize);
    QFETCH(QString, notice);
    QFETCH(int, damage);
    QFETCH(bool, dark);
    QFETCH(bool, fromPictures);
    QFETCH(bool, pictured);
    QFETCH(int, redrawn);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString file = folder.filePath(QStringLiteral("texts"));
    {
        Window first(file, "fonts 1", 18.0, Notice);
        QVERIFY(!first.pictures->fromPictures());
        QVERIFY(!first.shown().isNull());
        first.settled();
        QVERIFY(QFile::exists(file));
    }
    if (damage != Intact) {
        QFile garble(file);
        QVERIFY(garble.open(QIODevice::ReadWrite));
        const qint64 size = garble.size();
        if (damage == CutShort) {
            QVERIFY(garble.resize(size - 100));
        } else {
            // Inside the notice's picture, the last in the file.
            QVERIFY(garble.seek(size - 4000));
            QVERIFY(garble.write(QByteArray(400, '\x40')) == 400);
        }
    }
    const QImage kept = drawnByFonts(18.0, Notice);
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&light] { QApplication::setPalette(light); });
    if (dark) {
        QPalette palette(QColor(0x30, 0x30, 0x30), QColor(0x20, 0x20, 0x20));
        palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
        QApplication::setPalette(palette);
    }
    const QImage truth = drawnByFonts(nameSize, notice);

    Window next(file, stamp, nameSize, notice);
    QCOMPARE(next.pictures->fromPictures(), fromPictures);
    const QImage firstFrame = next.shown();
    // Drawn from the pictures, the labels' own paints never ran; otherwise they did.
    QCOMPARE(next.counter.paints == 0, pictured);
    if (damage == Spoilt)
        QVERIFY(firstFrame != truth);
    else
        QCOMPARE(firstFrame, pictured ? kept : truth);
    QCOMPARE(next.settled(), truth);
    QCOMPARE(next.pictures->redrawn(), redrawn);

    // Whatever the next start found, the one after it draws from pictures that hold.
    Window third(file, stamp, nameSize, notice);
    QVERIFY(third.pictures->fromPictures());
    QCOMPARE(third.shown(), truth);
    QCOMPARE(third.counter.paints, 0);
    third.settled();
    QCOMPARE(third.pictures->redrawn(), 0);
}

QTEST_MAIN(TestTextPictures)
#include "tst_textpictures.moc"
