#include "ui/common/FormTools.h"

#include "ui/common/ThemeColours.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace pellimor::form {

QColor color(std::uint32_t value)
{
    if (value & 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (value & 0xFFu) {
        case 4: return palette.color(QPalette::Active, QPalette::Window);
        case 5: return palette.color(QPalette::Active, QPalette::Base);
        default: return palette.color(QPalette::Active, QPalette::Button);
        }
    }
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

namespace {
QFont withStyle(QFont font, double pointSize, bool bold, bool italic, bool underline)
{
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

// A font whose first family is not installed makes the toolkit ask the system for a
// whole list of stand-ins before it looks at the next family named, for every new
// size or weight; the start-up paid for that several times over. A font naming two or
// more families makes it ask for the system's stand-ins of each new style at once,
// before the first text in that style is drawn, which held back the splash's first
// frame. So a font names only the first face of its list this machine has; the
// system's stand-ins for that face are asked for only if a text needs a character the
// face lacks, which none of the windows' own texts does.
QStringList installedOf(const QStringList& wanted)
{
    const QStringList present = QFontDatabase::families();
    for (const QString& family : wanted) {
        if (present.contains(family, Qt::CaseInsensitive))
            return {family};
    }
    return wanted;
}
} // namespace

void setBackground(QWidget& field, std::uint32_t value)
{
    ThemeColours::setBackground(field, value);
}

void setForeground(QWidget& widget, std::uint32_t value)
{
    ThemeColours::setForeground(widget, value);
}

QFont sansSerif(double pointSize, bool bold, bool italic, bool underline)
{
    // Faces with the old system font's narrow metrics come first, so captions fit
    // the widths they were drawn for.
    static const QStringList families = installedOf(
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
         QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
         QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    QFont font;
    font.setFamilies(families);
    return withStyle(font, pointSize, bold, italic, underline);
}

QFont arial(double pointSize, bool bold, bool italic)
{
    static const QStringList families = installedOf(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
         QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    QFont font;
    font.setFamilies(families);
    return withStyle(font, pointSize, bold, italic, false);
}

QTimer* newTimer(QObject& window, const char* name, int interval)
{
    auto* timer = new QTimer(&window);
    timer->setObjectName(QLatin1String(name));
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(interval);
    return timer;
}

void switchOn(QTimer& timer)
{
    if (!timer.isActive())
        timer.start();
}

void setPicture(QLabel& image, const QPixmap& picture)
{
    image.setPixmap(picture);
    if (!picture.isNull())
        image.resize(picture.deviceIndependentSize().toSize());
}

} // namespace pellimor::form
