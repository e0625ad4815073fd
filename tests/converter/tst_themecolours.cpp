#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/common/ThemeColours.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace pellimor;
using namespace pellimor::test;

namespace {

// The desktops the program meets: Qt's own light palette, a dark one and a high-contrast
// one (black window and fields, white text), as a desktop's theme hands them over.
QPalette desktop(const QString& name)
{
    // The palette the program started with: Qt's own, light.
    static const QPalette light = QApplication::palette();
    if (name == u"light")
        return light;
    const bool dark = name == u"dark";
    const QColor window = dark ? QColor(0x22, 0x20, 0x20) : QColor(Qt::black);
    const QColor base = dark ? QColor(0x3d, 0x3d, 0x3d) : QColor(Qt::black);
    QPalette palette(QColor(Qt::white), dark ? QColor(0x42, 0x42, 0x45) : QColor(Qt::black), Qt::white,
                     Qt::darkGray, Qt::gray, Qt::white, Qt::white, base, window);
    palette.setColor(QPalette::Highlight, dark ? QColor(0x12, 0x60, 0x8a) : QColor(Qt::yellow));
    return palette;
}

// The desktop hands over a new palette; the windows have one turn of the event loop to
// follow it (Qt posts the change to every window).
void switchTo(const QPalette& palette)
{
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
}

QColor rgb(int red, int green, int blue) { return QColor(red, green, blue); }

// One step of 8-bit lightness towards the given colour; a nearest readable colour is no
// longer readable one step closer to where it came from.
QColor stepTowards(const QColor& colour, const QColor& from)
{
    const double step = (from.lightnessF() < colour.lightnessF() ? -1.0 : 1.0) / 255;
    return QColor(QColor::fromHslF(colour.hslHueF(), colour.hslSaturationF(),
                                   float(colour.lightnessF() + step)).rgb());
}

QColor text(const QWidget* widget) { return widget->palette().color(QPalette::Active, widget->foregroundRole()); }
QColor ground(const QWidget* widget, QPalette::ColorRole role) { return widget->palette().color(QPalette::Active, role); }

// A coloured text keeps its hue and reads at 4.5:1 or more on its ground; a text that
// was black takes the palette's own text colour.
void checkFollows(const QString& what, const QWidget* widget, const QColor& design, const QColor& under,
                  const QPalette& palette)
{
    const QColor shown = text(widget);
    if (design.hslHue() < 0) {
        QVERIFY2(shown == palette.color(QPalette::WindowText) || shown == design, qPrintable(what));
    } else {
        QVERIFY2(shown.hslHue() == design.hslHue(), qPrintable(what + " hue " + shown.name()));
        QVERIFY2(shown.hslSaturation() == design.hslSaturation(), qPrintable(what));
    }
    QVERIFY2(ThemeColours::contrast(shown, under) >= 4.5,
             qPrintable(what + ": " + shown.name() + " on " + under.name()));
}

} // namespace

class TestThemeColours : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(desktop("light").color(QPalette::Window).lightness() > 200); }
    void cleanup() { QApplication::setPalette(desktop("light")); }
    void contrast_data();
    void contrast();
    void textColour_data();
    void textColour();
    void fieldColour_data();
    void fieldColour();
    void fixedColours_data();
    void fixedColours();
    void converterFollowsThePalette();
};

void TestThemeColours::contrast_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("white on black") << rgb(255, 255, 255) << rgb(0, 0, 0) << 21.0;
    QTest::newRow("same colour") << rgb(0x22, 0x20, 0x20) << rgb(0x22, 0x20, 0x20) << 1.0;
    // The lightest grey readable on white, and the next one that is not.
    QTest::newRow("#767676 on white") << rgb(0x76, 0x76, 0x76) << rgb(255, 255, 255) << 4.54;
    QTest::newRow("#777777 on white") << rgb(0x77, 0x77, 0x77) << rgb(255, 255, 255) << 4.48;
    // Blue counts least of the three.
    QTest::newRow("pure blue on black") << rgb(0, 0, 255) << rgb(0, 0, 0) << 2.44;
    QTest::newRow("dark red on light grey") << rgb(192, 0, 0) << rgb(0xef, 0xef, 0xef) << 5.63;
    // The darkest values have light in proportion; the curve takes over from 11 of 255 up.
    QTest::newRow("grey 10 on black") << rgb(10, 10, 10) << rgb(0, 0, 0) << 1.06;
    QTest::newRow("grey 11 on black") << rgb(11, 11, 11) << rgb(0, 0, 0) << 1.07;
    QTest::newRow("middle grey on black") << rgb(128, 128, 128) << rgb(0, 0, 0) << 5.32;
    QTest::newRow("pure green on black") << rgb(0, 255, 0) << rgb(0, 0, 0) << 15.30;
    QTest::newRow("pure red on black") << rgb(255, 0, 0) << rgb(0, 0, 0) << 5.25;
}

