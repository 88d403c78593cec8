#include "schematic_layout.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vantrel::schematic {
namespace {

// Sizes in line heights.
constexpr double kBodyLength = 2.4;
constexpr double kBodyWidth = 0.8;
constexpr double kLabelGap = 0.2;    // between a body and its label
constexpr double kSeriesGap = 1.0;   // wire between two members of a series group
constexpr double kBranchLead = 0.8;  // wire between a parallel group's rail and a member
constexpr double kBranchGap = 0.6;   // between two members of a parallel group
constexpr double kTerminalLead = 1.0;
constexpr double kGroundWidth = 1.0;
constexpr double kGroundHeight = 0.6;
constexpr double kMargin = 0.5;

// The network's tree, read from its pattern: a leaf is a part, a group holds two or more
// members of the other kind.
struct Node {
  bool parallel = false;
  int slot = -1;  // a leaf's position in the spelling
  std::vector<Node> members;
};

void SkipSpaces(std::string_view& rest) {
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
}

Node ParseGroup(std::string_view& rest, int& slot) {
  Node group;
  for (;;) {
    SkipSpaces(rest);
    Node member;
    if (rest.front() == '(') {
      rest.remove_prefix(1);
      member = ParseGroup(rest, slot);
      rest.remove_prefix(1);  // ')'
    } else {
      rest.remove_prefix(1);  // 'x'
      member.slot = slot++;
    }
    group.members.push_back(std::move(member));
    SkipSpaces(rest);
    if (rest.empty() || rest.front() == ')') break;
    group.parallel = rest.front() == '|';
    rest.remove_prefix(group.parallel ? 2 : 1);
  }
  if (group.members.size() == 1) return std::move(group.members.front());
  return group;
}

Node Tree(networks::Shape shape) {
  std::string_view pattern = networks::Pattern(shape);
  int slot = 0;
  return ParseGroup(pattern, slot);
}

// Blocks are laid out along the current's direction and across it, in a Picture whose x is
// "along" and y "across"; an upright drawing swaps the two at the end. A block's two ports lie
// on its rail, the line across = rail.
struct Block {
  Picture items;
  double along = 0;
  double across = 0;
  double rail = 0;
  double in = 0;  // along positions of the ports
  double out = 0;
};

void Shift(Point& p, double da, double dc) {
  p.x += da;
  p.y += dc;
}

void Shift(Box& b, double da, double dc) {
  b.x += da;
  b.y += dc;
}

void Place(Picture& into, Picture from, double da, double dc) {
  for (Part& part : from.parts) {
    Shift(part.body, da, dc);
    Shift(part.labelBox, da, dc);
    for (Point& end : part.ends) Shift(end, da, dc);
    into.parts.push_back(std::move(part));
  }
  for (auto& wire : from.wires) {
    for (Point& p : wire) Shift(p, da, dc);
    into.wires.push_back(std::move(wire));
  }
  for (Point p : from.joints) {
    Shift(p, da, dc);
    into.joints.push_back(p);
  }
  for (Terminal& terminal : from.terminals) {
    Shift(terminal.at, da, dc);
    Shift(terminal.symbol, da, dc);
    Shift(terminal.labelBox, da, dc);
    into.terminals.push_back(std::move(terminal));
  }
}

class Layout {
 public:
  Layout(const networks::Network& network, std::span<const std::string> names,
         const TextWidth& textWidth, bool upright)
      : network_(network), names_(names), textWidth_(textWidth), upright_(upright) {}

  Block Build() const { return Build(Tree(network_.shape)); }

 private:
  Block Build(const Node& node) const {
    if (node.slot >= 0) return Leaf(node.slot);
    std::vector<Block> members;
    for (const Node& member : node.members) members.push_back(Build(member));
    return node.parallel ? Parallel(std::move(members)) : Series(std::move(members));
  }

