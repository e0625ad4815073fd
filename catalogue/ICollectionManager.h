#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pellimor {

// Unit names in display order. Each call hands out a new one, owned by the caller.
using UnitCollection = std::vector<std::string>;

// The unit catalogue: which units a category has, in the order the lists show them.
class ICollectionManager {
public:
    virtual ~ICollectionManager() = default;
    // The units of the category CollectionName; empty for a name that is not a category.
    virtual std::shared_ptr<UnitCollection> GetCollection(const std::string& CollectionName) const = 0;
};

} // namespace pellimor
