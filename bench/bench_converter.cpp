// What a conversion costs the user's machine: one whole conversion request, from the
// controls' texts to the result line, for each category; and what the converter window
// costs while it waits, once a result's flash has ended.

#include "catalogue/CollectionManager.h"
#include "conversion/Conversion.h"
#include "fakes/FakeServices.h"
#include "ui/converter/frmGUI.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>

using namespace pellimor;
using namespace pellimor::test;

namespace {

struct Request {
    const char* category;
    const char* from;
    const char* quantity;
    const char* to;
    const char* line;   // what the window must write, or the run is void
};

// The first line is checked before the runs; the runs then go round every To unit of
// the category, so each writes a line that differs from the one before.
const Request Weights{"Weights", "Pound", "2", "Kilogram", "2 Pounds = 0.909 Kilogram"};
const Request Lengths{"Lengths", "Foot", "3", "Meter", "3 Feet = 0.914 Meter"};
const Request Volumes{"Volumes", "Cup", "2", "Millilitre", "2 Cups = 472 Millilitres"};
const Request Temperatures{"Temperatures", "Celcius", "180", "Gas Mark",
                           "180\u00B0 Celcius = Gas Mark 4"};

// The window as the user leaves it just before the To pick: category picked, From unit
// picked, quantity typed, all through the window's own handlers.
class Converter {
public:
    explicit Converter(const Request& request)
        : window(fakes.services())
    {
        window.show();
        cmbCategory = window.findChild<QComboBox*>(QStringLiteral("cmbCategory"));
        txtQuantity = window.findChild<QLineEdit*>(QStringLiteral("txtQuantity"));
        lstFrom = window.findChild<QListWidget*>(QStringLiteral("lstFrom"));
        lstTo = window.findChild<QListWidget*>(QStringLiteral("lstTo"));
        txtResult = window.findChild<QLineEdit*>(QStringLiteral("txtResult"));

        cmbCategory->setCurrentIndex(cmbCategory->findText(QString::fromUtf8(request.category)));
        window.cmbCategory_Click();
        lstFrom->setCurrentRow(row(lstFrom, request.from));   // the list reports the pick
        const QString quantity = QString::fromUtf8(request.quantity);
        for (QChar digit : quantity)
            window.txtQuantity_KeyPress(digit.unicode());
        txtQuantity->setText(quantity);
        toRow = row(lstTo, request.to);
    }

    // A To pick by mouse, which also moves the focus to the list as a user's would.
    void clickTo()
    {
        QListWidgetItem* item = lstTo->item(toRow);
        QTest::mouseClick(lstTo->viewport(), Qt::LeftButton, {}, lstTo->visualItemRect(item).center());
    }

    QString error(const Request& request) const
    {
        if (!fakes.messages.shown.isEmpty())
            return fakes.messages.shown.first().text;
        if (txtResult->text() != QString::fromUtf8(request.line))
            return QStringLiteral("wrote \"%1\"").arg(txtResult->text());
        return {};
    }

    FakeServices fakes;
    frmGUI window;
    QComboBox* cmbCategory = nullptr;
    QLineEdit* txtQuantity = nullptr;
    QListWidget* lstFrom = nullptr;
    QListWidget* lstTo = nullptr;
    QLineEdit* txtResult = nullptr;
    int toRow = -1;

private:
    static int row(QListWidget* list, const char* unit)
    {
        const QList<QListWidgetItem*> found =
            list->findItems(QString::fromUtf8(unit), Qt::MatchExactly);
        return found.isEmpty() ? -1 : list->row(found.first());
    }
};

// The request the window makes when the To unit is picked, with the To unit going round
// the category's units, so each request writes a line that differs from the one before.
void conversionRequest(benchmark::State& state, const Request& request)
{
    ConversionRequest asked{QString::fromUtf8(request.category), QString::fromUtf8(request.from),
                            QString::fromUtf8(request.quantity), QString::fromUtf8(request.to), QLocale()};
    if (const ConversionOutcome first = convert(asked); first.text != QString::fromUtf8(request.line)) {
        state.SkipWithError(("wrote \"" + first.text + "\"").toStdString().c_str());
        return;
    }
    // The units as the window lists them.
    QStringList units;
    const auto collection = CollectionManager().GetCollection(request.category);
    for (const std::string& unit : *collection)
        units << QString::fromStdString(unit);
    int row = int(units.indexOf(asked.toUnit));
    ConversionOutcome::Kind kind = ConversionOutcome::Kind::Line;
    for (auto _ : state) {
        row = (row + 1) % int(units.size());
        asked.toUnit = units.at(row);
        const ConversionOutcome outcome = convert(asked);
        kind = std::max(kind, outcome.kind);
        benchmark::DoNotOptimize(outcome.text.size());
    }
    // Every unit of the category makes a line from this quantity; a message instead
    // would have timed the wrong road.
    if (kind != ConversionOutcome::Kind::Line)
        state.SkipWithError("a request was refused");
}

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long voluntarySwitches()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

// The window left alone for ten seconds after a conversion whose flash has ended. The
// process's CPU time over them, how often it woke (each sleep it leaves counts once,
// the wake that ends the ten seconds included) and how often a timer of the window
// fired, which ought to be never.
void idleAfterConversion(benchmark::State& state)
{
    constexpr int IdleMs = 10000;
    for (auto _ : state) {
        state.PauseTiming();
        Converter converter(Weights);
        converter.clickTo();
        if (const QString error = converter.error(Weights); !error.isEmpty()) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        const QList<QTimer*> timers = converter.window.findChildren<QTimer*>();
        QElapsedTimer flash;
        flash.start();
        while (std::any_of(timers.begin(), timers.end(), [](QTimer* t) { return t->isActive(); })
               && flash.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        int ticks = 0;
        for (QTimer* timer : timers)
            QObject::connect(timer, &QTimer::timeout, [&ticks] { ++ticks; });
        QEventLoop idle;
        QTimer::singleShot(IdleMs, Qt::PreciseTimer, &idle, &QEventLoop::quit);
        const double cpuBefore = processCpuMs();
        const long wakesBefore = voluntarySwitches();
        state.ResumeTiming();

        idle.exec();

        state.PauseTiming();
        state.counters["cpu_ms"] = processCpuMs() - cpuBefore;
        state.counters["wakeups"] = double(voluntarySwitches() - wakesBefore);
        state.counters["timer_ticks"] = ticks;
        state.ResumeTiming();
    }
}

} // namespace

// A few microseconds of other work on a busy machine show in a mean; the median of
// five runs does not.
#define REQUEST(name, request)                                                             \
    BENCHMARK_CAPTURE(conversionRequest, name, request)                                    \
        ->Unit(benchmark::kMicrosecond)                                                    \
        ->Repetitions(5)                                                                   \
        ->DisplayAggregatesOnly(true)
REQUEST(Weights, Weights);
REQUEST(Lengths, Lengths);
REQUEST(Volumes, Volumes);
REQUEST(Temperatures, Temperatures);
BENCHMARK(idleAfterConversion)
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[])
{
    // The window needs no screen to be measured, and a screen would only add noise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
