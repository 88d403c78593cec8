#include "schematic_layout.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace vantrel::schematic {
namespace {

// Sizes in line heights.
constexpr double kBodyLength = 2.4;
constexpr double kBodyWidth = 0.8;
constexpr double kPlateGap = 0.4;  // a capacitor's body: the gap between its plates
constexpr double kPlateLength = 1.2;
constexpr double kLabelGap = 0.2;    // between a body and its label
constexpr double kSeriesGap = 1.0;   // wire between two members of a series group
constexpr double kBranchLead = 0.8;  // wire between a parallel group's rail and a member
constexpr double kBranchGap = 0.6;   // between two members of a parallel group
constexpr double kTerminalLead = 1.0;
constexpr double kGroundWidth = 1.0;
constexpr double kGroundHeight = 0.6;
constexpr double kMargin = 0.5;
constexpr double kTick = 0.3;       // a mark's ticks toward its leg
constexpr double kAmpLength = 2.8;  // the op-amp's triangle, along its signal
constexpr double kAmpHeight = 3.2;
constexpr double kInputLead = 1.5;   // from an input to the wire that turns toward it
constexpr double kAmpGap = 0.8;      // between level legs and the op-amp below them
constexpr double kGroundLead = 0.5;  // down from + to its ground

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
  for (Mark& mark : from.marks) {
    for (Point& p : mark.bracket) Shift(p, da, dc);
    Shift(mark.labelBox, da, dc);
    into.marks.push_back(std::move(mark));
  }
  for (OpAmp amp : from.amplifiers) {
    Shift(amp.body, da, dc);
    for (Point* p : {&amp.inverting, &amp.nonInverting, &amp.output}) Shift(*p, da, dc);
    into.amplifiers.push_back(amp);
  }
  for (Note& note : from.notes) {
    Shift(note.labelBox, da, dc);
    into.notes.push_back(std::move(note));
  }
}

class Layout {
 public:
  Layout(const networks::Network& network, std::span<const std::string> names,
         const TextWidth& textWidth, bool upright, PartSymbol symbol = PartSymbol::kResistor)
      : network_(network),
        names_(names),
        textWidth_(textWidth),
        upright_(upright),
        symbol_(symbol) {}

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
    part.symbol = symbol_;
    const bool plates = symbol_ == PartSymbol::kCapacitor;
    const double length = plates ? kPlateGap : kBodyLength;
    const double width = plates ? kPlateLength : kBodyWidth;
    const double text = textWidth_(part.label);
    const double labelAlong = upright_ ? 1 : text;
    const double labelAcross = upright_ ? text : 1;
    Block block;
    block.along = std::max(length, labelAlong);
    block.across = width + kLabelGap + labelAcross;
    const double bodyAcross = upright_ ? 0 : labelAcross + kLabelGap;
    block.rail = bodyAcross + width / 2;
    block.in = (block.along - length) / 2;
    block.out = block.in + length;
    part.body = {block.in, bodyAcross, length, width};
    part.ends = {Point{block.in, block.rail}, Point{block.out, block.rail}};
    part.labelBox = {(block.along - labelAlong) / 2, upright_ ? width + kLabelGap : 0, labelAlong,
                     labelAcross};
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
  PartSymbol symbol_;
};

// block on the line across = rail, its items from along start, wired from along `from` to its
// first port and from its last port to along `to`.
void Lay(Picture& picture, Block block, double rail, double from, double start, double to) {
  picture.wires.push_back({{from, rail}, {start + block.in, rail}});
  picture.wires.push_back({{start + block.out, rail}, {to, rail}});
  Place(picture, std::move(block.items), start, rail - block.rail);
}

// The name reads to the right of the circle, whichever way the picture runs, or in a level
// picture to its left, where the wire leaves to the right.
Terminal Open(Point at, std::string name, const TextWidth& textWidth, bool upright,
              bool left = false) {
  Terminal terminal;
  terminal.name = std::move(name);
  terminal.at = at;
  const double r = kTerminalRadius;
  terminal.symbol = {at.x - r, at.y - r, 2 * r, 2 * r};
  if (!terminal.name.empty()) {
    const double text = textWidth(terminal.name);
    terminal.labelBox = upright ? Box{at.x - 0.5, at.y + r + kLabelGap, 1, text}
                                : Box{at.x + r + kLabelGap, at.y - 0.5, text, 1};
    if (left) terminal.labelBox.x = at.x - r - kLabelGap - text;
  }
  return terminal;
}

