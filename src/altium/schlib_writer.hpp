#pragma once
// Altium schematic libraries (.SchLib) written from symbols: a FileHeader
// stream listing the components, an icon Storage stream, and one storage per
// symbol whose Data stream holds its records.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "altium/storage_name.hpp"
#include "base/error.hpp"
#include "part/symbol.hpp"

namespace zelt::altium {

// Appends "|<key>=<whole>" and, when there is a fraction, "|<key>_Frac=<f>":
// a length in mils as 10-mil units with the fraction in 1/100000 of a unit.
void write_coord_property(std::string& out, std::string_view key, double mils);

// Keys of the FileHeader: the component count, and each component's name.
inline constexpr std::string_view kCompCountKey = "|CompCount=";
inline constexpr std::string_view kLibRefKey = "|LibRef";

// The FileHeader's entry for component `index`: "|LibRef<i>=<name>" and its
// part count as Altium counts it (parts plus one).
std::string library_entry(std::size_t index, std::string_view name);

// The records of one symbol, as its Data stream holds them. Never fails:
// what a record cannot hold is clamped or cut (see checked_component_data).
std::string write_component_data(const part::Symbol& symbol);

// write_component_data, or an error naming the pin or record that would not
// fit: names over 255 bytes, pin lengths or ends out of range, text records
// over 65534 bytes.
Result<std::string> checked_component_data(const part::Symbol& symbol);

// The whole compound file for `symbols`, in order.
Result<std::string> write_schlib(const std::vector<part::Symbol>& symbols);

}  // namespace zelt::altium
