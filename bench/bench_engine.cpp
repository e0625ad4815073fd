#include "engine/ICalculator.h"
#include "engine/LengthCalculator.h"
#include "engine/TemperatureCalculator.h"
#include "engine/VolumeCalculator.h"
#include "engine/WeightCalculator.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace pellimor;

namespace {

// One CalculateValue call per iteration, through the interface and with the unit names
// copied in, exactly as the window calls it. Each calculator gets a pair that is one
// step to or from its base unit and a pair that takes two steps.
void convert(benchmark::State& state, const ICalculator& calculator, const char* from,
             double amount, const char* to)
{
    const std::string startUnit = from;
    const std::string returnUnit = to;
    for (auto _ : state) {
        benchmark::DoNotOptimize(amount);
        double result = calculator.CalculateValue(startUnit, amount, returnUnit);
        benchmark::DoNotOptimize(result);
    }
}

const WeightCalculator weights;
const LengthCalculator lengths;
const VolumeCalculator volumes;
const TemperatureCalculator temperatures;

} // namespace

BENCHMARK_CAPTURE(convert, Weight_GramKilogram, weights, "Gram", 1500.0, "Kilogram");
BENCHMARK_CAPTURE(convert, Weight_PoundKilogram, weights, "Pound", 2.0, "Kilogram");
BENCHMARK_CAPTURE(convert, Length_CentimeterInch, lengths, "Centimeter", 30.0, "Inch");
BENCHMARK_CAPTURE(convert, Length_FootMeter, lengths, "Foot", 3.0, "Meter");
BENCHMARK_CAPTURE(convert, Volume_LitreCup, volumes, "Litre", 1.0, "Cup");
BENCHMARK_CAPTURE(convert, Volume_TablespoonTeaspoon, volumes, "Tablespoon", 1.0, "Teaspoon");
BENCHMARK_CAPTURE(convert, Temperature_CelciusFahrenheit, temperatures, "Celcius", 100.0, "Fahrenheit");
BENCHMARK_CAPTURE(convert, Temperature_CelciusGasMark, temperatures, "Celcius", 180.0, "Gas Mark");
