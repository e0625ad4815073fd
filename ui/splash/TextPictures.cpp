#include "ui/splash/TextPictures.h"

#include <QApplication>
#include <QBackingStore>
#include <QDataStream>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QSaveFile>
#include <QStyle>

#include <cmath>

namespace pellimor {

namespace {
constexpr quint32 Magic = 0x50545854;   // "PTXT"
constexpr quint32 Version = 2;
constexpr qint64 MaxFileBytes = 8 * 1024 * 1024;
constexpr quint32 MaxTexts = 64;
constexpr int MaxSide = 8192;

bool storable(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
           || format == QImage::Format_ARGB32;
}
} // namespace

TextPictures::TextPictures(QWidget& window, QString file, QByteArray systemStamp)
    : QObject(&window)
    , m_window(window)
    , m_file(std::move(file))
    , m_systemStamp(std::move(systemStamp))
{
}

// What every picture depends on besides the labels themselves.
QByteArray TextPictures::environment() const
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    const QFont font = QApplication::font();
    out << QByteArray(qVersion()) << QGuiApplication::platformName() << m_systemStamp
        << m_window.style()->name() << qApp->styleSheet() << m_window.styleSheet() << font.toString()
        << int(font.hintingPreference()) << m_window.devicePixelRatio();
    return bytes;
}

// The text's colour, then the background of the label and of each widget it lies on:
// the picture holds them all.
QList<quint32> TextPictures::coloursOf(const QLabel& label) const
{
    QList<quint32> colours{label.palette().color(label.foregroundRole()).rgba()};
    for (const QWidget* widget = &label; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        const QBrush& brush = widget->palette().brush(widget->backgroundRole());
        colours << quint32(widget->autoFillBackground() || widget->isWindow()) << quint32(brush.style())
                << brush.color().rgba();
    }
    return colours;
}

QFont TextPictures::fontOf(const Kept& kept)
{
    QFont font;
    font.fromString(kept.font);
    font.setFamilies(kept.families);
    font.setHintingPreference(QFont::HintingPreference(kept.hinting));
    return font;
}

bool TextPictures::matches(const Kept& kept, const Text& text) const
{
    const QLabel& label = *text.label;
    return kept.name == label.objectName() && kept.text == label.text()
           && kept.alignment == int(label.alignment()) && kept.wordWrap == label.wordWrap()
           && kept.place == label.pos() && (text.fitted || kept.size == label.size())
           && kept.dpi == label.logicalDpiY() && !kept.picture.isNull()
           && kept.picture.size() == kept.size * kept.picture.devicePixelRatio();
}

void TextPictures::setUp(std::vector<Text> texts)
{
    m_texts = std::move(texts);
    m_settled = false;
    m_kept = m_systemStamp.isEmpty() ? std::vector<Kept>() : load();
    m_fromPictures = !m_kept.empty() && m_kept.size() == m_texts.size();
    for (std::size_t i = 0; m_fromPictures && i < m_texts.size(); ++i)
        m_fromPictures = matches(m_kept[i], m_texts[i]);
    if (!m_fromPictures) {
        m_kept.clear();
        for (const Text& text : m_texts) {
            text.label->setFont(text.font());
            if (text.fitted)
                text.label->adjustSize();
        }
        return;
    }
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        QLabel& label = *m_texts[i].label;
        label.setFont(fontOf(m_kept[i]));
        if (m_texts[i].fitted)
            label.resize(m_kept[i].size);
        m_showing.insert(&label, int(i));
        label.installEventFilter(this);
    }
}

bool TextPictures::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    const auto showing = m_showing.find(watched);
    if (showing == m_showing.end())
        return false;
    auto& label = static_cast<QLabel&>(*watched);
    const Kept& kept = m_kept[std::size_t(*showing)];
    if (label.size() == kept.size && label.text() == kept.text && label.font() == fontOf(kept)
        && label.logicalDpiY() == kept.dpi && label.devicePixelRatio() == kept.picture.devicePixelRatio()
        && coloursOf(label) == kept.colours) {
        QPainter painter(&label);
        // Only into the window's own pixels, in the format the picture was taken in: a
        // grab or a print paints elsewhere, and draws the text itself.
        const QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
        QBackingStore* store = label.backingStore();
        if (device && store && device == store->paintDevice() && device->devType() == QInternal::Image
            && static_cast<const QImage*>(device)->format() == kept.picture.format()) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QPoint(0, 0), kept.picture);
            return true;
        }
    }
    // Something has changed since the picture was taken: the label draws itself from now on.
    m_showing.erase(showing);
    return false;
}

