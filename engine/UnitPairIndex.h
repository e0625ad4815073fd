#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <type_traits>

namespace pellimor {

// A calculator's unit-pair keys, found from the two unit names without joining them:
// a conversion runs on every pick in the To list and has no reason to allocate. The key
// is still nothing but the start name followed by the return name, so "GramK" and
// "ilogram" find "GramKilogram" exactly as the joined text would.
//
// Built at compile time from the calculator's key table; find() answers the key's
// position in that table, or NotFound.
template <std::size_t Slots>
class UnitPairIndex {
    static_assert(Slots != 0 && (Slots & (Slots - 1)) == 0, "the slot count must be a power of two");

public:
    static constexpr int NotFound = -1;

    // Entries are key texts, or records whose member `key` is the key text.
    template <typename Entry, std::size_t N>
    consteval explicit UnitPairIndex(const Entry (&entries)[N])
    {
        static_assert(N < Slots, "the keys need free slots to end every search");
        m_positions.fill(NotFound);
        for (std::size_t i = 0; i < N; ++i) {
            const std::string_view key = keyOf(entries[i]);
            std::size_t slot = hash(key, {}) & Mask;
            while (m_positions[slot] != NotFound) {
                if (m_keys[slot] == key)
                    throw "a key table lists the same key twice";   // stops the compilation
                slot = (slot + 1) & Mask;
            }
            m_keys[slot] = key;
            m_positions[slot] = static_cast<int>(i);
        }
    }

    constexpr int find(std::string_view start, std::string_view ret) const noexcept
    {
        for (std::size_t slot = hash(start, ret) & Mask; m_positions[slot] != NotFound;
             slot = (slot + 1) & Mask) {
            if (joins(m_keys[slot], start, ret))
                return m_positions[slot];
        }
        return NotFound;
    }

private:
    static constexpr std::size_t Mask = Slots - 1;

    template <typename Entry>
    static constexpr std::string_view keyOf(const Entry& entry)
    {
        if constexpr (std::is_convertible_v<const Entry&, std::string_view>)
            return entry;
        else
            return entry.key;
    }

    // Looks only at the joined text (its length and three of its characters), never at
    // where one name ends, so a key hashes alike however it is split.
    static constexpr std::size_t hash(std::string_view a, std::string_view b) noexcept
    {
        const std::size_t length = a.size() + b.size();
        if (length == 0)
            return 0;
        const auto at = [&](std::size_t i) -> std::size_t {
            return static_cast<unsigned char>(i < a.size() ? a[i] : b[i - a.size()]);
        };
        return length * 31 + at(0) * 7 + at(length - 1) * 3 + at(length / 2);
    }

    static constexpr bool joins(std::string_view key, std::string_view a, std::string_view b) noexcept
    {
        return key.size() == a.size() + b.size() && key.starts_with(a) && key.ends_with(b);
    }

    std::array<std::string_view, Slots> m_keys{};
    std::array<int, Slots> m_positions{};
};

} // namespace pellimor
