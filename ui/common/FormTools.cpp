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
// size or weight; the start-up paid for that several times over. So a font names
// only the faces of its list this machine has, in the list's order, and the nearest
// of them is what it gets.
QStringList installedOf(const QStringList& wanted)
{
    const QStringList present = QFontDatabase::families();
    QStringList installed;
    for (const QString& family : wanted) {
        if (present.contains(family, Qt::CaseInsensitive))
            installed.append(family);
    }
    return installed.isEmpty() ? wanted : installed;
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
