#include "kicad/sexpr.hpp"

#include <array>
#include <utility>

#include "base/number_parse.hpp"
#include "base/text.hpp"

namespace zelt::kicad {

const std::string SExpr::kNoText;
const std::vector<SExpr> SExpr::kNoChildren;

SExpr SExpr::atom(std::string text) { return SExpr(AtomTag{}, std::move(text)); }

SExpr SExpr::list(std::vector<SExpr> children) { return SExpr(ListTag{}, std::move(children)); }

SExpr::SExpr(SExpr&& other) noexcept : is_list_(other.is_list_) {
  if (is_list_) {
    new (&children_) std::vector<SExpr>(std::move(other.children_));
  } else {
    new (&text_) std::string(std::move(other.text_));
  }
}

SExpr::SExpr(const SExpr& other) : SExpr(copy_of(other)) {}

SExpr SExpr::copy_of(const SExpr& other) {
  if (!other.is_list_) return atom(other.text_);
  SExpr root = list();
  // Level by level with an explicit work list: each destination's children
  // are created in full before their addresses are taken, so the pointers
  // stay valid.
  std::vector<std::pair<const SExpr*, SExpr*>> work{{&other, &root}};
  while (!work.empty()) {
    auto [src, dst] = work.back();
    work.pop_back();
    const auto& from = src->children_;
    auto& to = dst->children_;
    to.reserve(from.size());
    for (const SExpr& child : from) to.push_back(child.is_list_ ? list() : atom(child.text_));
    for (std::size_t i = 0; i < from.size(); ++i) {
      if (from[i].is_list_ && !from[i].children_.empty()) work.emplace_back(&from[i], &to[i]);
    }
  }
  return root;
}

SExpr& SExpr::operator=(const SExpr& other) {
  if (this != &other) *this = copy_of(other);
  return *this;
}

SExpr& SExpr::operator=(SExpr&& other) noexcept {
  if (this != &other) {
    this->~SExpr();
    new (this) SExpr(std::move(other));
  }
  return *this;
}

SExpr::~SExpr() {
  if (is_list_) {
    release_children();
    children_.~vector();
  } else {
    text_.~basic_string();
  }
}

void SExpr::release_children() noexcept {
  auto has_children = [](const SExpr& node) { return node.is_list_ && !node.children_.empty(); };
  bool nested = false;
  for (const SExpr& child : children_) nested = nested || has_children(child);
  if (!nested) return;
  // Detach every grandchild list before its parent goes, so each destructor
  // that runs sees a node without children and the stack stays flat.
  std::vector<std::vector<SExpr>> pending;
  pending.push_back(std::move(children_));
  children_.clear();
  while (!pending.empty()) {
    std::vector<SExpr> batch = std::move(pending.back());
    pending.pop_back();
    for (SExpr& child : batch) {
      if (has_children(child)) {
        pending.push_back(std::move(child.children_));
        child.children_.clear();
      }
    }
  }
}

namespace {

enum class TokenKind { Open, Close, Atom };

// What a byte can start: most bytes are plain word characters, so the hot
// loops test one table entry per byte.
enum ByteClass : unsigned char { kWord, kSpace, kBracket, kMaybeSpace };

constexpr std::array<unsigned char, 256> make_byte_classes() {
  std::array<unsigned char, 256> table{};
  for (int c = 0x09; c <= 0x0D; ++c) table[c] = kSpace;
  table[' '] = kSpace;
  table['('] = kBracket;
  table[')'] = kBracket;
  // Lead bytes of the only non-ASCII white-space characters (U+0085, U+00A0,
  // U+1680, U+2000..U+205F, U+3000).
  for (int c : {0xC2, 0xE1, 0xE2, 0xE3}) table[c] = kMaybeSpace;
  return table;
}

constexpr std::array<unsigned char, 256> kByteClass = make_byte_classes();

// Byte length of the Unicode white-space character at `pos`, 0 when there is
// none.
std::size_t whitespace_length(std::string_view text, std::size_t pos) {
  unsigned char cls = kByteClass[static_cast<unsigned char>(text[pos])];
  if (cls == kSpace) return 1;
  if (cls != kMaybeSpace) return 0;
  std::size_t next = pos;
  char32_t cp = decode_utf8(text, next);
  return is_unicode_whitespace(cp) ? next - pos : 0;
}

// Splits the text into brackets and atoms. A quoted string is one atom whose
// content never counts as a bracket; a backslash in it takes the following
// character literally. Invalid UTF-8 bytes are carried into atoms unchanged.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  // False at the end of the text.
  bool next(TokenKind& kind, std::string& atom) {
    while (pos_ < text_.size()) {
      std::size_t ws = whitespace_length(text_, pos_);
      if (ws == 0) break;
      pos_ += ws;
    }
    if (pos_ >= text_.size()) return false;
    char c = text_[pos_];
    if (c == '(' || c == ')') {
      ++pos_;
      kind = c == '(' ? TokenKind::Open : TokenKind::Close;
      return true;
    }
    kind = TokenKind::Atom;
    atom.clear();
    if (c == '"') {
      read_quoted(atom);
    } else {
      read_word(atom);
    }
    return true;
  }

