#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/converter/ImageList.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace pellimor;
using namespace pellimor::test;

// The same checks run twice, on an ordinary screen and under QT_SCALE_FACTOR=2: the
// windows keep their layout in device-independent pixels, and their pictures are the
// double-resolution renderings, drawn pixel for pixel rather than blown up.

namespace {

struct Windows {
    FakeServices fakes;
    std::unique_ptr<QWidget> window;

    QWidget* open(const QString& name)
    {
        if (name == QLatin1String("converter"))
            window = std::make_unique<frmGUI>(fakes.services());
        else if (name == QLatin1String("splash"))
            window = std::make_unique<frmSplash>();
        else if (name == QLatin1String("about"))
            window = std::make_unique<frmAbout>(fakes.services());
        else if (name == QLatin1String("agreement"))
            window = std::make_unique<frmAgreement>();
        else
            return nullptr;
        window->show();
        return QTest::qWaitForWindowExposed(window.get()) ? window.get() : nullptr;
    }
};

// The stored rendering of a key at a resolution: ":/pictures/Radis.ico" or its twin
// ":/pictures/Radis@2x.ico".
QString rendering(const QString& key, int ratio)
{
    const QString normal = ImageList::path(key);
    if (ratio == 1)
        return normal;
    const int dot = int(normal.lastIndexOf(QLatin1Char('.')));
    return normal.left(dot) + QStringLiteral("@%1x").arg(ratio) + normal.mid(dot);
}

// Pixels where the picture is fully opaque, compared by colour; -1 if sizes differ.
int differingOpaquePixels(const QImage& picture, const QImage& drawn)
{
    const QImage a = picture.convertToFormat(QImage::Format_ARGB32);
    const QImage b = drawn.convertToFormat(QImage::Format_ARGB32);
    if (b.width() < a.width() || b.height() < a.height())
        return -1;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (qAlpha(a.pixel(x, y)) == 255 && qRgb(qRed(a.pixel(x, y)), qGreen(a.pixel(x, y)), qBlue(a.pixel(x, y)))
                                                    != qRgb(qRed(b.pixel(x, y)), qGreen(b.pixel(x, y)), qBlue(b.pixel(x, y))))
                ++differing;
    return differing;
}

int opaquePixels(const QImage& picture)
{
    const QImage a = picture.convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            opaque += qAlpha(a.pixel(x, y)) == 255 ? 1 : 0;
    return opaque;
}

} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void layout_data();
    void layout();

private:
    int m_ratio = 1;
};

void TestHiDpi::initTestCase()
{
    // The scale the run was started with must have reached the screen, or a run meant
    // for double resolution would quietly test the ordinary one.
    m_ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() >= 2.0 ? 2 : 1;
    QCOMPARE_EQ(qGuiApp->devicePixelRatio(), qreal(m_ratio));
    qInfo("device pixel ratio %d", m_ratio);
}

void TestHiDpi::pictures_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QSize>("size");   // in device-independent pixels

    QTest::newRow("converter logo") << "converter" << "imgLogo" << "logo" << QSize(100, 96);
    QTest::newRow("converter radish") << "converter" << "imgRadis" << "Radis" << QSize(32, 32);
    QTest::newRow("converter carrot") << "converter" << "imgCarotte" << "Carotte" << QSize(32, 32);
    QTest::newRow("converter tomato") << "converter" << "imgTomate" << "Tomate" << QSize(32, 32);
    QTest::newRow("converter pepper") << "converter" << "imgPoivron" << "Poivron" << QSize(32, 32);
    QTest::newRow("category pointer") << "converter" << "imgCategory" << "Radis1" << QSize(28, 30);
    QTest::newRow("To pointer") << "converter" << "imgTo" << "Poivron1" << QSize(27, 28);
    QTest::newRow("splash logo") << "splash" << "imgLogo" << "logo" << QSize(100, 96);
    QTest::newRow("splash radish") << "splash" << "imgRadis" << "Radis" << QSize(32, 32);
    QTest::newRow("splash pepper") << "splash" << "imgPoivron" << "Poivron" << QSize(32, 32);
    QTest::newRow("About icon") << "about" << "picIcon" << "Radis" << QSize(32, 32);
}

