#include "platform/SystemRegistry.h"

#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace pellimor {

const std::vector<std::string>& SystemRegistry::knownTools()
{
    static const std::vector<std::string> tools{
        "kinfocenter", "hardinfo", "hardinfo2", "gnome-system-monitor",
        "mate-system-monitor", "xfce4-taskmanager", "lxtask",
    };
    return tools;
}

std::string SystemRegistry::findTool()
{
    for (const std::string& name : knownTools()) {
        const QString path = QStandardPaths::findExecutable(QString::fromStdString(name));
        if (!path.isEmpty())
            return path.toStdString();
    }
    return {};
}

#ifdef _WIN32

long SystemRegistry::open(Key root, const std::string& subKey, std::uint32_t options,
                          std::uint32_t access, Key& key)
{
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExA(reinterpret_cast<HKEY>(root), subKey.c_str(), options,
                                      static_cast<REGSAM>(access), &handle);
    key = reinterpret_cast<Key>(handle);
    return status;
}

long SystemRegistry::query(Key key, const std::string& valueName, std::uint32_t& type,
                           std::vector<char>& buffer, std::uint32_t& size)
{
    DWORD valueType = 0;
    DWORD bytes = static_cast<DWORD>(buffer.size());
    const LONG status = RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.c_str(), nullptr,
                                         &valueType, reinterpret_cast<LPBYTE>(buffer.data()), &bytes);
    type = valueType;
    size = bytes;
    return status;
}

long SystemRegistry::close(Key key)
{
    return RegCloseKey(reinterpret_cast<HKEY>(key));
}

#else

namespace {
// The one key that exists here, and the handle it is opened as.
constexpr const char* kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr IRegistry::Key kToolHandle = 0x1001;
}

long SystemRegistry::open(Key root, const std::string& subKey, std::uint32_t /*options*/,
                          std::uint32_t /*access*/, Key& key)
{
    key = 0;
    if (root != LocalMachine || subKey != kToolKey)
        return NotFound;
    key = kToolHandle;
    return Success;
}

long SystemRegistry::query(Key key, const std::string& valueName, std::uint32_t& type,
                           std::vector<char>& buffer, std::uint32_t& size)
{
    if (key != kToolHandle || valueName != "PATH")
        return NotFound;
    const std::string path = findTool();
    if (path.empty())
        return NotFound;
    // Stored as the platform stores strings: with the terminating NUL counted.
    const std::size_t bytes = path.size() + 1;
    if (bytes > buffer.size())
        return MoreData;
    std::memcpy(buffer.data(), path.c_str(), bytes);
    type = StringType;
    size = static_cast<std::uint32_t>(bytes);
    return Success;
}

long SystemRegistry::close(Key /*key*/)
{
    return Success;
}

#endif

} // namespace pellimor