  // Level, the label sits centred above the body; upright, centred to its right.
  Block Leaf(int slot) const {
    Part part;
    part.label = names_[network_.parts[static_cast<std::size_t>(slot)]];
    const double text = textWidth_(part.label);
    const double labelAlong = upright_ ? 1 : text;
    const double labelAcross = upright_ ? text : 1;
    Block block;
    block.along = std::max(kBodyLength, labelAlong);
    block.across = kBodyWidth + kLabelGap + labelAcross;
    const double bodyAcross = upright_ ? 0 : labelAcross + kLabelGap;
    block.rail = bodyAcross + kBodyWidth / 2;
    block.in = (block.along - kBodyLength) / 2;
    block.out = block.in + kBodyLength;
    part.body = {block.in, bodyAcross, kBodyLength, kBodyWidth};
    part.ends = {Point{block.in, block.rail}, Point{block.out, block.rail}};
    part.labelBox = {(block.along - labelAlong) / 2, upright_ ? kBodyWidth + kLabelGap : 0,
                     labelAlong, labelAcross};
    block.items.parts.push_back(std::move(part));
    return block;
  }

  static Block Series(std::vector<Block> members) {
    Block block;
    for (const Block& m : members) {
      block.rail = std::max(block.rail, m.rail);
      block.across = std::max(block.across, m.across - m.rail);
    }
    block.across += block.rail;
    double along = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
      Block& m = members[i];
      if (i == 0) {
        block.in = m.in;
      } else {
        block.items.wires.push_back({{block.out, block.rail}, {along + m.in, block.rail}});
      }
      Place(block.items, std::move(m.items), along, block.rail - m.rail);
      block.out = along + m.out;
      along += m.along + kSeriesGap;
    }
    block.along = along - kSeriesGap;
    return block;
  }

  // The members are stacked between two buses, the group's ports where the first member's
  // rail meets them. Each bus is cut at every joint, so that every wire ends on a joint or a
  // part; the last member's wire turns the corner from the bus.
  static Block Parallel(std::vector<Block> members) {
    Block block;
    double widest = 0;
    for (const Block& m : members) widest = std::max(widest, m.along);
    block.along = widest + 2 * kBranchLead;
    block.in = 0;
    block.out = block.along;
    std::vector<double> rails;
    double across = 0;
    for (Block& m : members) {
      rails.push_back(across + m.rail);
      Place(block.items, std::move(m.items), kBranchLead, across);
      across += m.across + kBranchGap;
    }
    block.across = across - kBranchGap;
    block.rail = rails.front();
    const std::size_t last = members.size() - 1;
    for (std::size_t i = 0; i < members.size(); ++i) {
      const Point in{kBranchLead + members[i].in, rails[i]};
      const Point out{kBranchLead + members[i].out, rails[i]};
      const Point left{0, rails[i]};
      const Point right{block.along, rails[i]};
      if (i < last) {
        block.items.wires.push_back({left, in});
        block.items.wires.push_back({out, right});
        block.items.joints.push_back(left);
        block.items.joints.push_back(right);
      }
      if (i + 1 < last) {
        block.items.wires.push_back({left, {0, rails[i + 1]}});
        block.items.wires.push_back({right, {block.along, rails[i + 1]}});
      } else if (i == last) {
        block.items.wires.push_back({{0, rails[i - 1]}, left, in});
        block.items.wires.push_back({out, right, {block.along, rails[i - 1]}});
      }
    }
    return block;
  }

  const networks::Network& network_;
  std::span<const std::string> names_;
  const TextWidth& textWidth_;
  bool upright_;
};

Terminal Open(Point at, std::string name, const TextWidth& textWidth, bool upright) {
  Terminal terminal;
  terminal.name = std::move(name);
  terminal.at = at;
  const double r = kTerminalRadius;
  terminal.symbol = {at.x - r, at.y - r, 2 * r, 2 * r};
  if (!terminal.name.empty()) {
    // The name reads to the right of the circle, whichever way the picture runs.
    const double text = textWidth(terminal.name);
    terminal.labelBox = upright ? Box{at.x - 0.5, at.y + r + kLabelGap, 1, text}
                                : Box{at.x + r + kLabelGap, at.y - 0.5, text, 1};
  }
  return terminal;
}

void Transpose(Point& p) {
  std::swap(p.x, p.y);
}

void Transpose(Box& b) {
  std::swap(b.x, b.y);
  std::swap(b.width, b.height);
}

