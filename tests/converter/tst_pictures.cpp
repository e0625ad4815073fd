#include "ui/common/ImageList.h"

#include <QDir>
#include <QGuiApplication>
#include <QtTest>

using namespace pellimor;

// The program carries its pictures as pixels decoded at build time. Whatever it carries
// must show exactly what the picture files show when Qt reads them.
class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void sameAsTheFiles_data()
    {
        QTest::addColumn<QString>("file");
        const QDir dir(QStringLiteral(PELLIMOR_PICTURE_DIR));
        const QStringList files = dir.entryList(QDir::Files);
        QCOMPARE(files.size(), ImageList::keys().size() * 2);   // every key, at both resolutions
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << dir.filePath(file);
    }

    void sameAsTheFiles()
    {
        QFETCH(QString, file);
        QString key = QFileInfo(file).completeBaseName();
        const int scale = key.endsWith(QLatin1String("@2x")) ? 2 : 1;
        key.remove(QLatin1String("@2x"));
        QVERIFY(ImageList::keys().contains(key));

        const QImage read(file);
        QVERIFY(!read.isNull());
        const QImage stored = ImageList::image(key, scale);
        QCOMPARE(stored.format(), read.format());
        QCOMPARE(stored, read);
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
