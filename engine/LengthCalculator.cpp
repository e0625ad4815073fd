#include "engine/LengthCalculator.h"

#include "engine/CheckedStep.h"
#include "engine/StepRoute.h"

namespace pellimor {

double LengthCalculator::CalculateValue(std::string StartUnit, double StartValue,
                                        std::string ReturnUnit) const
{
    // Even inch to foot goes through centimeters: (v * 2.54) / 30.48, never v / 12.
    static constexpr StepRoute<LengthCalculator> routes[] = {
        {"CentimeterInch", &LengthCalculator::CentimeterToInch, nullptr},
        {"CentimeterMillimeter", &LengthCalculator::CentimeterToMillimeter, nullptr},
        {"CentimeterMeter", &LengthCalculator::CentimeterToMeter, nullptr},
        {"CentimeterFoot", &LengthCalculator::CentimeterToFoot, nullptr},
        {"InchCentimeter", &LengthCalculator::InchToCentimeter, nullptr},
        {"InchMillimeter", &LengthCalculator::InchToCentimeter, &LengthCalculator::CentimeterToMillimeter},
        {"InchMeter", &LengthCalculator::InchToCentimeter, &LengthCalculator::CentimeterToMeter},
        {"InchFoot", &LengthCalculator::InchToCentimeter, &LengthCalculator::CentimeterToFoot},
        {"MillimeterCentimeter", &LengthCalculator::MillimeterToCentimeter, nullptr},
        {"MillimeterMeter", &LengthCalculator::MillimeterToCentimeter, &LengthCalculator::CentimeterToMeter},
        {"MillimeterInch", &LengthCalculator::MillimeterToCentimeter, &LengthCalculator::CentimeterToInch},
        {"MillimeterFoot", &LengthCalculator::MillimeterToCentimeter, &LengthCalculator::CentimeterToFoot},
        {"MeterCentimeter", &LengthCalculator::MeterToCentimeter, nullptr},
        {"MeterInch", &LengthCalculator::MeterToCentimeter, &LengthCalculator::CentimeterToInch},
        {"MeterMillimeter", &LengthCalculator::MeterToCentimeter, &LengthCalculator::CentimeterToMillimeter},
        {"MeterFoot", &LengthCalculator::MeterToCentimeter, &LengthCalculator::CentimeterToFoot},
        {"FootCentimeter", &LengthCalculator::FootToCentimeter, nullptr},
        {"FootInch", &LengthCalculator::FootToCentimeter, &LengthCalculator::CentimeterToInch},
        {"FootMillimeter", &LengthCalculator::FootToCentimeter, &LengthCalculator::CentimeterToMillimeter},
        {"FootMeter", &LengthCalculator::FootToCentimeter, &LengthCalculator::CentimeterToMeter},
    };

    return runRoute(*this, routes, StartUnit, StartValue, ReturnUnit);
}

double LengthCalculator::InchToCentimeter(double value) const { return checkedStep(value, value * 2.54); }
double LengthCalculator::CentimeterToInch(double value) const { return checkedStep(value, value / 2.54); }
double LengthCalculator::CentimeterToMeter(double value) const { return checkedStep(value, value / 100); }
double LengthCalculator::MeterToCentimeter(double value) const { return checkedStep(value, value * 100); }
double LengthCalculator::CentimeterToMillimeter(double value) const { return checkedStep(value, value * 10); }
double LengthCalculator::MillimeterToCentimeter(double value) const { return checkedStep(value, value / 10); }
double LengthCalculator::CentimeterToFoot(double value) const { return checkedStep(value, value / 30.48); }
double LengthCalculator::FootToCentimeter(double value) const { return checkedStep(value, value * 30.48); }

} // namespace pellimor
