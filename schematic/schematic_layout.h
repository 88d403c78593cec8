#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network.h"

namespace vantrel::schematic {

// The circuit picture of a network, a divider, a regulator's feedback, an amplifier or an RC
// low-pass as boxes and wires, for any painter.
//
// Geometry: one unit is the height of one line of the label font, so a painter multiplies by
// its font's line height and the picture scales with the font. x grows to the right, y
// downward. Everything lies within [0, width] x [0, height], a margin included.
// - Wires are polylines of horizontal and vertical segments. Each end of a wire lies on a
//   part's end, a joint or a terminal; the corners inside a wire join nothing, and two wires
//   meet only where they end.
// - A joint is where three or more wire or part ends meet (drawn as a dot).
// - Part bodies, labels, terminal symbols, mark labels, notes and op-amp bodies never overlap
//   each other, and no wire passes through a body, a label or a note.
// - A mark's bracket touches no wire, body, label or terminal symbol.
// - A network runs left to right between two unnamed terminals: series groups left to right,
//   parallel groups stacked top to bottom, each part's label centred above its body.
// - A divider runs top to bottom: VIN, the top leg, the VOUT tap (a terminal to the right),
//   the bottom leg, ground. Its parts stand upright with their labels to their right; a
//   parallel group's members stand side by side.
// - A regulator's feedback is the divider with OUT for VIN and the tap named FB or ADJ, and VREF
//   marked by a bracket left of the leg that carries it.
// - An amplifier's op-amp points right. Non-inverting: IN at + above −, the output joined to a
//   divider standing to the right (Rf on top, Rg to ground), whose tap runs under the op-amp
//   back to −. Inverting: IN, Rin, the tap, Rf and the output joint in one level line above the
//   op-amp, the tap down to − above +, + to ground, the output up to the joint and on to OUT.
// - An RC low-pass: IN, the resistor leg and a joint in one level line, the joint on to OUT;
//   from the joint the capacitor leg stands down to ground, its parts upright as a divider's.
//   Its caption is a note below OUT, right of the capacitor leg.

struct Point {
  double x = 0;
  double y = 0;
  bool operator==(const Point&) const = default;
};

struct Box {
  double x = 0;  // left
  double y = 0;  // top
  double width = 0;
  double height = 0;
};

enum class PartSymbol { kResistor, kCapacitor, kInductor };

// One resistor, capacitor or inductor. Its body is the symbol's box: a resistor's rectangle, an
// inductor's row of humps (bulging up, or right when upright), or the gap between a capacitor's
// plates, which are the box's two sides its ends lie on. Its ends are the middles of the two
// sides the current enters and leaves by (left then right, or top then bottom), where its wires
// end.
struct Part {
  std::string label;  // the part's value as the caller names it
  PartSymbol symbol = PartSymbol::kResistor;
  Box body;
  std::array<Point, 2> ends;
  Box labelBox;  // as wide as the text width said, one unit high
};

enum class TerminalKind {
  kOpen,    // a small circle centred on `at`
  kGround,  // the ground sign: its box hangs below `at`, the wire ends at its top middle
};

struct Terminal {
  TerminalKind kind = TerminalKind::kOpen;
  std::string name;  // "" for none
  Point at;          // where its wire ends
  Box symbol;
  Box labelBox;  // empty without a name
};

// A voltage across a leg: a bracket beside it, a polyline that runs along the leg with a tick
// toward it at either end, and the name on the bracket's far side.
struct Mark {
  std::string name;
  std::vector<Point> bracket;
  Box labelBox;
};

// An operational amplifier: a triangle in `body` pointing right, its inputs on the left side
// (each with its sign drawn inside the body beside it) and its output at the point.
struct OpAmp {
  Box body;
  Point inverting;     // -
  Point nonInverting;  // +
  Point output;
};

// A line of text, such as an RC pair's corner frequency.
struct Note {
  std::string text;
  Box labelBox;
};

struct Picture {
  double width = 0;
  double height = 0;
  std::vector<Part> parts;
  std::vector<std::vector<Point>> wires;
  std::vector<Point> joints;
  std::vector<Terminal> terminals;
  std::vector<Mark> marks;
  std::vector<OpAmp> amplifiers;
  std::vector<Note> notes;
};

// The width of a text in units (its advance in pixels over the font's line height).
using TextWidth = std::function<double(std::string_view text)>;

// The radius of an open terminal's circle, for painters.
inline constexpr double kTerminalRadius = 0.2;

// network drawn with names[i] as the label of stock value i, as Spell names its parts, each part
// as symbol: + is always series and || parallel, whatever the parts are.
Picture LayoutNetwork(const networks::Network& network, std::span<const std::string> names,
                      const TextWidth& textWidth, PartSymbol symbol = PartSymbol::kResistor);

// The divider with top leg r1 (from VIN to VOUT) and bottom leg r2 (from VOUT to ground).
Picture LayoutDivider(const networks::Network& r1, const networks::Network& r2,
                      std::span<const std::string> names, const TextWidth& textWidth);

// A regulator's feedback: top from OUT to the tap, bottom from the tap to ground. VREF is marked
// across top when referenceAcrossTop (three-terminal adjustable regulators, the tap named ADJ),
// else across bottom (converters, the tap named FB).
Picture LayoutRegulator(const networks::Network& top, const networks::Network& bottom,
                        bool referenceAcrossTop, std::span<const std::string> names,
                        const TextWidth& textWidth);

// Non-inverting: rf from the output to the inverting input, rg from there to ground, IN at +.
// Inverting: rg (Rin) from IN to the inverting input, rf from there to the output, + grounded.
Picture LayoutAmplifier(const networks::Network& rf, const networks::Network& rg, bool inverting,
                        std::span<const std::string> names, const TextWidth& textWidth);

// An RC low-pass: the resistor leg r from IN to OUT, the capacitor leg c (+ in series, || in
// parallel) from OUT to ground, each labelled from its own names, and caption (UTF-8) beside.
Picture LayoutRc(const networks::Network& r, std::span<const std::string> rNames,
                 const networks::Network& c, std::span<const std::string> cNames,
                 std::string_view caption, const TextWidth& textWidth);

}  // namespace vantrel::schematic
