#pragma once
// The names of component storages inside Altium libraries.
#include <cstddef>
#include <string>
#include <string_view>

namespace zelt::altium {

// The storage a component's streams live in, named as Altium names it: the
// component's name with each of <>:"/\|?* and each control character made
// '_', cut to the 31 UTF-16 units a directory entry holds, or
// "Component_<index>" when that leaves nothing.
std::string component_storage_name(std::string_view name, std::size_t index);

// A directory entry's name holds 31 UTF-16 units.
inline constexpr std::size_t kMaxEntryUnits = 31;

// The longest start of `name` that fits `units` UTF-16 units, cut between
// characters.
std::string cut_to_units(std::string_view name, std::size_t units);

}  // namespace zelt::altium
