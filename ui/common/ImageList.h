#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <map>

namespace pellimor {

// The program's one store of pictures, looked up by key. Every window takes its
// pictures and icons from here; the guide vegetables recognise their frames by
// picture identity, so a key hands out the very same picture every time.
//
// The store belongs to the application rather than to the converter window: the
// About and agreement windows read it and may outlive the converter window.
// Pictures are made on first use, in double resolution on screens that need it, from
// pixels compiled into the program: no file is read and no image reader loaded.
class ImageList {
public:
    // The application's store, made on first use and released before the
    // application object goes (pixmaps must not outlive it).
    static ImageList& shared();

    // The picture of a key, the same object on every call. An unknown key gives a
    // null picture and a warning: it is a fault of the asset set.
    const QPixmap& picture(const QString& key);

    bool contains(const QString& key) const;
    // All keys in their stored order.
    static const QStringList& keys();
    // The frames of an animation: the keys of the stem numbered from 1 on, in order.
    static QStringList frames(const QString& stem);
    // The stored picture of a key at a scale (1, or 2 for double resolution), or a
    // null image. It shares the program's own read-only pixels.
    static QImage image(const QString& key, int scale);

    // Drops every loaded picture (the next look-up reads it again).
    void clear();

private:
    // Node-based, so a picture handed out stays where it is as others are added.
    std::map<QString, QPixmap> m_pictures;
};

} // namespace pellimor