// The ground sign hangs below `at`; upright pictures are built with the axes swapped.
Terminal Ground(Point at, bool upright) {
  Terminal terminal;
  terminal.kind = TerminalKind::kGround;
  terminal.at = at;
  terminal.symbol = upright ? Box{at.x, at.y - kGroundWidth / 2, kGroundHeight, kGroundWidth}
                            : Box{at.x - kGroundWidth / 2, at.y, kGroundWidth, kGroundHeight};
  return terminal;
}

void Transpose(Point& p) {
  std::swap(p.x, p.y);
}

void Transpose(Box& b) {
  std::swap(b.x, b.y);
  std::swap(b.width, b.height);
}

// Swaps along and across. Op-amps and notes are only ever placed level, so there are none to
// turn.
void Transpose(Picture& picture) {
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
  for (Mark& mark : picture.marks) {
    for (Point& p : mark.bracket) Transpose(p);
    Transpose(mark.labelBox);
  }
}

// Turns an along/across picture into x/y (swapping the axes when upright), moved so that
// everything starts a margin from the origin, and sizes it.
Picture Finish(Picture picture, bool upright) {
  if (upright) Transpose(picture);
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
  for (const Mark& mark : picture.marks) {
    for (Point p : mark.bracket) cover({p.x, p.y, 0, 0});
    cover(mark.labelBox);
  }
  for (const OpAmp& amp : picture.amplifiers) cover(amp.body);
  for (const Note& note : picture.notes) cover(note.labelBox);
  Picture moved;
  Place(moved, std::move(picture), kMargin - bounds.x, kMargin - bounds.y);
  moved.width = bounds.width - bounds.x + 2 * kMargin;
  moved.height = bounds.height - bounds.y + 2 * kMargin;
  return moved;
}

// Two legs in a line joined at a tap, along/across: the divider's ladder, which the regulator
// and the non-inverting amplifier stand on and the inverting amplifier lies on. The top leg's
// wire starts at along 0 and the bottom leg's ends at along `end`, both on the rail.
struct Ladder {
  Block top;
  Block bottom;
  double rail = 0;
  double right = 0;  // how far the legs reach across past the rail
  double topStart = kTerminalLead;
  double tap = 0;
  double bottomStart = 0;
  double end = 0;
};

Ladder Stack(Block top, Block bottom) {
  Ladder ladder;
  ladder.rail = std::max(top.rail, bottom.rail);
  ladder.right = std::max(top.across - top.rail, bottom.across - bottom.rail);
  ladder.tap = ladder.topStart + top.along + kSeriesGap;
  ladder.bottomStart = ladder.tap + kSeriesGap;
  ladder.end = ladder.bottomStart + bottom.along + kTerminalLead;
  ladder.top = std::move(top);
  ladder.bottom = std::move(bottom);
  return ladder;
}

// The legs and their wires, the tap a joint with tapWire (the points after the tap) its third.
Picture Draw(Ladder ladder, std::vector<Point> tapWire) {
  Picture picture;
  const double rail = ladder.rail;
  const Point tap{ladder.tap, rail};
  Lay(picture, std::move(ladder.top), rail, 0, ladder.topStart, ladder.tap);
  picture.joints.push_back(tap);
  tapWire.insert(tapWire.begin(), tap);
  picture.wires.push_back(std::move(tapWire));
  Lay(picture, std::move(ladder.bottom), rail, ladder.tap, ladder.bottomStart, ladder.end);
  return picture;
}