TextPictures::Kept TextPictures::take(QLabel& label) const
{
    Kept kept;
    kept.name = label.objectName();
    kept.text = label.text();
    kept.alignment = int(label.alignment());
    kept.wordWrap = label.wordWrap();
    kept.place = label.pos();
    kept.font = label.font().toString();
    kept.families = label.font().families();
    kept.hinting = int(label.font().hintingPreference());
    kept.size = label.size();
    kept.colours = coloursOf(label);
    kept.dpi = label.logicalDpiY();

    // A fractional ratio rounds the label's edges differently in a picture of its own.
    const qreal ratio = m_window.devicePixelRatio();
    if (ratio != std::floor(ratio) || label.size().isEmpty())
        return kept;
    // Another control over or under the label would be in its picture, as it was then.
    const QRect place(label.mapTo(&m_window, QPoint(0, 0)), label.size());
    for (const QWidget* other : m_window.findChildren<QWidget*>()) {
        if (other == &label || other->isAncestorOf(&label) || label.isAncestorOf(other))
            continue;
        if (QRect(other->mapTo(&m_window, QPoint(0, 0)), other->size()).intersects(place))
            return kept;
    }
    QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    if (QBackingStore* store = m_window.backingStore()) {
        const QPaintDevice* device = store->paintDevice();
        if (device && device->devType() == QInternal::Image)
            format = static_cast<const QImage*>(device)->format();
    }
    if (!storable(format))
        return kept;
    QImage picture(place.size() * ratio, format);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    m_window.render(&picture, QPoint(0, 0), QRegion(place), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    kept.picture = picture;
    return kept;
}

void TextPictures::settle()
{
    if (m_settled)
        return;
    m_settled = true;
    m_showing.clear();
    std::vector<Kept> taken;
    bool complete = true;
    for (std::size_t i = 0; i < m_texts.size(); ++i) {
        QLabel& label = *m_texts[i].label;
        label.removeEventFilter(this);
        const QFont font = m_texts[i].font();
        if (!(label.font() == font))
            label.setFont(font);
        if (m_texts[i].fitted)
            label.adjustSize();
        Kept kept = take(label);
        if (m_fromPictures && !(kept == m_kept[i])) {
            label.update();
            ++m_redrawn;
        }
        complete = complete && !kept.picture.isNull();
        taken.push_back(std::move(kept));
    }
    if (complete && !m_systemStamp.isEmpty() && !(m_fromPictures && m_redrawn == 0))
        store(taken);
    m_kept.clear();
}

std::vector<TextPictures::Kept> TextPictures::load() const
{
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileBytes)
        return {};
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint32 version = 0;
    QByteArray environment;
    quint32 count = 0;
    in >> magic >> version;
    if (magic != Magic || version != Version)
        return {};
    in >> environment >> count;
    if (in.status() != QDataStream::Ok || environment != this->environment() || count > MaxTexts)
        return {};
    std::vector<Kept> kept(count);
    for (Kept& one : kept) {
        qint32 width = 0;
        qint32 height = 0;
        qint32 format = 0;
        qreal ratio = 0;
        quint32 bytes = 0;
        in >> one.name >> one.text >> one.alignment >> one.wordWrap >> one.place >> one.font >> one.families
            >> one.hinting >> one.size >> one.colours >> one.dpi >> width >> height >> format >> ratio >> bytes;
        if (in.status() != QDataStream::Ok || width <= 0 || height <= 0 || width > MaxSide || height > MaxSide
            || !storable(QImage::Format(format)) || !(ratio >= 1 && ratio <= 16)
            || qint64(bytes) != qint64(width) * height * 4)
            return {};
        QImage picture(width, height, QImage::Format(format));
        if (picture.isNull() || picture.sizeInBytes() != qsizetype(bytes)
            || in.readRawData(reinterpret_cast<char*>(picture.bits()), int(bytes)) != int(bytes))
            return {};
        picture.setDevicePixelRatio(ratio);
        one.picture = picture;
    }
    return kept;
}

void TextPictures::store(const std::vector<Kept>& kept) const
{
    if (m_file.isEmpty() || !QDir().mkpath(QFileInfo(m_file).absolutePath()))
        return;
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    out.setVersion(QDataStream::Qt_6_0);
    out << Magic << Version << environment() << quint32(kept.size());
    for (const Kept& one : kept) {
        const QImage& picture = one.picture;
        out << one.name << one.text << one.alignment << one.wordWrap << one.place << one.font << one.families
            << one.hinting << one.size << one.colours << one.dpi << qint32(picture.width())
            << qint32(picture.height()) << qint32(picture.format()) << picture.devicePixelRatio()
            << quint32(picture.sizeInBytes());
        out.writeRawData(reinterpret_cast<const char*>(picture.constBits()), int(picture.sizeInBytes()));
    }
    if (out.status() == QDataStream::Ok)
        file.commit();
}

} // namespace pellimor
