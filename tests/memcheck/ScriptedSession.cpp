#include "app/Forms.h"
#include "fakes/FakeServices.h"
#include "ui/about/frmAbout.h"
#include "ui/about/frmAgreement.h"
#include "ui/converter/frmGUI.h"
#include "ui/splash/frmSplash.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

// A whole run of the program as a user makes it, for memory checkers: the real start-up
// with the real windows, the splash and its hand-over, one conversion per category and a
// refused quantity, the About and agreement windows, Exit while About is still open, and
// the end of the process when the last window goes. Only the outside world is faked:
// no message box blocks, no browser or program is started.
//
// Each step waits until the program is ready for it, then acts through the widgets or
// the handlers a click would reach. The run passes when every step has been done, every
// result line reads as it should and the event loop has ended by itself.

namespace pellimor {

namespace {

// A hang guard only: a run that has not ended by then has lost its way.
constexpr int WatchdogMilliseconds = 300'000;
constexpr int PollMilliseconds = 10;

struct Conversion {
    const char* category;
    const char* from;
    const char* quantity;
    const char* to;
    QString line;   // expected in the result box; empty: a message instead
};

bool onScreen(const QWidget& window)
{
    return window.isVisible() && window.windowHandle() && window.windowHandle()->isExposed();
}

void clickRow(QListWidget& list, const QString& text)
{
    const QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
    if (found.size() != 1) {
        std::fprintf(stderr, "No single row \"%s\" in %s\n", qUtf8Printable(text),
                     qUtf8Printable(list.objectName()));
        std::exit(1);
    }
    list.scrollToItem(found.front());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(found.front()).center());
}

class ScriptedSession {
public:
    ScriptedSession()
        : m_forms(m_fakes.services())
    {
        QObject::connect(&m_forms, &Forms::lastWindowUnloaded, qApp, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        script();
        QObject::connect(&m_poll, &QTimer::timeout, [this] { advance(); });
        QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
            std::fprintf(stderr, "The run hung at step %zu: %s\n", m_next,
                         m_next < m_steps.size() ? m_steps[m_next].name.c_str() : "(after the last)");
            std::exit(1);
        });
        m_watchdog.setSingleShot(true);
    }

    int run()
    {
        m_forms.start();
        m_poll.start(PollMilliseconds);
        m_watchdog.start(WatchdogMilliseconds);
        const int code = QApplication::exec();
        m_watchdog.stop();
        if (code != 0 || m_next != m_steps.size()) {
            std::fprintf(stderr, "The event loop ended at step %zu of %zu\n", m_next, m_steps.size());
            return 1;
        }
        if (!m_fakes.browser.opened.isEmpty() || !m_fakes.launcher.started.isEmpty()) {
            std::fprintf(stderr, "The run opened a browser or started a program\n");
            return 1;
        }
        std::printf("Scripted session done: %zu steps, %lld messages\n", m_steps.size(),
                    static_cast<long long>(m_fakes.messages.shown.size()));
        return 0;
    }

private:
    struct Step {
        std::string name;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void step(std::string name, std::function<bool()> ready, std::function<void()> act)
    {
        m_steps.push_back({std::move(name), std::move(ready), std::move(act)});
    }

    [[noreturn]] void fail(const QString& what)
    {
        std::fprintf(stderr, "Step %zu (%s): %s\n", m_next, m_steps[m_next].name.c_str(),
                     qUtf8Printable(what));
        std::exit(1);
    }

    void advance()
    {
        if (m_next < m_steps.size() && m_steps[m_next].ready()) {
            m_steps[m_next].act();
            ++m_next;
        }
        if (m_next == m_steps.size())
            m_poll.stop();   // the program's own timers alone decide from here
    }

    bool loaded(Forms::Window window) const { return m_forms.isLoaded(window); }
    frmGUI& gui() { return m_forms.frmGUI(); }

    template <class T> T& control(QWidget& window, const char* name)
    {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found)
            fail(QStringLiteral("no control %1").arg(QLatin1String(name)));
        return *found;
    }

    bool flashOver()
    {
        return !control<QTimer>(gui(), "tmrResult").isActive()
               && !control<QTimer>(gui(), "tmrStop").isActive();
    }

