// Build-time tool: decodes each picture file with Qt's own readers and writes its
// pixels into a C++ source, so the program shows the very same pixels without reading
// a file or loading an image-format plugin when it starts.
//
// usage: bake_pictures OUT.cpp PICTURE...
// A file named Key.ext is the key's picture; Key@2x.ext is its double-resolution twin.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

#include <cstdio>

namespace {

// Words, not bytes: a 32-bit pixel is written as the number it is, so the table reads
// right whatever the byte order of the machine that compiles it.
void writePixels(QTextStream& out, const QString& name, const QImage& image)
{
    out << "const quint32 " << name << "[] = {";
    int column = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            out << (column++ % 8 ? " " : "\n    ") << "0x" << QString::number(line[x], 16) << "u,";
        }
    }
    out << "\n};\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bake_pictures OUT.cpp PICTURE...\n");
        return 2;
    }

    QString source;
    QTextStream out(&source);
    out << "// Written by bake_pictures from the files in assets/pictures at build time.\n"
           "#include \"ui/common/StoredPictures.h\"\n\n"
           "namespace pellimor::stored {\n\nnamespace {\n";
    QStringList entries;
    for (qsizetype i = 1; i < args.size(); ++i) {
        QImageReader reader(args[i]);
        const QImage image = reader.read();
        // Only the two formats the readers give are stored; anything else would need
        // a colour table or another word size.
        if (image.isNull()
            || (image.format() != QImage::Format_ARGB32
                && image.format() != QImage::Format_ARGB32_Premultiplied)) {
            std::fprintf(stderr, "bake_pictures: %s: %s\n", qPrintable(args[i]),
                         image.isNull() ? qPrintable(reader.errorString()) : "unexpected pixel format");
            return 1;
        }
        QString key = QFileInfo(args[i]).completeBaseName();
        const bool doubled = key.endsWith(QLatin1String("@2x"));
        if (doubled)
            key.chop(3);
        const QString name = QStringLiteral("pixels%1").arg(i);
        writePixels(out, name, image);
        entries << QStringLiteral("    {\"%1\", %2, %3, %4, %5, %6},\n")
                       .arg(key)
                       .arg(doubled ? 2 : 1)
                       .arg(image.width())
                       .arg(image.height())
                       .arg(image.format() == QImage::Format_ARGB32 ? "QImage::Format_ARGB32"
                                                                    : "QImage::Format_ARGB32_Premultiplied")
                       .arg(name);
    }
    out << "\n} // namespace\n\nconst Picture pictures[] = {\n" << entries.join(QString())
        << "};\nconst std::size_t pictureCount = std::size(pictures);\n\n} // namespace pellimor::stored\n";
    out.flush();

    // Rewritten only when it changes, so a rebuild compiles nothing new.
    QFile file(args[0]);
    if (file.open(QIODevice::ReadOnly) && file.readAll() == source.toUtf8())
        return 0;
    file.close();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(source.toUtf8()) < 0) {
        std::fprintf(stderr, "bake_pictures: cannot write %s\n", qPrintable(args[0]));
        return 1;
    }
    return 0;
}
