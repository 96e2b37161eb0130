#include "kicad/sexpr.hpp"

#include <algorithm>
#include <array>

#include "base/number_parse.hpp"
#include "base/text.hpp"

namespace zelt::kicad {

namespace sexpr_detail {

// A quoted string whose escapes change it: its text, unescaped, lives in
// Storage::unescaped from `start`.
struct UnescapedAtom {
  std::uint32_t offset;  // of the opening quote in the input
  std::uint32_t start;
  std::uint32_t length;
};

struct Storage {
  std::string_view text;
  std::vector<std::uint32_t> slots;
  // Where each list's children start in `slots`. A closing bracket appends
  // its list's children right after those of the list closed before it, so
  // a list's children end where the next list's begin.
  std::vector<std::uint32_t> lists;
  std::string unescaped;
  std::vector<UnescapedAtom> unescaped_atoms;  // by offset, ascending
  std::uint32_t root = 0;
};

}  // namespace sexpr_detail

using sexpr_detail::Storage;
using sexpr_detail::UnescapedAtom;

namespace {

// The top bit of a slot marks a list (the rest is its number); an atom's slot
// is the position of its text.
constexpr std::uint32_t kListBit = 0x80000000u;

// What a byte can start: most bytes are plain word characters, so the hot
// loops test one table entry per byte.
enum ByteClass : unsigned char { kWord, kSpace, kBracket, kMaybeSpace, kQuote };

constexpr std::array<unsigned char, 256> make_byte_classes() {
  std::array<unsigned char, 256> table{};
  for (int c = 0x09; c <= 0x0D; ++c) table[c] = kSpace;
  table[' '] = kSpace;
  table['('] = kBracket;
  table[')'] = kBracket;
  table['"'] = kQuote;
  // Lead bytes of the only non-ASCII white-space characters (U+0085, U+00A0,
  // U+1680, U+2000..U+205F, U+3000).
  for (int c : {0xC2, 0xE1, 0xE2, 0xE3}) table[c] = kMaybeSpace;
  return table;
}

constexpr std::array<unsigned char, 256> kByteClass = make_byte_classes();

unsigned char byte_class(std::string_view text, std::size_t pos) {
  return kByteClass[static_cast<unsigned char>(text[pos])];
}

// Byte length of the Unicode white-space character at `pos`, 0 when there is
// none.
std::size_t whitespace_length(std::string_view text, std::size_t pos) {
  unsigned char cls = byte_class(text, pos);
  if (cls == kSpace) return 1;
  if (cls != kMaybeSpace) return 0;
  std::size_t next = pos;
  char32_t cp = decode_utf8(text, next);
  return is_unicode_whitespace(cp) ? next - pos : 0;
}

// The end of the bare word starting at `pos`: the first white space or
// bracket. A double quote inside a word is an ordinary character of it.
// Invalid UTF-8 bytes are carried into words unchanged.
std::size_t word_end(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    unsigned char cls = byte_class(text, pos);
    if (cls == kWord || cls == kQuote) {
      ++pos;
      continue;
    }
    if (cls != kMaybeSpace || whitespace_length(text, pos) != 0) break;
    ++pos;
  }
  return pos;
}

// The first double quote or backslash from `pos`, or the end of the text.
std::size_t quote_or_backslash(std::string_view text, std::size_t pos) {
  const char* begin = text.data() + pos;
  const char* end = text.data() + text.size();
  for (const char* p = begin; p < end; ++p) {
    if (*p == '"' || *p == '\\') return static_cast<std::size_t>(p - text.data());
  }
  return text.size();
}

std::string_view atom_text(const Storage& s, std::uint32_t offset) {
  std::string_view text = s.text;
  if (text[offset] != '"') return text.substr(offset, word_end(text, offset) - offset);
  std::size_t stop = quote_or_backslash(text, offset + 1);
  if (stop == text.size() || text[stop] == '"') return text.substr(offset + 1, stop - offset - 1);
  // A backslash: the parser kept the unescaped text.
  auto it = std::lower_bound(s.unescaped_atoms.begin(), s.unescaped_atoms.end(), offset,
                             [](const UnescapedAtom& a, std::uint32_t o) { return a.offset < o; });
  return std::string_view(s.unescaped).substr(it->start, it->length);
}

// Splits the text into brackets and atoms and builds the tree from them. A
// quoted string is one atom whose content never counts as a bracket; a
// backslash in it takes the following character literally.
class Parser {
 public:
  explicit Parser(Storage& storage) : s_(storage), text_(storage.text) {}

