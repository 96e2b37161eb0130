#pragma once
// KiCad's S-expression text as a tree, and the few queries the KiCad reader
// needs to pick its items out of it.
//
// The parser is lenient the way KiCad files in the wild demand: quoted strings
// and bare words become the same kind of atom, unbalanced brackets are closed
// silently, text before the first "(" and after the first top-level list is
// ignored. The only failure is a text without any list at all.
//
// Hostile files can nest a million levels deep, so nothing here recurses over
// the tree: building, copying, destroying and searching all use explicit
// stacks.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/error.hpp"

namespace zelt::kicad {

// A node: an atom with its text, or a list of child nodes.
class SExpr {
 public:
  static SExpr atom(std::string text);
  static SExpr list(std::vector<SExpr> children = {});

  SExpr(const SExpr& other);
  SExpr(SExpr&& other) noexcept;
  SExpr& operator=(const SExpr& other);
  SExpr& operator=(SExpr&& other) noexcept;
  ~SExpr();

  bool is_atom() const { return !is_list_; }
  bool is_list() const { return is_list_; }
  // The atom's text; empty for a list.
  const std::string& text() const { return is_list_ ? kNoText : text_; }
  // The list's children; empty for an atom.
  const std::vector<SExpr>& children() const { return is_list_ ? children_ : kNoChildren; }

 private:
  struct AtomTag {};
  struct ListTag {};
  SExpr(AtomTag, std::string text) : text_(std::move(text)), is_list_(false) {}
  SExpr(ListTag, std::vector<SExpr> children) : children_(std::move(children)), is_list_(true) {}
  static SExpr copy_of(const SExpr& other);
  void release_children() noexcept;

  static const std::string kNoText;
  static const std::vector<SExpr> kNoChildren;

  // A node is one or the other; sharing the storage keeps large trees (a
  // 20 MB library holds millions of nodes) a third smaller.
  union {
    std::string text_;
    std::vector<SExpr> children_;
  };
  bool is_list_;
};

// Parses the first top-level list of `text`. Fails only with "no s-expr" when
// no "(" stands outside a quoted string.
Result<SExpr> parse_sexpr(std::string_view text);

// The first child's text when `node` is a list whose first child is an atom.
std::optional<std::string_view> sexpr_head(const SExpr& node);

// The first direct child list of `node` whose head is exactly `head`.
const SExpr* sexpr_child(const SExpr& node, std::string_view head);

// The text of child `index` (0 is the head) when that child is an atom.
std::optional<std::string_view> sexpr_atom_at(const SExpr& node, std::size_t index);

// Every list in the subtree of `node` (itself included) whose head is `head`,
// in document order; matches nested inside matches are included.
std::vector<const SExpr*> sexpr_find_all(const SExpr& node, std::string_view head);

// sexpr_find_all for several heads in one walk of the tree: entry i holds
// the lists headed heads[i], in document order. Heads must differ.
std::vector<std::vector<const SExpr*>> sexpr_find_all_each(const SExpr& node, std::span<const std::string_view> heads);

// The children after the head that are atoms reading wholly as a number, in
// order; lists and words are skipped.
std::vector<double> sexpr_numbers(const SExpr& node);

}  // namespace zelt::kicad