void TestThemeColours::contrast()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QCOMPARE(qRound(ThemeColours::contrast(a, b) * 100), qRound(ratio * 100));
}

void TestThemeColours::textColour_data()
{
    QTest::addColumn<QColor>("fixed");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("paletteText");
    QTest::addColumn<QColor>("exactly");   // invalid: the nearest readable of the same hue
    const QColor light = rgb(0xef, 0xef, 0xef), dark = rgb(0x22, 0x20, 0x20), black = rgb(0, 0, 0);
    const QColor white = rgb(255, 255, 255);
    QTest::newRow("dark blue, light") << rgb(0, 0, 192) << light << black << rgb(0, 0, 192);
    QTest::newRow("dark red, light") << rgb(192, 0, 0) << light << black << rgb(192, 0, 0);
    QTest::newRow("black, light") << black << light << rgb(0x20, 0x20, 0x20) << black;
    QTest::newRow("dark blue, dark") << rgb(0, 0, 192) << dark << white << QColor();
    QTest::newRow("blue, dark") << rgb(0, 0, 255) << dark << white << QColor();
    QTest::newRow("dark red, dark") << rgb(192, 0, 0) << dark << white << QColor();
    QTest::newRow("purple, dark") << rgb(128, 0, 128) << dark << white << QColor();
    QTest::newRow("navy, black") << rgb(0, 0, 128) << black << white << QColor();
    QTest::newRow("black, dark") << black << dark << white << white;
    QTest::newRow("black, black") << black << black << rgb(0xee, 0xee, 0xee) << rgb(0xee, 0xee, 0xee);
    // A light colour on a light ground goes darker, not lighter.
    QTest::newRow("yellow, white") << rgb(255, 255, 0) << white << black << QColor();
    // A mid grey ground: the nearer of the two ways wins.
    QTest::newRow("blue, mid grey") << rgb(0, 0, 255) << rgb(0x80, 0x80, 0x80) << white << QColor();
}

void TestThemeColours::textColour()
{
    QFETCH(QColor, fixed);
    QFETCH(QColor, background);
    QFETCH(QColor, paletteText);
    QFETCH(QColor, exactly);
    const QColor shown = ThemeColours::textColour(fixed, background, paletteText);
    if (exactly.isValid()) {
        QCOMPARE(shown, exactly);
        return;
    }
    QCOMPARE(shown.hslHue(), fixed.hslHue());
    QCOMPARE(shown.hslSaturation(), fixed.hslSaturation());
    QCOMPARE_GE(ThemeColours::contrast(shown, background), 4.5);
    QCOMPARE_LT(ThemeColours::contrast(stepTowards(shown, fixed), background), 4.5);
    // And not a lightness further than it needed: the other way is no nearer.
    const double moved = std::abs(shown.lightnessF() - fixed.lightnessF());
    const QColor mirrored = QColor(QColor::fromHslF(fixed.hslHueF(), fixed.hslSaturationF(),
        float(std::clamp(fixed.lightnessF() + (shown.lightnessF() > fixed.lightnessF() ? -moved : moved), 0.0, 1.0))).rgb());
    if (mirrored != shown)
        QCOMPARE_LT(ThemeColours::contrast(mirrored, background), 4.5);
}

void TestThemeColours::fieldColour_data()
{
    QTest::addColumn<QColor>("paletteText");
    QTest::addColumn<QColor>("paletteBase");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("light: stays white") << rgb(0, 0, 0) << rgb(255, 255, 255) << rgb(255, 255, 255);
    QTest::newRow("dark: the field colour") << rgb(255, 255, 255) << rgb(0x3d, 0x3d, 0x3d) << rgb(0x3d, 0x3d, 0x3d);
    QTest::newRow("high contrast: black") << rgb(255, 255, 255) << rgb(0, 0, 0) << rgb(0, 0, 0);
}

void TestThemeColours::fieldColour()
{
    QFETCH(QColor, paletteText);
    QFETCH(QColor, paletteBase);
    QFETCH(QColor, expected);
    QCOMPARE(ThemeColours::fieldColour(Qt::white, paletteText, paletteBase), expected);
}

