#pragma once
// The raw structure of a compound file: checked before libgsf reads it, and
// the sibling trees of a written file rewritten in place.
#include <cstddef>
#include <string>
#include <string_view>

#include "base/error.hpp"

namespace zelt::altium {

// How deep libgsf's directory walk may go. It recurses once per sibling and
// per child link, about 256 bytes of stack each, and overflowed the usual
// 8 MiB main stack at 32,750 levels (with or without the sanitizers). The
// trees libgsf reads are relinked first (link_siblings_for_reading), a few
// levels per storage, so only storages nested thousands deep come near it.
inline constexpr std::size_t kMaxDirectoryDepth = 16000;

// How many entries one storage may hold. libgsf finds a child by walking
// its storage's list from the head, so reading a storage takes time in the
// square of its entries: 16,000 take about half a second. Altium keeps one
// storage per component in a library's root; real libraries hold hundreds
// to a few thousand.
inline constexpr std::size_t kMaxStorageEntries = 16000;

// Checks everything libgsf would trust in `bytes` (a whole compound file)
// and refuses the file, with the reason, before it gets there: the header
// (signature, version 3 or 4, 64-byte mini sectors, the 4096-byte cutoff),
// the allocation table's sector list, every chain libgsf follows (the
// directory, the mini allocation table, the mini stream and each stream:
// inside the file, ending where they should, no loop, long enough for their
// size, no sector in two chains), and the directory (each entry reached
// once, a known type, a terminated UTF-16 name, no deeper than
// kMaxDirectoryDepth, no storage holding more than kMaxStorageEntries).
// Iterative, and linear in the file's size.
Result<void> validate_compound_file(std::string_view bytes);

// Makes every storage's children in `bytes` (a whole compound file) one
// balanced red-black tree in the format's name order: shorter names first,
// then by upper-cased UTF-16 units. libgsf writes each storage's children as
// one chain of right siblings, which breaks the tree's colouring rule and
// which readers that recurse on the tree fail on (Python's olefile past
// about a thousand children, libgsf itself past some 32,000). Names,
// streams and sectors stay as they are.
Result<void> balance_sibling_trees(std::string& bytes);

// Relinks every storage's children in `bytes` (a whole compound file, a
// copy only libgsf reads) so that libgsf's walk meets them in descending
// name order, a tree still a few levels deep. libgsf inserts each entry it
// meets into its storage's sorted list, searching from the head: in the
// order of a balanced tree that search took time in the square of the
// children (32,000 took 5.7 s); in descending order each insert ends at the
// head. The trees are no longer search trees, which libgsf never relies on;
// names, streams and sectors stay as they are.
Result<void> link_siblings_for_reading(std::string& bytes);

}  // namespace zelt::altium
