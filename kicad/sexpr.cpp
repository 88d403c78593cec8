#include "sexpr.h"

#include <algorithm>

namespace vantrel::kicad {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whether text reads whole as [+-]digits[.digits][e[+-]digits], digits before or after the
// point ("1.", ".5").
bool IsNumber(std::string_view text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i - from;
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the string whose opening quote is at text[at]; its end is one past the closing quote,
// or npos when none closes it.
std::size_t ReadString(std::string_view text, std::size_t at, std::string& out) {
  std::size_t i = at + 1;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') return i + 1;
    if (c != '\\') {
      out.push_back(c);
      ++i;
      continue;
    }
    if (++i == text.size()) break;
    const char e = text[i++];
    switch (e) {
      case 'n':
        out.push_back('\n');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'a':
        out.push_back('\a');
        break;
      case 'b':
        out.push_back('\b');
        break;
      case 'f':
        out.push_back('\f');
        break;
      case 'v':
        out.push_back('\v');
        break;
      case 'x': {
        int value = 0;
        int count = 0;
        while (count < 2 && i < text.size() && HexDigit(text[i]) >= 0) {
          value = value * 16 + HexDigit(text[i++]);
          ++count;
        }
        if (count == 0)
          out.push_back('x');
        else
          out.push_back(static_cast<char>(value));
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          int value = e - '0';
          for (int count = 1; count < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
               ++count)
            value = value * 8 + (text[i++] - '0');
          out.push_back(static_cast<char>(value & 0xff));
        } else {
          out.push_back(e);
        }
    }
  }
  return std::string_view::npos;
}

ParsedSexpr Failed(std::string error, std::size_t offset) {
  ParsedSexpr parsed;
  parsed.error = std::move(error);
  parsed.errorOffset = offset;
  return parsed;
}

}  // namespace

std::string_view Node::Head() const {
  if (!IsList() || children.empty() || children.front().kind != NodeKind::kSymbol) return {};
  return children.front().text;
}

const Node* Node::Find(std::string_view name) const {
  for (const Node& child : children) {
    if (child.Head() == name) return &child;
  }
  return nullptr;
}

const Node* Node::Atom(std::size_t index) const {
  if (index >= children.size() || children[index].IsList()) return nullptr;
  return &children[index];
}

ParsedSexpr ParseSexpr(std::string_view text) {
  // The lists still open, outermost first; a closed one moves into the one around it.
  std::vector<Node> open;
  ParsedSexpr parsed;
  bool done = false;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (IsSpace(c)) {
      ++i;
      continue;
    }
    if (done) return Failed("text after the closing parenthesis", i);
    if (c == '(') {
      if (open.size() == kMostSexprDepth) return Failed("lists nest too deep", i);
      Node list;
      list.begin = i++;
      open.push_back(std::move(list));
      continue;
    }
    if (open.empty()) return Failed("no opening parenthesis", i);
    if (c == ')') {
      Node list = std::move(open.back());
      open.pop_back();
      list.end = ++i;
      if (open.empty()) {
        parsed.root = std::move(list);
        done = true;
      } else {
        open.back().children.push_back(std::move(list));
      }
      continue;
    }
    Node atom;
    atom.begin = i;
    if (c == '"') {
      atom.kind = NodeKind::kString;
      atom.end = ReadString(text, i, atom.text);
      if (atom.end == std::string_view::npos) return Failed("a string that is never closed", i);
    } else {
      while (i < text.size() && !IsSpace(text[i]) && text[i] != '(' && text[i] != ')' &&
             text[i] != '"')
        ++i;
      atom.end = i;
      atom.text = std::string(text.substr(atom.begin, atom.end - atom.begin));
      atom.kind = IsNumber(atom.text) ? NodeKind::kNumber : NodeKind::kSymbol;
    }
    i = atom.end;
    open.back().children.push_back(std::move(atom));
  }
  if (!open.empty()) return Failed("a list that is never closed", open.back().begin);
  if (!done) return Failed("no list", text.size());
  return parsed;
}

std::string QuoteSexprString(std::string_view value) {
  std::string quoted = "\"";
  for (const char c : value) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      default:
        quoted.push_back(c);
    }
  }
  return quoted + "\"";
}

LineIndex::LineIndex(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') m_newlines.push_back(i);
  }
}

int LineIndex::LineAt(std::size_t offset) const {
  return 1 + static_cast<int>(std::lower_bound(m_newlines.begin(), m_newlines.end(), offset) -
                              m_newlines.begin());
}

}  // namespace vantrel::kicad
