#include <QApplication>
#include <QLabel>
#include <QWidget>

// The least a Qt Widgets program can do on screen: one window holding one label. Any
// start-up time or memory the converter needs beyond this is its own.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    QLabel label(QStringLiteral("Floor"), &window);
    window.show();
    return app.exec();
}
