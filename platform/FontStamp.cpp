#include "platform/FontStamp.h"

#ifdef PELLIMOR_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>

#include <QCryptographicHash>

#include <sys/stat.h>
#endif

namespace pellimor {

namespace {

#ifdef PELLIMOR_HAVE_FONTCONFIG
// Each path with its modification time and size: a folder's time changes when a font
// is added to it or taken away, a file's when it is edited.
bool addPaths(QCryptographicHash& hash, FcStrList* paths)
{
    if (!paths)
        return false;
    while (FcChar8* path = FcStrListNext(paths)) {
        struct stat info {};
        const char* name = reinterpret_cast<const char*>(path);
        hash.addData(QByteArrayView(name, qsizetype(qstrlen(name)) + 1));
        if (::stat(name, &info) == 0) {
            const qint64 fields[] = {qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec),
                                     qint64(info.st_size)};
            hash.addData(QByteArrayView(reinterpret_cast<const char*>(fields), sizeof fields));
        } else {
            hash.addData(QByteArrayView("-", 1));
        }
    }
    FcStrListDone(paths);
    return true;
}

QByteArray computeStamp()
{
    FcConfig* config = FcConfigGetCurrent();
    if (!config)
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const int version = FcGetVersion();
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&version), sizeof version));
    if (!addPaths(hash, FcConfigGetConfigFiles(config)) || !addPaths(hash, FcConfigGetFontDirs(config)))
        return {};
    // FreeType reads these itself: hinting engines and the like.
    for (const char* variable : {"FREETYPE_PROPERTIES"}) {
        const QByteArray value = qgetenv(variable);
        hash.addData(QByteArrayView(variable));
        hash.addData(value.isNull() ? QByteArrayView("\x01", 1) : QByteArrayView(value));
    }
    return hash.result().toHex();
}
#endif

} // namespace

QByteArray fontSystemStamp()
{
#ifdef PELLIMOR_HAVE_FONTCONFIG
    static const QByteArray stamp = computeStamp();
    return stamp;
#else
    return {};
#endif
}

} // namespace pellimor
