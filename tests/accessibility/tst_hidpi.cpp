#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/converter/ImageList.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

using namespace pellimor;

// ctest runs this twice: on an ordinary screen and under QT_SCALE_FACTOR=2.
class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void windows_data()
    {
        QTest::addColumn<QStringList>("pictures");   // control=key
        QTest::newRow("converter") << QStringList{"imgLogo=logo", "imgRadis=Radis"};
        QTest::newRow("splash") << QStringList{"imgLogo=logo", "imgPoivron=Poivron"};
        QTest::newRow("about") << QStringList{"picIcon=Radis"};
    }

    void windows()
    {
        const QString window = QTest::currentDataTag();
        QFETCH(QStringList, pictures);
        // A run meant for double resolution must not quietly test the ordinary one.
        const int ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() >= 2.0 ? 2 : 1;
        QCOMPARE_EQ(qGuiApp->devicePixelRatio(), qreal(ratio));
        test::FakeServices fakes;
        const std::unique_ptr<QWidget> shown(window == "converter" ? new frmGUI(fakes.services())
                                             : window == "about"
                                                 ? static_cast<QWidget*>(new frmAbout(fakes.services()))
                                                 : new frmSplash);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));

        for (const QString& picture : pictures) {
            auto* image = shown->findChild<QLabel*>(picture.section('=', 0, 0));
            QVERIFY(image);
            image->show();
            const QImage stored = ImageList::image(picture.section('=', 1), ratio);
            QCOMPARE(image->pixmap().toImage(), stored.convertToFormat(image->pixmap().toImage().format()));
            QCOMPARE(image->size() * ratio, stored.size());   // standing at its ordinary size
        }

        // Captions fit across, and wrapped ones fit downwards.
        for (QWidget* widget : shown->findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(widget);
            const bool captioned =
                label ? !label->text().isEmpty()
                      : qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget);
            QVERIFY2(!captioned
                         || (widget->minimumSizeHint().width() <= widget->width()
                             && !(label && label->wordWrap()
                                  && label->heightForWidth(widget->width()) > widget->height())),
                qPrintable(widget->objectName() + " is clipped"));
        }
    }
};

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
