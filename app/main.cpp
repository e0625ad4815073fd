#include "app/Forms.h"
#include "pellimor_version.h"
#include "platform/Application.h"
#include "platform/Services.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(pellimor::Application::title());
    QApplication::setApplicationVersion(QStringLiteral(PELLIMOR_VERSION_STRING));
    QApplication::setOrganizationName(QStringLiteral("Brenvo"));
#ifdef PELLIMOR_APP_ID
    QGuiApplication::setDesktopFileName(QStringLiteral(PELLIMOR_APP_ID));
#endif
    // The program ends when its last window is unloaded, hidden ones included, which
    // only the window instances know about.
    QApplication::setQuitOnLastWindowClosed(false);

    pellimor::Forms forms(pellimor::Services::real());
    QObject::connect(&forms, &pellimor::Forms::lastWindowUnloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    forms.start();
    return app.exec();
}