void TestThemeColours::fixedColours_data()
{
    QTest::addColumn<QString>("palette");
    for (const char* name : {"light", "dark", "high contrast", "light again"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Every open window follows a palette change at once: the splash's titles, the converter
// window's links and About's black labels.
void TestThemeColours::fixedColours()
{
    QFETCH(QString, palette);
    FakeServices fakes;
    frmSplash splash;
    frmAbout about(fakes.services());
    frmGUI window(fakes.services());
    for (QWidget* shown : {static_cast<QWidget*>(&splash), static_cast<QWidget*>(&about), static_cast<QWidget*>(&window)})
        shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Through dark and back, so that "light again" shows that nothing is left behind.
    if (palette == u"light again")
        switchTo(desktop("dark"));
    const QPalette now = desktop(palette == u"light again" ? "light" : palette == u"high contrast" ? "hc" : palette);
    switchTo(now);

    struct Fixed { QWidget* widget; const char* name; QColor design; };
    const Fixed texts[] = {
        {&splash, "Label1", rgb(192, 0, 0)},
        {&splash, "lblCompanyProduct", rgb(0, 0, 128)},
        {&window, "lblLearn", rgb(192, 0, 0)},
        {&window, "lblURL", rgb(0, 0, 255)},
        {&about, "lblTitle", rgb(0, 0, 0)},
        {&about, "lblDescription", rgb(0, 0, 0)},
        {&about, "Label1", rgb(0, 0, 0)},
    };
    const bool light = palette.startsWith(u"light");
    for (const Fixed& fixed : texts) {
        auto* label = fixed.widget->findChild<QLabel*>(QLatin1String(fixed.name));
        QVERIFY(label);
        const QString what = fixed.widget->objectName() + u'.' + QLatin1String(fixed.name);
        if (light)
            QCOMPARE(text(label), fixed.design);
        else
            checkFollows(what, label, fixed.design, now.color(QPalette::Window), now);
    }
}

// A converter window in the middle of the task: the result line, the category box, the
// visited link, and a field the flow left unusable beside usable ones, through light,
// dark, high contrast and light again.
void TestThemeColours::converterFollowsThePalette()
{
    FakeServices fakes;
    frmGUI window(fakes.services());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* cmbCategory = window.findChild<QComboBox*>("cmbCategory");
    auto* txtQuantity = window.findChild<QLineEdit*>("txtQuantity");
    auto* txtResult = window.findChild<QLineEdit*>("txtResult");
    auto* lstFrom = window.findChild<QListWidget*>("lstFrom");
    auto* lstTo = window.findChild<QListWidget*>("lstTo");
    auto* lblURL = window.findChild<QLabel*>("lblURL");
    QVERIFY(cmbCategory && txtQuantity && txtResult && lstFrom && lstTo && lblURL);

    const QPalette light = desktop("light");
    cmbCategory->setCurrentIndex(cmbCategory->findText("Weights"));
    emit cmbCategory->activated(cmbCategory->currentIndex());
    window.mnuGoToURL_Click();   // the address is visited: purple

    // The To list is locked until a From unit is picked.
    auto looks = [&](const QPalette& palette, bool toUsable) {
        QCOMPARE(ground(txtQuantity, QPalette::Base), palette.color(QPalette::Base));
        QCOMPARE(ground(lstFrom, QPalette::Base), palette.color(QPalette::Base));
        QCOMPARE(ground(lstTo, QPalette::Base), palette.color(toUsable ? QPalette::Base : QPalette::Window));
        QCOMPARE(ground(txtResult, QPalette::Base), palette.color(QPalette::Window));
    };
    for (const char* name : {"dark", "hc", "light"}) {
        switchTo(desktop(name));
        looks(desktop(name), false);
    }

    auto click = [](QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    };
    click(lstFrom, 4);   // Pound
    txtQuantity->setFocus();
    QTest::keyClicks(txtQuantity, "2");
    QVERIFY(lstTo->isEnabled());
    click(lstTo, 1);   // Kilogram
    QCOMPARE(txtResult->text(), "2 Pounds = 0.909 Kilogram");

    for (const char* name : {"dark", "hc", "light"}) {
        const QPalette palette = desktop(name);
        switchTo(palette);
        looks(palette, true);
        if (palette == light) {
            // Exactly the colours the window is defined with.
            QCOMPARE(text(txtResult), rgb(0, 0, 192));
            QCOMPARE(text(lblURL), rgb(128, 0, 128));
            QCOMPARE(ground(cmbCategory, QPalette::Base), rgb(255, 255, 255));
            continue;
        }
        checkFollows("txtResult", txtResult, rgb(0, 0, 192), palette.color(QPalette::Window), palette);
        checkFollows("lblURL", lblURL, rgb(128, 0, 128), palette.color(QPalette::Window), palette);
        QCOMPARE_GE(ThemeColours::contrast(text(cmbCategory), ground(cmbCategory, QPalette::Base)), 4.5);
        QCOMPARE(ground(cmbCategory, QPalette::Base), palette.color(QPalette::Base));
    }
}

QTEST_MAIN(TestThemeColours)
#include "tst_themecolours.moc"
