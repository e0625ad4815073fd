#include "ui/common/ImageList.h"

#include "ui/common/StoredPictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtDebug>

namespace pellimor {

namespace {
ImageList* g_shared = nullptr;

void releaseShared()
{
    delete g_shared;
    g_shared = nullptr;
}
} // namespace

ImageList& ImageList::shared()
{
    if (!g_shared) {
        g_shared = new ImageList;
        // Post routines run as the GUI application closes, while pictures may still
        // be freed safely.
        qAddPostRoutine(releaseShared);
    }
    return *g_shared;
}

const QStringList& ImageList::keys()
{
    static const QStringList stored = [] {
        QStringList keys;
        for (std::size_t i = 0; i < stored::pictureCount; ++i)
            if (stored::pictures[i].scale == 1)
                keys << QLatin1String(stored::pictures[i].key);
        return keys;
    }();
    return stored;
}

QStringList ImageList::frames(const QString& stem)
{
    QStringList frames;
    for (int n = 1; keys().contains(stem + QString::number(n)); ++n)
        frames << stem + QString::number(n);
    return frames;
}

bool ImageList::contains(const QString& key) const
{
    return keys().contains(key);
}

QImage ImageList::image(const QString& key, int scale)
{
    for (std::size_t i = 0; i < stored::pictureCount; ++i) {
        const stored::Picture& picture = stored::pictures[i];
        if (picture.scale == scale && key == QLatin1String(picture.key)) {
            QImage image(reinterpret_cast<const uchar*>(picture.pixels), picture.width, picture.height,
                         picture.width * 4, picture.format);
            image.setDevicePixelRatio(scale);
            return image;
        }
    }
    return {};
}

const QPixmap& ImageList::picture(const QString& key)
{
    if (auto found = m_pictures.find(key); found != m_pictures.end())
        return found->second;

    QPixmap pixmap;
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (const QImage doubled = ratio >= 2.0 ? image(key, 2) : QImage(); !doubled.isNull()) {
        pixmap = QPixmap::fromImage(doubled);
    } else if (const QImage normal = image(key, 1); !normal.isNull()) {
        pixmap = QPixmap::fromImage(normal);
    } else {
        qWarning("ImageList: no picture has the key \"%s\"", qPrintable(key));
    }
    return m_pictures.emplace(key, pixmap).first->second;
}

void ImageList::clear()
{
    m_pictures.clear();
}

} // namespace pellimor
