#include "ui/converter/ImageList.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QtDebug>

#include <utility>

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
    static const QStringList stored{
        QStringLiteral("Hand"),     QStringLiteral("logo"),
        QStringLiteral("Poivron1"), QStringLiteral("Poivron2"),
        QStringLiteral("Poivron3"), QStringLiteral("Poivron4"),
        QStringLiteral("Tomate1"),  QStringLiteral("Tomate2"),
        QStringLiteral("Tomate3"),  QStringLiteral("Tomate4"),
        QStringLiteral("Carotte1"), QStringLiteral("Carotte2"),
        QStringLiteral("Radis3"),   QStringLiteral("Radis4"),
        QStringLiteral("Radis1"),   QStringLiteral("Radis2"),
        QStringLiteral("Radis"),    QStringLiteral("Carotte"),
        QStringLiteral("Poivron"),  QStringLiteral("Tomate"),
    };
    return stored;
}

bool ImageList::contains(const QString& key) const
{
    return keys().contains(key);
}

QString ImageList::path(const QString& key)
{
    if (!keys().contains(key))
        return {};
    // The hand and the whole vegetables are icons; the logo and the frames are GIFs.
    const bool icon = key == QLatin1String("Hand") || key == QLatin1String("Radis")
                      || key == QLatin1String("Carotte") || key == QLatin1String("Poivron")
                      || key == QLatin1String("Tomate");
    return QStringLiteral(":/pictures/%1.%2").arg(key, icon ? QStringLiteral("ico")
                                                             : QStringLiteral("gif"));
}

const QPixmap& ImageList::picture(const QString& key)
{
    if (m_firstFetch)
        std::exchange(m_firstFetch, nullptr)();
    if (auto found = m_pictures.find(key); found != m_pictures.end())
        return found->second;

    QPixmap pixmap;
    const QString normal = path(key);
    if (normal.isEmpty()) {
        qWarning("ImageList: no picture has the key \"%s\"", qPrintable(key));
    } else {
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        const QString dot = normal.section(QLatin1Char('.'), -1);
        const QString doubled = normal.left(normal.size() - dot.size() - 1)
                                + QStringLiteral("@2x.") + dot;
        if (ratio >= 2.0 && QFile::exists(doubled) && pixmap.load(doubled)) {
            pixmap.setDevicePixelRatio(2.0);
        } else if (!pixmap.load(normal)) {
            qWarning("ImageList: the picture \"%s\" could not be read", qPrintable(normal));
        }
    }
    return m_pictures.emplace(key, pixmap).first->second;
}

void ImageList::clear()
{
    m_pictures.clear();
}

} // namespace pellimor
