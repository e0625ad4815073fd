#pragma once

#include <array>
#include <string_view>

// The names of the four categories: what the category box lists, what the catalogue
// keys its units by and what a conversion chooses its calculator by.
namespace pellimor::category {

inline constexpr std::string_view Lengths = "Lengths";
inline constexpr std::string_view Temperatures = "Temperatures";
inline constexpr std::string_view Volumes = "Volumes";
inline constexpr std::string_view Weights = "Weights";

// In the order the category box lists them.
inline constexpr std::array<std::string_view, 4> All{Lengths, Temperatures, Volumes, Weights};

} // namespace pellimor::category
