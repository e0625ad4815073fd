#include "app/Forms.h"
#include "pellimor_version.h"
#include "platform/Application.h"
#include "platform/Services.h"
#include "ui/splash/frmSplash.h"

#include <QApplication>

#ifdef PELLIMOR_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <system_error>
#include <thread>
#endif

namespace {

// Reading the system's font configuration (a few dozen files of rules, and the caches
// of every font folder) costs about as much as all of the toolkit's set-up before it,
// the connection to the display included, and the splash needs it only after that set-up
// is done. So it is read on a second thread meanwhile; the toolkit then finds it loaded.
// It must be in place before the toolkit's first look at the fonts: one that came first
// would read it all again by itself.
class FontConfigurationReader {
public:
    FontConfigurationReader()
    {
#ifdef PELLIMOR_HAVE_FONTCONFIG
        try {
            m_thread = std::thread([] { FcInit(); });
        } catch (const std::system_error&) {
            // No second thread: the toolkit reads it when it needs it, as ever.
        }
#endif
    }

    void wait()
    {
#ifdef PELLIMOR_HAVE_FONTCONFIG
        if (m_thread.joinable())
            m_thread.join();
#endif
    }

    // The thread had an allocation arena of its own, and the main thread never takes from
    // it: what the reading freed there stays resident for the whole run unless it is
    // handed back. Only once the windows are up, as it costs a walk over every arena.
    static void releaseFreedMemory()
    {
#if defined(PELLIMOR_HAVE_FONTCONFIG) && defined(__GLIBC__)
        malloc_trim(0);
#endif
    }

    ~FontConfigurationReader() { wait(); }

    FontConfigurationReader(const FontConfigurationReader&) = delete;
    FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;

private:
#ifdef PELLIMOR_HAVE_FONTCONFIG
    std::thread m_thread;
#endif
};

} // namespace

int main(int argc, char* argv[])
{
    FontConfigurationReader fontConfiguration;
    QApplication app(argc, argv);
    fontConfiguration.wait();
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
    // Queued behind the converter window, which is built as soon as the splash is shown.
    QObject::connect(&forms.frmSplash(), &pellimor::frmSplash::shown, &app,
                     &FontConfigurationReader::releaseFreedMemory, Qt::QueuedConnection);
    return app.exec();
}