// Turns an along/across picture into x/y (swapping the axes when upright), moved so that
// everything starts a margin from the origin, and sizes it.
Picture Finish(Picture picture, bool upright) {
  if (upright) {
    for (Part& part : picture.parts) {
      Transpose(part.body);
      Transpose(part.labelBox);
      for (Point& end : part.ends) Transpose(end);
    }
    for (auto& wire : picture.wires) {
      for (Point& p : wire) Transpose(p);
    }
    for (Point& p : picture.joints) Transpose(p);
    for (Terminal& terminal : picture.terminals) {
      Transpose(terminal.at);
      Transpose(terminal.symbol);
      Transpose(terminal.labelBox);
    }
  }
  constexpr double kInf = std::numeric_limits<double>::infinity();
  Box bounds{kInf, kInf, -kInf, -kInf};  // left, top, right, bottom
  const auto cover = [&](const Box& b) {
    bounds.x = std::min(bounds.x, b.x);
    bounds.y = std::min(bounds.y, b.y);
    bounds.width = std::max(bounds.width, b.x + b.width);
    bounds.height = std::max(bounds.height, b.y + b.height);
  };
  for (const Part& part : picture.parts) {
    cover(part.body);
    cover(part.labelBox);
  }
  for (const auto& wire : picture.wires) {
    for (Point p : wire) cover({p.x, p.y, 0, 0});
  }
  for (const Terminal& terminal : picture.terminals) {
    cover(terminal.symbol);
    if (!terminal.name.empty()) cover(terminal.labelBox);
  }
  Picture moved;
  Place(moved, std::move(picture), kMargin - bounds.x, kMargin - bounds.y);
  moved.width = bounds.width - bounds.x + 2 * kMargin;
  moved.height = bounds.height - bounds.y + 2 * kMargin;
  return moved;
}

}  // namespace

Picture LayoutNetwork(const networks::Network& network, std::span<const std::string> names,
                      const TextWidth& textWidth) {
  Block block = Layout(network, names, textWidth, false).Build();
  Picture picture;
  const double rail = block.rail;
  const Point a{0, rail};
  const Point b{kTerminalLead * 2 + block.along, rail};
  picture.terminals.push_back(Open(a, "", textWidth, false));
  picture.terminals.push_back(Open(b, "", textWidth, false));
  picture.wires.push_back({a, {kTerminalLead + block.in, rail}});
  picture.wires.push_back({{kTerminalLead + block.out, rail}, b});
  Place(picture, std::move(block.items), kTerminalLead, 0);
  return Finish(std::move(picture), false);
}

Picture LayoutDivider(const networks::Network& r1, const networks::Network& r2,
                      std::span<const std::string> names, const TextWidth& textWidth) {
  Block top = Layout(r1, names, textWidth, true).Build();
  Block bottom = Layout(r2, names, textWidth, true).Build();
  // Along runs down, across to the right; the legs share one rail.
  const double rail = std::max(top.rail, bottom.rail);
  const double right = std::max(top.across - top.rail, bottom.across - bottom.rail);
  Picture picture;
  const Point vin{0, rail};
  picture.terminals.push_back(Open(vin, "VIN", textWidth, true));
  const double topStart = kTerminalLead;
  picture.wires.push_back({vin, {topStart + top.in, rail}});
  const Point tap{topStart + top.along + kSeriesGap, rail};
  picture.wires.push_back({{topStart + top.out, rail}, tap});
  picture.joints.push_back(tap);
  const Point vout{tap.x, rail + right + kTerminalLead};
  picture.wires.push_back({tap, vout});
  picture.terminals.push_back(Open(vout, "VOUT", textWidth, true));
  const double bottomStart = tap.x + kSeriesGap;
  picture.wires.push_back({tap, {bottomStart + bottom.in, rail}});
  const Point ground{bottomStart + bottom.along + kTerminalLead, rail};
  picture.wires.push_back({{bottomStart + bottom.out, rail}, ground});
  Terminal earth;
  earth.kind = TerminalKind::kGround;
  earth.at = ground;
  earth.symbol = {ground.x, rail - kGroundWidth / 2, kGroundHeight, kGroundWidth};
  picture.terminals.push_back(std::move(earth));
  Place(picture, std::move(top.items), topStart, rail - top.rail);
  Place(picture, std::move(bottom.items), bottomStart, rail - bottom.rail);
  return Finish(std::move(picture), true);
}

}  // namespace vantrel::schematic