  // False when the text holds no list.
  bool run() {
    if (!skip_to_first_list()) return false;
    // The children of every list still open sit in `pending_`, each open list
    // remembering where its own children start. A closing bracket moves them
    // into the tree as one block.
    // Typical KiCad text has a node every six bytes or so; reserving for one
    // every four avoids regrowth, and untouched capacity costs no memory.
    s_.slots.reserve(text_.size() / 4 + 16);
    s_.lists.reserve(text_.size() / 12 + 16);
    starts_.push_back(0);
    while (!starts_.empty() && pos_ < text_.size()) {
      unsigned char cls = byte_class(text_, pos_);
      if (cls == kSpace) {
        ++pos_;
      } else if (cls == kBracket) {
        if (text_[pos_++] == '(') {
          starts_.push_back(static_cast<std::uint32_t>(pending_.size()));
        } else {
          close_innermost();  // the first complete list ends the parse
        }
      } else if (cls == kQuote) {
        pending_.push_back(static_cast<std::uint32_t>(pos_));
        read_quoted(true);
      } else if (std::size_t ws = whitespace_length(text_, pos_); ws != 0) {
        pos_ += ws;
      } else {
        pending_.push_back(static_cast<std::uint32_t>(pos_));
        pos_ = word_end(text_, pos_);
      }
    }
    // Running out of text closes every list still open.
    while (!starts_.empty()) close_innermost();
    s_.root = pending_.back();
    return true;
  }

 private:
  // Moves past the first "(" outside a quoted string; tokens before it are
  // ignored.
  bool skip_to_first_list() {
    while (pos_ < text_.size()) {
      unsigned char cls = byte_class(text_, pos_);
      if (cls == kQuote) {
        read_quoted(false);
      } else if (cls == kBracket) {
        if (text_[pos_++] == '(') return true;
      } else if (cls == kSpace) {
        ++pos_;
      } else if (std::size_t ws = whitespace_length(text_, pos_); ws != 0) {
        pos_ += ws;
      } else {
        pos_ = word_end(text_, pos_);
      }
    }
    return false;
  }

  // From the opening quote past the closing one. An unterminated string ends
  // with the text, a backslash at the very end is dropped. With `keep`, the
  // unescaped text of a string holding a backslash is stored.
  void read_quoted(bool keep) {
    const std::size_t open = pos_++;
    std::size_t stop = quote_or_backslash(text_, pos_);
    if (stop == text_.size() || text_[stop] == '"') {
      pos_ = stop == text_.size() ? stop : stop + 1;
      return;
    }
    std::string* out = keep ? &s_.unescaped : nullptr;
    const std::size_t start = s_.unescaped.size();
    while (true) {
      if (out) out->append(text_.substr(pos_, stop - pos_));
      pos_ = stop;
      if (pos_ == text_.size()) break;
      if (text_[pos_++] == '"') break;
      // A backslash: the next character is taken as it stands, all of its
      // bytes (the rest of a multi-byte character would follow as ordinary
      // bytes anyway).
      if (pos_ < text_.size()) {
        if (out) out->push_back(text_[pos_]);
        ++pos_;
      }
      stop = quote_or_backslash(text_, pos_);
    }
    if (out) {
      s_.unescaped_atoms.push_back({static_cast<std::uint32_t>(open), static_cast<std::uint32_t>(start),
                                    static_cast<std::uint32_t>(s_.unescaped.size() - start)});
    }
  }

  void close_innermost() {
    const std::uint32_t start = starts_.back();
    starts_.pop_back();
    s_.lists.push_back(static_cast<std::uint32_t>(s_.slots.size()));
    s_.slots.insert(s_.slots.end(), pending_.begin() + start, pending_.end());
    pending_.resize(start);
    pending_.push_back(kListBit | static_cast<std::uint32_t>(s_.lists.size() - 1));
  }

