#pragma once

#include "engine/ICalculator.h"

namespace pellimor {

// Volumes. The converter window builds one when the user asks for a volume; the unit
// names it passes are the catalogue's, and every pair goes through litres.
class VolumeCalculator : public ICalculator {
public:
    double CalculateValue(std::string StartUnit, double StartValue,
                          std::string ReturnUnit) const override;

private:
    double GallonToLitre(double value) const;
    double LitreToGallon(double value) const;
    double QuartToLitre(double value) const;
    double LitreToQuart(double value) const;
    double PintToLitre(double value) const;
    double LitreToPint(double value) const;
    double CupToLitre(double value) const;
    double LitreToCup(double value) const;
    double TablespoonToLitre(double value) const;
    double LitreToTablespoon(double value) const;
    double TeaspoonToLitre(double value) const;
    double LitreToTeaspoon(double value) const;
    double MillilitreToLitre(double value) const;
    double LitreToMillilitre(double value) const;
    double CentilitreToLitre(double value) const;
    double LitreToCentilitre(double value) const;
    double DecilitreToLitre(double value) const;
    double LitreToDecilitre(double value) const;
};

} // namespace pellimor