void TestHiDpi::pictures()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, key);
    QFETCH(QSize, size);

    Windows windows;
    QWidget* shown = windows.open(window);
    QVERIFY(shown);
    if (auto* converter = qobject_cast<frmGUI*>(shown)) {
        converter->tmrCategory_Timer();   // the category pointer's first frame
        converter->DisplayVeggies();      // the To pointer's greeting frame
    }
    auto* image = shown->findChild<QLabel*>(control);
    QVERIFY(image);
    image->show();

    // The picture is the rendering for this screen, standing at its ordinary size.
    const QPixmap picture = image->pixmap();
    QCOMPARE_EQ(picture.devicePixelRatio(), qreal(m_ratio));
    QCOMPARE(picture.deviceIndependentSize(), QSizeF(size));
    QCOMPARE(picture.size(), size * m_ratio);
    QCOMPARE(image->size(), size);
    const QImage stored(rendering(key, m_ratio));
    QVERIFY(!stored.isNull());
    QCOMPARE(picture.toImage().convertToFormat(QImage::Format_ARGB32),
             stored.convertToFormat(QImage::Format_ARGB32));

    // On screen, every opaque pixel of the rendering is drawn as it is stored.
    const QRect place(image->mapTo(shown, QPoint(0, 0)), image->size());
    const QImage drawn = shown->grab(place).toImage();
    QCOMPARE(drawn.size(), size * m_ratio);
    QVERIFY(opaquePixels(stored) > 0);
    QCOMPARE(differingOpaquePixels(stored, drawn), 0);

    // And the double rendering is drawn anew, not the ordinary one enlarged.
    if (m_ratio == 2) {
        const QImage enlarged = QImage(rendering(key, 1)).scaled(size * 2, Qt::IgnoreAspectRatio,
                                                                 Qt::FastTransformation);
        QVERIFY(differingOpaquePixels(stored, enlarged) > 0);
    }
}

void TestHiDpi::layout_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");   // empty: the window itself
    QTest::addColumn<QRect>("geometry");    // at 96 dots per inch, relative to the parent

    QTest::newRow("converter client") << "converter" << "client" << QRect(0, 0, 514, 516);
    QTest::newRow("category frame") << "converter" << "fraCategory" << QRect(16, 16, 209, 65);
    QTest::newRow("category box") << "converter" << "cmbCategory" << QRect(16, 24, 137, 21);
    QTest::newRow("quantity box") << "converter" << "txtQuantity" << QRect(16, 24, 97, 19);
    QTest::newRow("From frame") << "converter" << "fraFrom" << QRect(16, 176, 209, 201);
    QTest::newRow("From list") << "converter" << "lstFrom" << QRect(24, 48, 161, 134);
    QTest::newRow("To frame") << "converter" << "fraTo" << QRect(288, 176, 209, 201);
    QTest::newRow("result frame") << "converter" << "Frame4" << QRect(16, 408, 481, 73);
    QTest::newRow("result box") << "converter" << "txtResult" << QRect(16, 24, 449, 33);
    QTest::newRow("learn link") << "converter" << "lblLearn" << QRect(312, 104, 161, 17);
    QTest::newRow("web address") << "converter" << "lblURL" << QRect(328, 128, 129, 17);
    QTest::newRow("logo") << "converter" << "imgLogo" << QRect(336, 0, 100, 96);
    QTest::newRow("splash") << "splash" << "" << QRect(0, 0, 488, 277);
    QTest::newRow("splash panel") << "splash" << "Frame1" << QRect(8, 0, 472, 270);
    QTest::newRow("splash name") << "splash" << "Label1" << QRect(112, 72, 353, 41);
    QTest::newRow("splash notice") << "splash" << "lblWarning" << QRect(10, 248, 161, 13);
    QTest::newRow("About") << "about" << "" << QRect(0, 0, 382, 237);
    QTest::newRow("About OK") << "about" << "cmdOK" << QRect(288, 208, 84, 23);
    QTest::newRow("About agreement") << "about" << "cmdAgreement" << QRect(288, 176, 83, 23);
    QTest::newRow("About title") << "about" << "lblTitle" << QRect(88, 16, 219, 16);
    QTest::newRow("agreement") << "agreement" << "" << QRect(0, 0, 537, 431);
    QTest::newRow("agreement text") << "agreement" << "txtAgreement" << QRect(16, 16, 505, 361);
    QTest::newRow("agreement OK") << "agreement" << "cmdOK" << QRect(432, 392, 89, 25);
}

void TestHiDpi::layout()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QRect, geometry);

    Windows windows;
    QWidget* shown = windows.open(window);
    QVERIFY(shown);
    QWidget* widget = control.isEmpty() ? shown : shown->findChild<QWidget*>(control);
    QVERIFY(widget);
    // A window and the converter's client area are placed by others (the screen, the
    // menu bar above it); only their size is theirs.
    if (widget->isWindow() || control == QLatin1String("client"))
        QCOMPARE(widget->size(), geometry.size());
    else
        QCOMPARE(widget->geometry(), geometry);
}

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