  Storage& s_;
  std::string_view text_;
  std::size_t pos_ = 0;
  std::vector<std::uint32_t> pending_;
  std::vector<std::uint32_t> starts_;
};

}  // namespace

std::string_view SExpr::text() const { return is_list() ? std::string_view() : atom_text(*storage_, slot_); }

SExprChildren SExpr::children() const {
  if (!is_list()) return SExprChildren(storage_, {});
  const auto& lists = storage_->lists;
  const std::size_t list = slot_ & ~kListBit;
  const std::size_t first = lists[list];
  const std::size_t end = list + 1 < lists.size() ? lists[list + 1] : storage_->slots.size();
  return SExprChildren(storage_, std::span<const std::uint32_t>(storage_->slots.data() + first, end - first));
}

SExprTree::SExprTree(std::unique_ptr<Storage> storage) : storage_(std::move(storage)) {}
SExprTree::SExprTree(const SExprTree& other) : storage_(std::make_unique<Storage>(*other.storage_)) {}
SExprTree::SExprTree(SExprTree&& other) noexcept = default;
SExprTree& SExprTree::operator=(const SExprTree& other) {
  if (this != &other) storage_ = std::make_unique<Storage>(*other.storage_);
  return *this;
}
SExprTree& SExprTree::operator=(SExprTree&& other) noexcept = default;
SExprTree::~SExprTree() = default;

SExpr SExprTree::root() const { return SExpr(storage_.get(), storage_->root); }

Result<SExprTree> parse_sexpr(std::string_view text) {
  // Positions are 32-bit, with the top bit telling lists from atoms.
  if (text.size() >= kListBit) return fail("s-expr text too large");
  auto storage = std::make_unique<Storage>();
  storage->text = text;
  Parser parser(*storage);
  if (!parser.run()) return fail("no s-expr");
  return SExprTree(std::move(storage));
}

std::optional<std::string_view> sexpr_head(const SExpr& node) { return sexpr_atom_at(node, 0); }

std::optional<SExpr> sexpr_child(const SExpr& node, std::string_view head) {
  for (SExpr child : node.children()) {
    if (sexpr_head(child) == head) return child;
  }
  return std::nullopt;
}

std::optional<std::string_view> sexpr_atom_at(const SExpr& node, std::size_t index) {
  SExprChildren children = node.children();
  if (index >= children.size()) return std::nullopt;
  SExpr child = children[index];
  if (!child.is_atom()) return std::nullopt;
  return child.text();
}

namespace {

// Calls `visit` on every list of the subtree in document order, with an
// explicit stack.
template <class Visit>
void walk_lists(const SExpr& node, Visit visit) {
  if (!node.is_list()) return;
  std::vector<SExpr> stack{node};
  while (!stack.empty()) {
    SExpr current = stack.back();
    stack.pop_back();
    visit(current);
    SExprChildren children = current.children();
    // Pushed last to first so the first child is visited next.
    for (std::size_t i = children.size(); i-- > 0;) {
      SExpr child = children[i];
      if (child.is_list()) stack.push_back(child);
    }
  }
}

}  // namespace

std::vector<SExpr> sexpr_find_all(const SExpr& node, std::string_view head) {
  std::vector<SExpr> found;
  walk_lists(node, [&](const SExpr& list) {
    if (sexpr_head(list) == head) found.push_back(list);
  });
  return found;
}

std::vector<std::vector<SExpr>> sexpr_find_all_each(const SExpr& node, std::span<const std::string_view> heads) {
  std::vector<std::vector<SExpr>> found(heads.size());
  walk_lists(node, [&](const SExpr& list) {
    auto head = sexpr_head(list);
    if (!head) return;
    for (std::size_t i = 0; i < heads.size(); ++i) {
      if (*head == heads[i]) {
        found[i].push_back(list);
        return;
      }
    }
  });
  return found;
}

std::vector<double> sexpr_numbers(const SExpr& node) {
  std::vector<double> numbers;
  SExprChildren children = node.children();
  for (std::size_t i = 1; i < children.size(); ++i) {
    SExpr child = children[i];
    if (!child.is_atom()) continue;
    if (auto value = parse_double(child.text())) numbers.push_back(*value);
  }
  return numbers;
}

}  // namespace zelt::kicad