 private:
  void read_quoted(std::string& out) {
    ++pos_;  // opening quote
    while (pos_ < text_.size()) {
      std::size_t stop = text_.find_first_of("\"\\", pos_);
      if (stop == std::string_view::npos) {
        // An unterminated string ends with the text.
        out.append(text_.substr(pos_));
        pos_ = text_.size();
        return;
      }
      out.append(text_.substr(pos_, stop - pos_));
      pos_ = stop + 1;
      if (text_[stop] == '"') return;
      if (pos_ < text_.size()) {
        // The escaped character is copied whole, multi-byte ones included.
        std::size_t end = pos_;
        decode_utf8(text_, end);
        out.append(text_.substr(pos_, end - pos_));
        pos_ = end;
      }
    }
  }

  void read_word(std::string& out) {
    std::size_t start = pos_;
    while (pos_ < text_.size()) {
      unsigned char cls = kByteClass[static_cast<unsigned char>(text_[pos_])];
      if (cls == kWord) {
        ++pos_;
        continue;
      }
      if (cls != kMaybeSpace || whitespace_length(text_, pos_) != 0) break;
      ++pos_;
    }
    out.assign(text_.substr(start, pos_ - start));
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

Result<SExpr> parse_sexpr(std::string_view text) {
  Tokenizer tokens(text);
  TokenKind kind{};
  std::string atom;
  bool found_open = false;
  while (tokens.next(kind, atom)) {
    if (kind == TokenKind::Open) {
      found_open = true;
      break;
    }
  }
  if (!found_open) return fail("no s-expr");

  // Children of every list still open sit in one flat vector, each open list
  // remembering where its own children start. A closing bracket moves its
  // children into an exactly sized vector, so no list grows by doubling.
  std::vector<SExpr> pending;
  std::vector<std::size_t> starts{0};
  auto close_innermost = [&]() {
    std::size_t start = starts.back();
    starts.pop_back();
    std::vector<SExpr> children;
    children.reserve(pending.size() - start);
    for (std::size_t i = start; i < pending.size(); ++i) children.push_back(std::move(pending[i]));
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(start), pending.end());
    pending.push_back(SExpr::list(std::move(children)));
  };

  while (tokens.next(kind, atom)) {
    if (kind == TokenKind::Open) {
      starts.push_back(pending.size());
    } else if (kind == TokenKind::Close) {
      close_innermost();
      // Whatever follows the first complete list is ignored.
      if (starts.empty()) break;
    } else {
      pending.push_back(SExpr::atom(std::move(atom)));
    }
  }
  // Running out of text closes every list still open.
  while (!starts.empty()) close_innermost();
  return std::move(pending.back());
}

std::optional<std::string_view> sexpr_head(const SExpr& node) { return sexpr_atom_at(node, 0); }

const SExpr* sexpr_child(const SExpr& node, std::string_view head) {
  for (const SExpr& child : node.children()) {
    if (sexpr_head(child) == head) return &child;
  }
  return nullptr;
}

std::optional<std::string_view> sexpr_atom_at(const SExpr& node, std::size_t index) {
  if (index >= node.children().size()) return std::nullopt;
  const SExpr& child = node.children()[index];
  if (!child.is_atom()) return std::nullopt;
  return std::string_view(child.text());
}

namespace {

// Calls `visit` on every list of the subtree in document order, with an
// explicit stack.
template <class Visit>
void walk_lists(const SExpr& node, Visit visit) {
  std::vector<const SExpr*> stack{&node};
  while (!stack.empty()) {
    const SExpr* current = stack.back();
    stack.pop_back();
    if (!current->is_list()) continue;
    visit(*current);
    const auto& children = current->children();
    // Pushed last to first so the first child is visited next.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (it->is_list()) stack.push_back(&*it);
    }
  }
}

}  // namespace

std::vector<const SExpr*> sexpr_find_all(const SExpr& node, std::string_view head) {
  std::vector<const SExpr*> found;
  walk_lists(node, [&](const SExpr& list) {
    if (sexpr_head(list) == head) found.push_back(&list);
  });
  return found;
}

std::vector<std::vector<const SExpr*>> sexpr_find_all_each(const SExpr& node, std::span<const std::string_view> heads) {
  std::vector<std::vector<const SExpr*>> found(heads.size());
  walk_lists(node, [&](const SExpr& list) {
    auto head = sexpr_head(list);
    if (!head) return;
    for (std::size_t i = 0; i < heads.size(); ++i) {
      if (*head == heads[i]) {
        found[i].push_back(&list);
        return;
      }
    }
  });
  return found;
}

std::vector<double> sexpr_numbers(const SExpr& node) {
  std::vector<double> numbers;
  const auto& children = node.children();
  for (std::size_t i = 1; i < children.size(); ++i) {
    if (!children[i].is_atom()) continue;
    if (auto value = parse_double(children[i].text())) numbers.push_back(*value);
  }
  return numbers;
}

}  // namespace zelt::kicad