    void convert(const Conversion& c)
    {
        const QString name = QLatin1String(c.category);
        step("pick " + name.toStdString(), [this] { return flashOver(); }, [this, name] {
            auto& box = control<QComboBox>(gui(), "cmbCategory");
            const int index = box.findText(name);
            box.setCurrentIndex(index);
            emit box.activated(index);   // what a pick from the drop-down ends in
        });
        step(std::string("pick From ") + c.from, [] { return true; }, [this, c] {
            clickRow(control<QListWidget>(gui(), "lstFrom"), QLatin1String(c.from));
        });
        // Back into the quantity box, as with the Tab key: the box selects its text on
        // the way in, and the typing replaces it.
        step("into the quantity box", [] { return true; }, [this] {
            control<QLineEdit>(gui(), "txtQuantity").setFocus(Qt::TabFocusReason);
        });
        step(std::string("type ") + c.quantity, [this] {
            const auto& box = control<QLineEdit>(gui(), "txtQuantity");
            return box.hasFocus() && box.selectedText() == box.text();
        }, [this, c] {
            QTest::keyClicks(&control<QLineEdit>(gui(), "txtQuantity"), QLatin1String(c.quantity));
        });
        step(std::string("pick To ") + c.to, [this] {
            return control<QListWidget>(gui(), "lstTo").isEnabled();
        }, [this, c] {
            const qsizetype before = m_fakes.messages.shown.size();
            clickRow(control<QListWidget>(gui(), "lstTo"), QLatin1String(c.to));
            const QString shown = control<QLineEdit>(gui(), "txtResult").text();
            if (!c.line.isEmpty() && shown != c.line)
                fail(QStringLiteral("the result reads \"%1\", not \"%2\"").arg(shown, c.line));
            if (c.line.isEmpty() && m_fakes.messages.shown.size() != before + 1)
                fail(QStringLiteral("no message for a refused quantity"));
        });
    }

    void script()
    {
        // Under a memory checker the first paint can take longer than the splash's own
        // hand-over clock; then the splash has handed over by itself, which is a run too.
        step("splash on screen, converter loaded hidden", [this] {
            return !loaded(Forms::Window::frmSplash) || onScreen(m_forms.frmSplash());
        }, [this] {
            if (!loaded(Forms::Window::frmSplash)) {
                std::printf("The splash handed over by itself before a key could be pressed\n");
                return;
            }
            if (!loaded(Forms::Window::frmGUI) || m_forms.frmGUI().isVisible())
                fail(QStringLiteral("the converter window is not loaded hidden behind the splash"));
            QTest::keyClick(&m_forms.frmSplash(), Qt::Key_Space);
        });
        step("converter on screen, splash unloaded", [this] {
            return !loaded(Forms::Window::frmSplash) && onScreen(gui());
        }, [] {});

        const QString degrees = QStringLiteral("\u00B0");
        convert({"Weights", "Pound", "2", "Kilogram", QStringLiteral("2 Pounds = 0.909 Kilogram")});
        convert({"Volumes", "Gallon", "1", "Quart", QStringLiteral("1 Gallon = 4.001 Quarts")});
        convert({"Lengths", "Inch", "24", "Foot", QStringLiteral("24 Inches = 2 Feet")});
        convert({"Temperatures", "Celcius", "180", "Gas Mark",
                 QStringLiteral("180%1 Celcius = Gas Mark 4").arg(degrees)});
        convert({"Temperatures", "Gas Mark", "10", "Celcius", QString()});
        convert({"Weights", "Ounce", "x", "Gram", QString()});

        step("Help, About", [this] { return flashOver(); }, [this] {
            control<QAction>(gui(), "mnuAbout").trigger();
        });
        step("System Info with no tool registered", [this] {
            return loaded(Forms::Window::frmAbout) && onScreen(m_forms.frmAbout());
        }, [this] {
            const qsizetype before = m_fakes.messages.shown.size();
            QTest::mouseClick(&control<QPushButton>(m_forms.frmAbout(), "cmdSysInfo"), Qt::LeftButton);
            if (m_fakes.messages.shown.size() != before + 1)
                fail(QStringLiteral("no word that the tool is unavailable"));
        });
        step("Agreement...", [] { return true; }, [this] {
            QTest::mouseClick(&control<QPushButton>(m_forms.frmAbout(), "cmdAgreement"), Qt::LeftButton);
        });
        step("agreement OK", [this] {
            return loaded(Forms::Window::frmAgreement) && onScreen(m_forms.frmAgreement());
        }, [this] {
            QTest::mouseClick(&control<QPushButton>(m_forms.frmAgreement(), "cmdOK"), Qt::LeftButton);
        });
        step("File, Exit with About still open", [this] {
            return !loaded(Forms::Window::frmAgreement);
        }, [this] {
            control<QAction>(gui(), "mnuExit").trigger();
        });
        step("About OK, the last window", [this] {
            return !loaded(Forms::Window::frmGUI) && loaded(Forms::Window::frmAbout);
        }, [this] {
            QTest::mouseClick(&control<QPushButton>(m_forms.frmAbout(), "cmdOK"), Qt::LeftButton);
        });
    }

    test::FakeServices m_fakes;
    Forms m_forms;
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QTimer m_poll;
    QTimer m_watchdog;
};

} // namespace

} // namespace pellimor

int main(int argc, char* argv[])
{
    // As the program starts itself, in a locale with a decimal dot for the lines above.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellimor"));
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    pellimor::ScriptedSession session;
    return session.run();
}
