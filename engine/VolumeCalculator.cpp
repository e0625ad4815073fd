#include "engine/VolumeCalculator.h"

#include "engine/CheckedStep.h"
#include "engine/StepRoute.h"

namespace pellimor {

double VolumeCalculator::CalculateValue(std::string StartUnit, double StartValue,
                                        std::string ReturnUnit) const
{
    // The household measures are rounded litre values that do not agree with each other
    // (a tablespoon is not exactly three teaspoons here), so every pair of two non-litre
    // units takes its two steps through litres, in this order, and nothing else.
    static constexpr StepRoute<VolumeCalculator> routes[] = {
        {"LitreGallon", &VolumeCalculator::LitreToGallon, nullptr},
        {"LitreQuart", &VolumeCalculator::LitreToQuart, nullptr},
        {"LitrePint", &VolumeCalculator::LitreToPint, nullptr},
        {"LitreCup", &VolumeCalculator::LitreToCup, nullptr},
        {"LitreTablespoon", &VolumeCalculator::LitreToTablespoon, nullptr},
        {"LitreTeaspoon", &VolumeCalculator::LitreToTeaspoon, nullptr},
        {"LitreMillilitre", &VolumeCalculator::LitreToMillilitre, nullptr},
        {"LitreCentilitre", &VolumeCalculator::LitreToCentilitre, nullptr},
        {"LitreDecilitre", &VolumeCalculator::LitreToDecilitre, nullptr},
        {"GallonLitre", &VolumeCalculator::GallonToLitre, nullptr},
        {"GallonQuart", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToQuart},
        {"GallonPint", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToPint},
        {"GallonCup", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToCup},
        {"GallonTablespoon", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToTablespoon},
        {"GallonTeaspoon", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"GallonMillilitre", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToMillilitre},
        {"GallonCentilitre", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToCentilitre},
        {"GallonDecilitre", &VolumeCalculator::GallonToLitre, &VolumeCalculator::LitreToDecilitre},
        {"QuartLitre", &VolumeCalculator::QuartToLitre, nullptr},
        {"QuartGallon", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToGallon},
        {"QuartPint", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToPint},
        {"QuartCup", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToCup},
        {"QuartTablespoon", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToTablespoon},
        {"QuartTeaspoon", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"QuartMillilitre", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToMillilitre},
        {"QuartCentilitre", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToCentilitre},
        {"QuartDecilitre", &VolumeCalculator::QuartToLitre, &VolumeCalculator::LitreToDecilitre},
        {"PintLitre", &VolumeCalculator::PintToLitre, nullptr},
        {"PintGallon", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToGallon},
        {"PintQuart", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToQuart},
        {"PintCup", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToCup},
        {"PintTablespoon", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToTablespoon},
        {"PintTeaspoon", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"PintMillilitre", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToMillilitre},
        {"PintCentilitre", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToCentilitre},
        {"PintDecilitre", &VolumeCalculator::PintToLitre, &VolumeCalculator::LitreToDecilitre},
        {"CupLitre", &VolumeCalculator::CupToLitre, nullptr},
        {"CupGallon", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToGallon},
        {"CupPint", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToPint},
        {"CupQuart", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToQuart},
        {"CupTablespoon", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToTablespoon},
        {"CupTeaspoon", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"CupMillilitre", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToMillilitre},
        {"CupCentilitre", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToCentilitre},
        {"CupDecilitre", &VolumeCalculator::CupToLitre, &VolumeCalculator::LitreToDecilitre},
        {"TablespoonLitre", &VolumeCalculator::TablespoonToLitre, nullptr},
        {"TablespoonGallon", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToGallon},
        {"TablespoonPint", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToPint},
        {"TablespoonQuart", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToQuart},
        {"TablespoonCup", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToCup},
        {"TablespoonTeaspoon", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"TablespoonMillilitre", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToMillilitre},
        {"TablespoonCentilitre", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToCentilitre},
        {"TablespoonDecilitre", &VolumeCalculator::TablespoonToLitre, &VolumeCalculator::LitreToDecilitre},
        {"TeaspoonLitre", &VolumeCalculator::TeaspoonToLitre, nullptr},
        {"TeaspoonGallon", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToGallon},
        {"TeaspoonPint", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToPint},
        {"TeaspoonQuart", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToQuart},
        {"TeaspoonCup", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToCup},
        {"TeaspoonTablespoon", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToTablespoon},
        {"TeaspoonMillilitre", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToMillilitre},
        {"TeaspoonCentilitre", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToCentilitre},
        {"TeaspoonDecilitre", &VolumeCalculator::TeaspoonToLitre, &VolumeCalculator::LitreToDecilitre},
        {"MillilitreLitre", &VolumeCalculator::MillilitreToLitre, nullptr},
        {"MillilitreGallon", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToGallon},
        {"MillilitrePint", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToPint},
        {"MillilitreQuart", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToQuart},
        {"MillilitreCup", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToCup},
        {"MillilitreTablespoon", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToTablespoon},
        {"MillilitreTeaspoon", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"MillilitreCentilitre", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToCentilitre},
        {"MillilitreDecilitre", &VolumeCalculator::MillilitreToLitre, &VolumeCalculator::LitreToDecilitre},
        {"CentilitreLitre", &VolumeCalculator::CentilitreToLitre, nullptr},
        {"CentilitreGallon", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToGallon},
        {"CentilitrePint", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToPint},
        {"CentilitreQuart", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToQuart},
        {"CentilitreCup", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToCup},
        {"CentilitreTablespoon", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToTablespoon},
        {"CentilitreTeaspoon", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"CentilitreMillilitre", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToMillilitre},
        {"CentilitreDecilitre", &VolumeCalculator::CentilitreToLitre, &VolumeCalculator::LitreToDecilitre},
        {"DecilitreLitre", &VolumeCalculator::DecilitreToLitre, nullptr},
        {"DecilitreGallon", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToGallon},
        {"DecilitrePint", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToPint},
        {"DecilitreQuart", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToQuart},
        {"DecilitreCup", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToCup},
        {"DecilitreTablespoon", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToTablespoon},
        {"DecilitreTeaspoon", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToTeaspoon},
        {"DecilitreMillilitre", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToMillilitre},
        {"DecilitreCentilitre", &VolumeCalculator::DecilitreToLitre, &VolumeCalculator::LitreToCentilitre},
    };

    return runRoute(*this, routes, StartUnit, StartValue, ReturnUnit);
}

double VolumeCalculator::GallonToLitre(double value) const { return checkedStep(value, value * 3.785); }
double VolumeCalculator::LitreToGallon(double value) const { return checkedStep(value, value / 3.785); }
double VolumeCalculator::QuartToLitre(double value) const { return checkedStep(value, value * 0.946); }
double VolumeCalculator::LitreToQuart(double value) const { return checkedStep(value, value / 0.946); }
double VolumeCalculator::PintToLitre(double value) const { return checkedStep(value, value * 0.473); }
double VolumeCalculator::LitreToPint(double value) const { return checkedStep(value, value / 0.473); }
double VolumeCalculator::CupToLitre(double value) const { return checkedStep(value, value * 0.236); }
double VolumeCalculator::LitreToCup(double value) const { return checkedStep(value, value / 0.236); }
double VolumeCalculator::TablespoonToLitre(double value) const { return checkedStep(value, value * 0.01479); }
double VolumeCalculator::LitreToTablespoon(double value) const { return checkedStep(value, value / 0.01479); }
double VolumeCalculator::TeaspoonToLitre(double value) const { return checkedStep(value, value * 0.00493); }
double VolumeCalculator::LitreToTeaspoon(double value) const { return checkedStep(value, value / 0.00493); }
double VolumeCalculator::MillilitreToLitre(double value) const { return checkedStep(value, value / 1000); }
double VolumeCalculator::LitreToMillilitre(double value) const { return checkedStep(value, value * 1000); }
double VolumeCalculator::CentilitreToLitre(double value) const { return checkedStep(value, value / 100); }
double VolumeCalculator::LitreToCentilitre(double value) const { return checkedStep(value, value * 100); }
double VolumeCalculator::DecilitreToLitre(double value) const { return checkedStep(value, value / 10); }
double VolumeCalculator::LitreToDecilitre(double value) const { return checkedStep(value, value * 10); }

} // namespace pellimor
