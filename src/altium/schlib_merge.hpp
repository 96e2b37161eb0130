#pragma once
// Symbols added to an existing .SchLib without disturbing it: every stream
// of the library is copied as it is, the FileHeader's component count and
// LibRef list are patched, and each new symbol gets a storage of its own.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"
#include "part/symbol.hpp"

namespace zelt::altium {

// The symbols a merge input holds: a whole part (its symbol as it is), a
// JSON array of symbols, or one symbol, tried in that order. When none
// reads, the error of the one-symbol attempt with the context
// "parse Symbol/ZeltLbrPart".
Result<std::vector<part::Symbol>> read_merge_symbols(std::string_view text);

// A new symbol whose storage name was taken (by a storage or stream of the
// library, or by a symbol added before it) and so got another.
struct RenamedStorage {
  std::string symbol;
  std::string wanted;
  std::string storage;
};

struct SchlibMerge {
  std::string bytes;
  std::size_t added = 0;
  std::vector<RenamedStorage> renamed;
};

// `existing` (the bytes of a .SchLib) with the symbols it does not hold yet.
// A symbol is held when a component storage has its exact name, or when the
// FileHeader lists its exact name as a LibRef (its storage name may have
// been sanitised). With nothing to add the bytes are `existing` unchanged.
Result<SchlibMerge> merge_into_schlib(std::string_view existing, const std::vector<part::Symbol>& symbols);

}  // namespace zelt::altium
