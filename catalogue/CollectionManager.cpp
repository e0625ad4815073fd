#include "catalogue/CollectionManager.h"

#include "catalogue/Categories.h"

#include <span>
#include <string_view>

namespace pellimor {

namespace {

// Display order. "Gas Mark" sits between the two temperature scales on purpose.
constexpr std::string_view temperatures[] = {"Celcius", "Gas Mark", "Fahrenheit"};
constexpr std::string_view weights[] = {"Gram", "Kilogram", "Milligram", "Ounce", "Pound"};
constexpr std::string_view volumes[] = {"Centilitre", "Cup", "Decilitre", "Gallon", "Litre",
                                        "Millilitre", "Pint", "Quart", "Tablespoon", "Teaspoon"};
constexpr std::string_view lengths[] = {"Centimeter", "Foot", "Inch", "Meter", "Millimeter"};

struct Category {
    std::string_view name;
    std::span<const std::string_view> units;
};

constexpr Category categories[] = {
    {category::Temperatures, temperatures},
    {category::Weights, weights},
    {category::Volumes, volumes},
    {category::Lengths, lengths},
};

} // namespace

std::shared_ptr<UnitCollection> CollectionManager::GetCollection(const std::string& CollectionName) const
{
    // Always a fresh collection, even for a name that is no category: the caller owns it
    // and may change it without touching the catalogue.
    auto collection = std::make_shared<UnitCollection>();
    for (const Category& each : categories) {
        if (CollectionName == each.name) {
            for (std::string_view unit : each.units)
                collection->emplace_back(unit);
            break;
        }
    }
    return collection;
}

} // namespace pellimor
