#pragma once
// Rewriting the sibling trees of a compound file's directory in place.
#include <string>

#include "base/error.hpp"

namespace zelt::altium {

// Makes every storage's children in `bytes` (a whole compound file) one
// balanced red-black tree in the format's name order: shorter names first,
// then by upper-cased UTF-16 units. libgsf writes each storage's children as
// one chain of right siblings, which breaks the tree's colouring rule and
// which readers that recurse on the tree (Python's olefile among them) fail
// on past about a thousand children. Names, streams and sectors stay as
// they are. Defined beside the reader, whose parsing it shares.
Result<void> balance_sibling_trees(std::string& bytes);

}  // namespace zelt::altium
