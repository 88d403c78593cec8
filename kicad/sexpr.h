#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The S-expressions KiCad writes: lists, bare atoms (symbols and numbers) and quoted strings
// with backslash escapes. Every node keeps its byte span in the source, so that one field can
// be rewritten and every other byte stays.
namespace vantrel::kicad {

enum class NodeKind { kList, kSymbol, kNumber, kString };

struct Node {
  NodeKind kind = NodeKind::kList;
  std::size_t begin = 0;  // the '(' of a list, the first byte of an atom, the opening quote
  std::size_t end = 0;    // one past the ')', the atom or the closing quote
  std::string text;       // an atom as written; a string unescaped; empty for a list
  std::vector<Node> children;

  bool IsList() const { return kind == NodeKind::kList; }
  bool IsAtom() const { return !IsList(); }
  // The first element of a list when it is a symbol ("symbol" of (symbol ...)); else empty.
  std::string_view Head() const;
  // The first child list whose head is name; nullptr when there is none.
  const Node* Find(std::string_view name) const;
  // The atom at index of a list (0 is the head); nullptr when there is none or it is a list.
  const Node* Atom(std::size_t index) const;
};

struct ParsedSexpr {
  Node root;
  std::string error;  // empty when the text is one well-formed list and nothing else
  std::size_t errorOffset = 0;
};

// Lists nest at most this deep; KiCad's go about ten.
inline constexpr std::size_t kMostSexprDepth = 256;

// Reads text as one list, white space (space, tab, CR, LF) around it. An atom that reads whole
// as [+-]digits[.digits][e[+-]digits] is a number, any other a symbol. Strings decode \" \\ \n
// \r \t \a \b \f \v, \xHH and up to three octal digits; any other escaped byte stands for
// itself.
ParsedSexpr ParseSexpr(std::string_view text);

// value as KiCad writes a string: in quotes, with ", \ and line ends escaped.
std::string QuoteSexprString(std::string_view value);

// The lines of a text, to name the 1-based line of any offset in it.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text);
  int LineAt(std::size_t offset) const;

 private:
  std::vector<std::size_t> m_newlines;
};

}  // namespace vantrel::kicad
