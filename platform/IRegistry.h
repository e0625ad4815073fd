#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellimor {

// Read-only access to the system registry, shaped like the platform's own calls so
// the caller's handling of statuses, types and byte counts is the same everywhere.
// Every operation returns a status: 0 for success, a platform error code otherwise.
class IRegistry {
public:
    using Key = std::uintptr_t;

    static constexpr Key LocalMachine = 0x80000002u;   // HKEY_LOCAL_MACHINE
    static constexpr std::uint32_t ReadAccess = 0x20019u;   // KEY_READ
    static constexpr std::uint32_t AllAccess = 0x2003Fu;    // KEY_ALL_ACCESS
    static constexpr std::uint32_t StringType = 1;          // REG_SZ
    static constexpr std::uint32_t ExpandStringType = 2;    // REG_EXPAND_SZ
    static constexpr std::uint32_t NumberType = 4;          // REG_DWORD
    static constexpr long Success = 0;
    static constexpr long NotFound = 2;        // ERROR_FILE_NOT_FOUND
    static constexpr long AccessDenied = 5;    // ERROR_ACCESS_DENIED
    static constexpr long MoreData = 234;      // ERROR_MORE_DATA

    virtual ~IRegistry() = default;

    // Opens subKey under root; on success key receives a handle for query and close.
    virtual long open(Key root, const std::string& subKey, std::uint32_t options,
                      std::uint32_t access, Key& key) = 0;
    // Reads valueName into buffer (whose size on entry is the room offered). On
    // success type receives the value's type and size the number of bytes written.
    // A value larger than the room fails with MoreData and writes nothing.
    virtual long query(Key key, const std::string& valueName, std::uint32_t& type,
                       std::vector<char>& buffer, std::uint32_t& size) = 0;
    // Closes a handle from open; closing a handle that was never opened is harmless.
    virtual long close(Key key) = 0;
};

} // namespace pellimor
