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
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

// A whole run of the real program for memory checkers: the real start-up and windows, the
// splash and its hand-over, one conversion per category and two refused ones, About, the
// agreement, Exit while About is open, and the process ending by itself when the last
// window goes. Only the outside world is faked. Each step waits until the program is ready
// for it, then acts through the widgets.
using namespace pellimor;
using W = Forms::Window;

namespace {

struct Step {
    std::string name;
    std::function<bool()> ready;   // none: ready at once
    std::function<void()> act;
    int messages = 0;              // how many messages the step brings up
};
std::vector<Step> steps;
std::size_t next = 0;

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "Step %zu (%s): %s\n", next,
                 next < steps.size() ? steps[next].name.c_str() : "-", qUtf8Printable(what));
    std::exit(1);
}

// The control tests keep the names.
template <class T> T& find(QWidget& window, const char* name) { return *window.findChild<T*>(QLatin1String(name)); }
bool onScreen(QWidget& w) { return w.isVisible() && w.windowHandle() && w.windowHandle()->isExposed(); }

void clickRow(QListWidget& list, const char* text)
{
    const auto found = list.findItems(QLatin1String(text), Qt::MatchExactly);
    if (found.size() != 1)
        fail(QStringLiteral("no single row %1").arg(QLatin1String(text)));
    list.scrollToItem(found.front());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(found.front()).center());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellimor"));
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));   // a decimal dot
    test::FakeServices fakes;
    Forms forms(fakes.services());
    QObject::connect(&forms, &Forms::lastWindowUnloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    auto loaded = [&](W window) { return forms.isLoaded(window); };
    auto gui = [&]() -> QWidget& { return forms.frmGUI(); };
    auto box = [&] { return &find<QLineEdit>(gui(), "txtQuantity"); };
    auto about = [&] { return loaded(W::frmAbout) && onScreen(forms.frmAbout()); };
    auto click = [](QWidget& window, const char* name) {
        QTest::mouseClick(&find<QPushButton>(window, name), Qt::LeftButton);
    };
    auto flashOver = [&] {
        return !find<QTimer>(gui(), "tmrResult").isActive() && !find<QTimer>(gui(), "tmrStop").isActive();
    };

    // Under a memory checker the first paint can outlast the splash's own hand-over clock;
    // then the splash has handed over by itself, which is a run too, with nothing to press.
    // Otherwise the converter window follows the splash on screen, hidden behind it.
    steps.push_back({"splash", [&] {
        return !loaded(W::frmSplash) || (onScreen(forms.frmSplash()) && loaded(W::frmGUI));
    }, [&] {
        if (!loaded(W::frmSplash))
            return;
        if (gui().isVisible())
            fail(QStringLiteral("the converter window is not hidden behind the splash"));
        QTest::keyClick(&forms.frmSplash(), Qt::Key_Space);
    }});
    steps.push_back({"hand-over", [&] { return !loaded(W::frmSplash) && onScreen(gui()); }, [] {}});

    const struct { const char *category, *from, *quantity, *to; QString line; } conversions[] = {
        {"Weights", "Pound", "2", "Kilogram", QStringLiteral("2 Pounds = 0.909 Kilogram")},
        {"Volumes", "Gallon", "1", "Quart", QStringLiteral("1 Gallon = 4.001 Quarts")},
        {"Lengths", "Inch", "24", "Foot", QStringLiteral("24 Inches = 2 Feet")},
        {"Temperatures", "Celcius", "180", "Gas Mark", QStringLiteral("180\u00B0 Celcius = Gas Mark 4")},
        {"Temperatures", "Gas Mark", "10", "Celcius", {}},   // no line: a message instead
        {"Weights", "Ounce", "x", "Gram", {}},
    };
    for (const auto& c : conversions) {
        // Back into the quantity box with Tab, which selects its text for the typing to replace.
        steps.push_back({std::string(c.category) + ", From " + c.from, flashOver, [&] {
            auto& category = find<QComboBox>(gui(), "cmbCategory");
            category.setCurrentIndex(category.findText(QLatin1String(c.category)));
            emit category.activated(category.currentIndex());   // what a pick from the list ends in
            clickRow(find<QListWidget>(gui(), "lstFrom"), c.from);
            box()->setFocus(Qt::TabFocusReason);
        }});
        steps.push_back({std::string(c.quantity) + ", To " + c.to,
                         [&] { return box()->hasFocus() && box()->selectedText() == box()->text(); }, [&] {
            QTest::keyClicks(box(), QLatin1String(c.quantity));
            clickRow(find<QListWidget>(gui(), "lstTo"), c.to);
            const QString shown = find<QLineEdit>(gui(), "txtResult").text();
            if (!c.line.isEmpty() && shown != c.line)
                fail(QStringLiteral("the result reads \"%1\", not \"%2\"").arg(shown, c.line));
        }, c.line.isEmpty()});
    }
    steps.push_back({"Help, About", flashOver, [&] { find<QAction>(gui(), "mnuAbout").trigger(); }});
    steps.push_back({"System Info, no tool", about, [&] { click(forms.frmAbout(), "cmdSysInfo"); }, 1});
    steps.push_back({"Agreement...", {}, [&] { click(forms.frmAbout(), "cmdAgreement"); }});
    steps.push_back({"agreement OK", [&] { return loaded(W::frmAgreement) && onScreen(forms.frmAgreement()); },
                     [&] { click(forms.frmAgreement(), "cmdOK"); }});
    steps.push_back({"Exit with About open", [&] { return !loaded(W::frmAgreement); },
                     [&] { find<QAction>(gui(), "mnuExit").trigger(); }});
    steps.push_back({"About OK, the last window", [&] { return !loaded(W::frmGUI) && about(); },
                     [&] { click(forms.frmAbout(), "cmdOK"); }});

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (next < steps.size() && (!steps[next].ready || steps[next].ready())) {
            const qsizetype before = fakes.messages.shown.size();
            steps[next].act();
            if (fakes.messages.shown.size() - before != steps[next].messages)
                fail(QStringLiteral("%1 messages").arg(fakes.messages.shown.size() - before));
            ++next;
        }
        if (next == steps.size())
            poll.stop();   // the program's own timers alone decide from here
    });
    QTimer::singleShot(300'000, [] { fail(QStringLiteral("the run hung")); });   // a hang guard only
    forms.start();
    poll.start(10);
    if (QApplication::exec() != 0 || next != steps.size() || !fakes.browser.opened.isEmpty()
        || !fakes.launcher.started.isEmpty())
        fail(QStringLiteral("the run ended early, or opened a browser or started a program"));
    std::printf("Scripted session done: %zu steps\n", steps.size());
    return 0;
}
