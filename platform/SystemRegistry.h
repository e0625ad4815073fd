#pragma once

#include "platform/IRegistry.h"

#include <string>
#include <vector>

namespace pellimor {

// The machine's registry. On Windows it is the real one. Elsewhere there is none, so
// this stands in for the one entry the program reads: the system-information tool's
// path, answered with the first of the desktop's well-known information tools that
// is installed. Nothing else exists in it.
class SystemRegistry final : public IRegistry {
public:
    long open(Key root, const std::string& subKey, std::uint32_t options,
              std::uint32_t access, Key& key) override;
    long query(Key key, const std::string& valueName, std::uint32_t& type,
               std::vector<char>& buffer, std::uint32_t& size) override;
    long close(Key key) override;

    // The tools looked for, in order of preference, by program name.
    static const std::vector<std::string>& knownTools();
    // Full path of the first known tool found on PATH, or empty.
    static std::string findTool();
};

} // namespace pellimor
