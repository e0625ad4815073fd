#pragma once

#include <QImage>

#include <cstddef>

// The pictures as the program carries them: each file of assets/pictures decoded at
// build time into the pixels Qt's reader gave for it (see tools/bake_pictures.cpp).
namespace pellimor::stored {

struct Picture {
    const char* key;
    int scale;   // 1, or 2 for the double-resolution twin
    int width;
    int height;
    QImage::Format format;
    const quint32* pixels;   // width * height words, row after row
};

extern const Picture pictures[];
extern const std::size_t pictureCount;

} // namespace pellimor::stored