// An upright ladder between a terminal named top and ground, the tap taken to a terminal right
// of the legs.
Picture Divider(Ladder ladder, std::string top, std::string tap, const TextWidth& textWidth) {
  Picture picture;
  const double rail = ladder.rail;
  picture.terminals.push_back(Open({0, rail}, std::move(top), textWidth, true));
  const Point out{ladder.tap, rail + ladder.right + kTerminalLead};
  picture.terminals.push_back(Open(out, std::move(tap), textWidth, true));
  picture.terminals.push_back(Ground({ladder.end, rail}, true));
  Place(picture, Draw(std::move(ladder), {out}), 0, 0);
  return picture;
}

}  // namespace

Picture LayoutNetwork(const networks::Network& network, std::span<const std::string> names,
                      const TextWidth& textWidth, PartSymbol symbol) {
  Block block = Layout(network, names, textWidth, false, symbol).Build();
  Picture picture;
  const double rail = block.rail;
  const double end = kTerminalLead * 2 + block.along;
  picture.terminals.push_back(Open({0, rail}, "", textWidth, false));
  picture.terminals.push_back(Open({end, rail}, "", textWidth, false));
  Lay(picture, std::move(block), rail, 0, kTerminalLead, end);
  return Finish(std::move(picture), false);
}

Picture LayoutDivider(const networks::Network& r1, const networks::Network& r2,
                      std::span<const std::string> names, const TextWidth& textWidth) {
  return Finish(Divider(Stack(Layout(r1, names, textWidth, true).Build(),
                              Layout(r2, names, textWidth, true).Build()),
                        "VIN", "VOUT", textWidth),
                true);
}

Picture LayoutRegulator(const networks::Network& top, const networks::Network& bottom,
                        bool referenceAcrossTop, std::span<const std::string> names,
                        const TextWidth& textWidth) {
  Ladder ladder = Stack(Layout(top, names, textWidth, true).Build(),
                        Layout(bottom, names, textWidth, true).Build());
  const Block& marked = referenceAcrossTop ? ladder.top : ladder.bottom;
  const double start = referenceAcrossTop ? ladder.topStart : ladder.bottomStart;
  // The bracket spans the leg's ports, clear of its near side (its parts stand right of it).
  Mark mark;
  mark.name = "VREF";
  const double line = ladder.rail - marked.rail - kLabelGap - kTick;
  const double from = start + marked.in;
  const double to = start + marked.out;
  mark.bracket = {{from, line + kTick}, {from, line}, {to, line}, {to, line + kTick}};
  const double text = textWidth(mark.name);
  mark.labelBox = {(from + to) / 2 - 0.5, line - kLabelGap - text, 1, text};
  Picture picture = Divider(std::move(ladder), "OUT", referenceAcrossTop ? "ADJ" : "FB", textWidth);
  picture.marks.push_back(std::move(mark));
  return Finish(std::move(picture), true);
}

