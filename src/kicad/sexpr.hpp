#pragma once
// KiCad's S-expression text as a tree, and the few queries the KiCad reader
// needs to pick its items out of it.
//
// The parser is lenient the way KiCad files in the wild demand: quoted strings
// and bare words become the same kind of atom, unbalanced brackets are closed
// silently, text before the first "(" and after the first top-level list is
// ignored. The only failure is a text without any list at all (and a text of
// 2 GiB or more, beyond what the tree's 32-bit positions reach).
//
// A library of 20 MB holds millions of nodes, so the tree is flat: the
// children of every list stand side by side in one block of 32-bit slots, a
// list is a range of that block, and an atom is the position of its text in
// the input, read again when asked for. Only quoted strings whose escapes
// change them are copied. The tree is released at once, and nothing here
// recurses over it: building and searching use explicit stacks, so hostile
// files nesting a million levels deep cannot overflow the stack.
//
// The tree borrows the text it was parsed from: the text must outlive it.
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"

namespace zelt::kicad {

namespace sexpr_detail {
struct Storage;
}

class SExprChildren;

// A node of a parsed tree, an atom or a list: a small handle that copies no
// text, valid while its tree lives.
class SExpr {
 public:
  bool is_atom() const { return !is_list(); }
  bool is_list() const { return (slot_ & kListBit) != 0; }
  // The atom's text; empty for a list.
  std::string_view text() const;
  // The list's children; empty for an atom.
  SExprChildren children() const;

  // The same node of the same tree.
  friend bool operator==(const SExpr& a, const SExpr& b) = default;

 private:
  friend class SExprChildren;
  friend class SExprTree;
  static constexpr std::uint32_t kListBit = 0x80000000u;
  SExpr(const sexpr_detail::Storage* storage, std::uint32_t slot) : storage_(storage), slot_(slot) {}

  const sexpr_detail::Storage* storage_;
  // A list: kListBit and the list's number. An atom: where its text starts
  // in the input (at the opening quote for a quoted string).
  std::uint32_t slot_;
};

// The children of a list, in order: a random-access view of the tree.
class SExprChildren {
 public:
  class iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = SExpr;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = SExpr;
    iterator() = default;
    SExpr operator*() const { return SExpr(storage_, *at_); }
    iterator& operator++() {
      ++at_;
      return *this;
    }
    iterator operator++(int) {
      iterator old = *this;
      ++at_;
      return old;
    }
    friend bool operator==(const iterator& a, const iterator& b) { return a.at_ == b.at_; }

   private:
    friend class SExprChildren;
    iterator(const sexpr_detail::Storage* storage, const std::uint32_t* at) : storage_(storage), at_(at) {}
    const sexpr_detail::Storage* storage_ = nullptr;
    const std::uint32_t* at_ = nullptr;
  };

  std::size_t size() const { return slots_.size(); }
  bool empty() const { return slots_.empty(); }
  SExpr operator[](std::size_t i) const { return SExpr(storage_, slots_[i]); }
  iterator begin() const { return iterator(storage_, slots_.data()); }
  iterator end() const { return iterator(storage_, slots_.data() + slots_.size()); }

 private:
  friend class SExpr;
  SExprChildren(const sexpr_detail::Storage* storage, std::span<const std::uint32_t> slots)
      : storage_(storage), slots_(slots) {}
  const sexpr_detail::Storage* storage_ = nullptr;
  std::span<const std::uint32_t> slots_;
};

// A parsed text: owns every node; copying copies the flat blocks.
class SExprTree {
 public:
  SExprTree(const SExprTree& other);
  SExprTree(SExprTree&& other) noexcept;
  SExprTree& operator=(const SExprTree& other);
  SExprTree& operator=(SExprTree&& other) noexcept;
  ~SExprTree();

  // The first top-level list.
  SExpr root() const;

 private:
  friend Result<SExprTree> parse_sexpr(std::string_view text);
  explicit SExprTree(std::unique_ptr<sexpr_detail::Storage> storage);
  // On the heap so handles stay valid when the tree itself moves.
  std::unique_ptr<sexpr_detail::Storage> storage_;
};

// Parses the first top-level list of `text`. Fails only with "no s-expr" when
// no "(" stands outside a quoted string, and with "s-expr text too large" for
// a text of 2 GiB or more.
Result<SExprTree> parse_sexpr(std::string_view text);

// The first child's text when `node` is a list whose first child is an atom.
std::optional<std::string_view> sexpr_head(const SExpr& node);

// The first direct child list of `node` whose head is exactly `head`.
std::optional<SExpr> sexpr_child(const SExpr& node, std::string_view head);

// The text of child `index` (0 is the head) when that child is an atom.
std::optional<std::string_view> sexpr_atom_at(const SExpr& node, std::size_t index);

// Every list in the subtree of `node` (itself included) whose head is `head`,
// in document order; matches nested inside matches are included.
std::vector<SExpr> sexpr_find_all(const SExpr& node, std::string_view head);

// sexpr_find_all for several heads in one walk of the tree: entry i holds
// the lists headed heads[i], in document order. Heads must differ.
std::vector<std::vector<SExpr>> sexpr_find_all_each(const SExpr& node, std::span<const std::string_view> heads);

// The children after the head that are atoms reading wholly as a number, in
// order; lists and words are skipped.
std::vector<double> sexpr_numbers(const SExpr& node);

}  // namespace zelt::kicad
