#pragma once

#include "catalogue/ICollectionManager.h"

namespace pellimor {

// The unit catalogue. The converter window makes a new one whenever a category is
// picked and fills both unit lists from the collection; the names it hands out are the
// very texts the calculators build their unit-pair keys from.
class CollectionManager : public ICollectionManager {
public:
    std::shared_ptr<UnitCollection> GetCollection(const std::string& CollectionName) const override;
};

} // namespace pellimor