Picture LayoutAmplifier(const networks::Network& rf, const networks::Network& rg, bool inverting,
                        std::span<const std::string> names, const TextWidth& textWidth) {
  Ladder ladder = Stack(Layout(inverting ? rg : rf, names, textWidth, !inverting).Build(),
                        Layout(inverting ? rf : rg, names, textWidth, !inverting).Build());
  Picture picture;
  OpAmp amp;
  if (inverting) {
    // Level: IN at along 0, the output joint where the ladder ends, past the op-amp's point.
    const double rail = ladder.rail;
    amp.body = {ladder.tap + kInputLead, rail + ladder.right + kAmpGap, kAmpLength, kAmpHeight};
    amp.inverting = {amp.body.x, amp.body.y + kAmpHeight / 4};
    amp.nonInverting = {amp.body.x, amp.body.y + kAmpHeight * 3 / 4};
    amp.output = {amp.body.x + kAmpLength, amp.body.y + kAmpHeight / 2};
    ladder.end = std::max(ladder.end, amp.output.x + kTerminalLead);
    const Point joint{ladder.end, rail};
    const Point out{joint.x + kTerminalLead, rail};
    const Point corner{amp.body.x - kInputLead / 2, amp.nonInverting.y};
    const Point ground{corner.x, corner.y + kGroundLead};
    picture.terminals.push_back(Open({0, rail}, "IN", textWidth, false, true));
    picture.terminals.push_back(Open(out, "OUT", textWidth, false));
    picture.terminals.push_back(Ground(ground, false));
    picture.wires.push_back({amp.nonInverting, corner, ground});
    picture.wires.push_back({amp.output, {joint.x, amp.output.y}, joint});
    picture.wires.push_back({joint, out});
    picture.joints.push_back(joint);
    const Point down{ladder.tap, amp.inverting.y};
    Place(picture, Draw(std::move(ladder), {down, amp.inverting}), 0, 0);
  } else {
    // The ladder stands with its top at the output joint, the op-amp to its left; x/y here is
    // across/along in the ladder.
    const Point joint{ladder.rail, 0};
    amp.output = {joint.x - kTerminalLead, joint.y};
    amp.body = {amp.output.x - kAmpLength, amp.output.y - kAmpHeight / 2, kAmpLength, kAmpHeight};
    amp.nonInverting = {amp.body.x, amp.body.y + kAmpHeight / 4};
    amp.inverting = {amp.body.x, amp.body.y + kAmpHeight * 3 / 4};
    const Point in{amp.body.x - kInputLead - kTerminalLead, amp.nonInverting.y};
    const Point out{joint.x + kTerminalLead, joint.y};
    picture.terminals.push_back(Open(in, "IN", textWidth, false, true));
    picture.terminals.push_back(Open(out, "OUT", textWidth, false));
    picture.wires.push_back({in, amp.nonInverting});
    picture.wires.push_back({amp.output, joint});
    picture.wires.push_back({joint, out});
    picture.joints.push_back(joint);
    // The tap's wire runs left under the op-amp and up to -.
    const double turn = amp.body.x - kInputLead;
    const double tap = ladder.tap;
    Picture legs;
    legs.terminals.push_back(Ground({ladder.end, ladder.rail}, true));
    Place(legs,
          Draw(std::move(ladder),
               {{tap, turn}, {amp.inverting.y, turn}, {amp.inverting.y, amp.inverting.x}}),
          0, 0);
    Transpose(legs);
    Place(picture, std::move(legs), 0, 0);
  }
  picture.amplifiers.push_back(amp);
  return Finish(std::move(picture), false);
}

Picture LayoutRc(const networks::Network& r, std::span<const std::string> rNames,
                 const networks::Network& c, std::span<const std::string> cNames,
                 std::string_view caption, const TextWidth& textWidth) {
  Block rLeg = Layout(r, rNames, textWidth, false).Build();
  Block cLeg = Layout(c, cNames, textWidth, true, PartSymbol::kCapacitor).Build();
  Picture picture;
  const double rail = rLeg.rail;
  const Point joint{kTerminalLead + rLeg.along + kSeriesGap, rail};
  const Point out{joint.x + kTerminalLead, rail};
  picture.terminals.push_back(Open({0, rail}, "IN", textWidth, false, true));
  picture.terminals.push_back(Open(out, "OUT", textWidth, false));
  Lay(picture, std::move(rLeg), rail, 0, kTerminalLead, joint.x);
  picture.wires.push_back({joint, out});
  picture.joints.push_back(joint);
  // The capacitor leg along/across from the joint down, as a divider's legs are built.
  const double cStart = kSeriesGap;
  const double ground = cStart + cLeg.along + kTerminalLead;
  const double cRail = cLeg.rail;
  const double cRight = joint.x - cRail + cLeg.across;
  Picture legs;
  legs.terminals.push_back(Ground({ground, cRail}, true));
  Lay(legs, std::move(cLeg), cRail, 0, cStart, ground);
  Transpose(legs);
  Place(picture, std::move(legs), joint.x - cRail, joint.y);
  // Below OUT's name and right of the capacitor leg, whose labels reach past its ground sign.
  Note note;
  note.text = std::string(caption);
  note.labelBox = {std::max(cRight + kLabelGap, out.x - kTerminalRadius), rail + 0.5 + kLabelGap,
                   textWidth(caption), 1};
  picture.notes.push_back(std::move(note));
  return Finish(std::move(picture), false);
}

}  // namespace vantrel::schematic
