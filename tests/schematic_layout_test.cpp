#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "rc_search.h"
#include "schematic_layout.h"

namespace vantrel::schematic {
namespace {

using networks::Network;
using networks::Shape;

constexpr double kEps = 1e-9;

bool Near(Point a, Point b) {
  return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps;
}

bool Overlap(const Box& a, const Box& b) {
  return a.x + kEps < b.x + b.width && b.x + kEps < a.x + a.width && a.y + kEps < b.y + b.height &&
         b.y + kEps < a.y + a.height;
}

// The closed segment's bounding box, as a box of zero width or height.
Box Span(Point a, Point b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(a.x - b.x), std::fabs(a.y - b.y)};
}

// The points where wires, part ends and terminals meet, and what joins them: an electrical
// reading of the picture, independent of how it was laid out.
class Circuit {
 public:
  int Node(Point p) {
    for (std::size_t i = 0; i < points_.size(); ++i) {
      if (Near(points_[i], p)) return Find(static_cast<int>(i));
    }
    points_.push_back(p);
    parent_.push_back(static_cast<int>(parent_.size()));
    return parent_.back();
  }
  void Join(int a, int b) { parent_[static_cast<std::size_t>(Find(a))] = Find(b); }
  int Find(int n) {
    while (parent_[static_cast<std::size_t>(n)] != n) n = parent_[static_cast<std::size_t>(n)];
    return n;
  }
  int Count() const { return static_cast<int>(points_.size()); }

 private:
  std::vector<Point> points_;
  std::vector<int> parent_;
};

struct Resistor {
  int a, b;
  double ohms;
};

// Node voltages with fixed[n] held where given, by Gaussian elimination on the node equations.
std::vector<double> Solve(int nodes, const std::vector<Resistor>& resistors,
                          const std::map<int, double>& fixed) {
  const auto n = static_cast<std::size_t>(nodes);
  std::vector<std::vector<double>> m(n, std::vector<double>(n + 1, 0));
  for (const Resistor& r : resistors) {
    const auto a = static_cast<std::size_t>(r.a), b = static_cast<std::size_t>(r.b);
    m[a][a] += 1 / r.ohms;
    m[b][b] += 1 / r.ohms;
    m[a][b] -= 1 / r.ohms;
    m[b][a] -= 1 / r.ohms;
  }
  for (auto [node, volts] : fixed) {
    auto& row = m[static_cast<std::size_t>(node)];
    std::fill(row.begin(), row.end(), 0);
    row[static_cast<std::size_t>(node)] = 1;
    row[n] = volts;
  }
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    for (std::size_t r = col; r < n; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    std::swap(m[col], m[pivot]);
    for (std::size_t r = 0; r < n; ++r) {
      if (r == col || m[r][col] == 0) continue;
      const double f = m[r][col] / m[col][col];
      for (std::size_t c = col; c <= n; ++c) m[r][c] -= f * m[col][c];
    }
  }
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = m[i][n] / m[i][i];
  return v;
}

struct Reading {
  int nodes = 0;
  std::vector<Resistor> resistors;
  std::vector<int> terminals;  // node of each terminal
  std::vector<int> pins;       // of each op-amp: inverting, non-inverting, output
};

// Checks the geometry contract and reads the circuit, with value[label] the part's ohms.
Reading Check(const Picture& p, const std::map<std::string, double>& value) {
  // Wires end on bodies and in terminal circles, but never cross a body or a label.
  std::vector<Box> obstacles;
  for (const Part& part : p.parts) {
    obstacles.push_back(part.body);
    obstacles.push_back(part.labelBox);
  }
  for (const Terminal& t : p.terminals) {
    if (!t.name.empty()) obstacles.push_back(t.labelBox);
  }
  for (const Mark& m : p.marks) obstacles.push_back(m.labelBox);
  for (const OpAmp& a : p.amplifiers) obstacles.push_back(a.body);
  for (const Note& n : p.notes) obstacles.push_back(n.labelBox);
  std::vector<Box> boxes = obstacles;
  for (const Terminal& t : p.terminals) boxes.push_back(t.symbol);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Box& b = boxes[i];
    EXPECT_TRUE(b.x >= 0 && b.y >= 0 && b.x + b.width <= p.width && b.y + b.height <= p.height)
        << "box " << i << " outside the picture";
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(Overlap(b, boxes[j])) << i << " over " << j;
  }

  // A part's ends are the middles of two opposite sides of its body, in reading order.
  for (const Part& part : p.parts) {
    const Box& b = part.body;
    const Point mid{b.x + b.width / 2, b.y + b.height / 2};
    const bool level =
        Near(part.ends[0], {b.x, mid.y}) && Near(part.ends[1], {b.x + b.width, mid.y});
    const bool upright =
        Near(part.ends[0], {mid.x, b.y}) && Near(part.ends[1], {mid.x, b.y + b.height});
    EXPECT_TRUE(level || upright) << part.label << "'s ends are off its body";
  }

  std::vector<Point> ends;  // of parts, joints, terminals: where a wire may end
  for (const Part& part : p.parts) ends.insert(ends.end(), part.ends.begin(), part.ends.end());
  ends.insert(ends.end(), p.joints.begin(), p.joints.end());
  for (const Terminal& t : p.terminals) ends.push_back(t.at);
  for (const OpAmp& a : p.amplifiers) {
    ends.insert(ends.end(), {a.inverting, a.nonInverting, a.output});
  }
  const auto isEnd = [&](Point q) {
    return std::any_of(ends.begin(), ends.end(), [&](Point e) { return Near(e, q); });
  };

  struct Segment {
    std::size_t wire;
    Point a, b;
  };
  std::vector<Segment> segments;
  for (std::size_t w = 0; w < p.wires.size(); ++w) {
    const auto& wire = p.wires[w];
    EXPECT_GE(wire.size(), 2u);
    EXPECT_TRUE(isEnd(wire.front()) && isEnd(wire.back())) << "wire " << w << " ends loose";
    for (std::size_t i = 1; i < wire.size(); ++i) {
      const Point a = wire[i - 1], b = wire[i];
      EXPECT_TRUE((a.x == b.x) != (a.y == b.y)) << "wire " << w << " not straight or empty";
      for (const Box& obstacle : obstacles) {
        EXPECT_FALSE(Overlap(Span(a, b), obstacle)) << "wire " << w << " through a body or label";
      }
      segments.push_back({w, a, b});
    }
  }
  // Wires meet only at their ends, and only where a wire may end.
  for (std::size_t i = 0; i < segments.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      const Segment &s = segments[i], &t = segments[j];
      if (s.wire == t.wire && i == j + 1) continue;
      const Box u = Span(s.a, s.b), v = Span(t.a, t.b);
      const double left = std::max(u.x, v.x), right = std::min(u.x + u.width, v.x + v.width);
      const double top = std::max(u.y, v.y), bottom = std::min(u.y + u.height, v.y + v.height);
      if (left > right + kEps || top > bottom + kEps) continue;
      const Point meet{left, top};
      EXPECT_TRUE(right - left < kEps && bottom - top < kEps && isEnd(meet) &&
                  (Near(meet, p.wires[s.wire].front()) || Near(meet, p.wires[s.wire].back())) &&
                  (Near(meet, p.wires[t.wire].front()) || Near(meet, p.wires[t.wire].back())))
          << "wires " << s.wire << " and " << t.wire << " cross at " << meet.x << "," << meet.y;
    }
  }
  // A bracket is no wire: it touches nothing, not even at a corner.
  for (const Mark& m : p.marks) {
    for (std::size_t i = 1; i < m.bracket.size(); ++i) {
      const Box line = Span(m.bracket[i - 1], m.bracket[i]);
      EXPECT_TRUE(line.x >= 0 && line.y >= 0 && line.x + line.width <= p.width &&
                  line.y + line.height <= p.height)
          << "bracket outside the picture";
      EXPECT_TRUE((line.width == 0) != (line.height == 0)) << "bracket not straight";
      const Box grown{line.x - 2 * kEps, line.y - 2 * kEps, line.width + 4 * kEps,
                      line.height + 4 * kEps};
      for (const Box& b : boxes) EXPECT_FALSE(Overlap(grown, b)) << "bracket on a box";
      for (const Segment& s : segments) {
        EXPECT_FALSE(Overlap(grown, Span(s.a, s.b))) << "bracket on wire " << s.wire;
      }
    }
  }
  for (Point joint : p.joints) {
    int met = 0;
    for (const auto& wire : p.wires) met += Near(wire.front(), joint) + Near(wire.back(), joint);
    for (const Part& part : p.parts) met += Near(part.ends[0], joint) + Near(part.ends[1], joint);
    EXPECT_GE(met, 3) << "joint at " << joint.x << "," << joint.y;
  }

  Circuit circuit;
  for (const auto& wire : p.wires) {
    for (Point q : wire) circuit.Join(circuit.Node(q), circuit.Node(wire.front()));
  }
  Reading reading;
  for (const Part& part : p.parts) {
    reading.resistors.push_back(
        {circuit.Node(part.ends[0]), circuit.Node(part.ends[1]), value.at(part.label)});
  }
  for (const Terminal& t : p.terminals) reading.terminals.push_back(circuit.Node(t.at));
  for (const OpAmp& a : p.amplifiers) {
    for (Point pin : {a.inverting, a.nonInverting, a.output}) {
      reading.pins.push_back(circuit.Node(pin));
    }
  }
  // Every node reaches the first terminal through wires, parts and op-amps.
  Circuit joined = circuit;
  for (const Resistor& r : reading.resistors) joined.Join(r.a, r.b);
  for (std::size_t i = 0; i + 2 < reading.pins.size(); i += 3) {
    joined.Join(reading.pins[i], reading.pins[i + 2]);
    joined.Join(reading.pins[i + 1], reading.pins[i + 2]);
  }
  for (int n = 0; n < circuit.Count(); ++n) {
    EXPECT_EQ(joined.Find(n), joined.Find(reading.terminals.front())) << "picture falls apart";
  }
  // Number the wire-connected nodes 0.. for the solver.
  std::map<int, int> index;
  for (int n = 0; n < circuit.Count(); ++n) index.emplace(circuit.Find(n), index.size());
  reading.nodes = static_cast<int>(index.size());
  for (Resistor& r : reading.resistors)
    r = {index[circuit.Find(r.a)], index[circuit.Find(r.b)], r.ohms};
  for (int& t : reading.terminals) t = index[circuit.Find(t)];
  for (int& pin : reading.pins) pin = index[circuit.Find(pin)];
  return reading;
}

constexpr const char* kCaption = "fc = 995 Hz";

struct Stock {
  std::vector<double> values;
  std::vector<std::string> names;
  std::map<std::string, double> value;
  std::map<std::string, double> width;
  TextWidth textWidth = [this](std::string_view text) { return width.at(std::string(text)); };

  explicit Stock(std::mt19937& rng, const char* prefix = "R") {
    std::uniform_real_distribution<double> ohms(1, 1e6), chars(0.2, 9);
    for (int i = 0; i < 6; ++i) {
      names.push_back(prefix);
      names.back() += std::to_string(i);
      values.push_back(ohms(rng));
      value[names.back()] = values.back();
      width[names.back()] = chars(rng);
    }
    for (const char* name : {"VIN", "VOUT", "OUT", "FB", "ADJ", "VREF", "IN", kCaption}) {
      width[name] = chars(rng);
    }
  }
  Stock(const Stock&) = delete;

  Network Pick(Shape shape, std::mt19937& rng) const {
    Network network{shape, {}};
    for (auto& part : network.parts) part = static_cast<std::uint16_t>(rng() % values.size());
    return network;
  }
};

// Every shape and symbol, random values and label widths: the picture keeps the contract and,
// read as a circuit, has the network's resistance between its two terminals; + stays series
// and || parallel whatever the parts are.
TEST(SchematicLayout, NetworkPictureIsTheNetwork) {
  std::mt19937 rng(17);
  for (int round = 0; round < 20; ++round) {
    const Stock stock(rng);
    for (int s = 0; s < 3 * networks::kShapeCount; ++s) {
      const Network network = stock.Pick(static_cast<Shape>(s % networks::kShapeCount), rng);
      const auto symbol = static_cast<PartSymbol>(s / networks::kShapeCount);
      SCOPED_TRACE(networks::Spell(network, stock.names) + " as symbol " +
                   std::to_string(static_cast<int>(symbol)));
      const Picture picture = LayoutNetwork(network, stock.names, stock.textWidth, symbol);
      EXPECT_EQ(picture.parts.size(), std::size_t(networks::PartCount(network.shape)));
      for (const Part& part : picture.parts) EXPECT_EQ(part.symbol, symbol);
      const Reading r = Check(picture, stock.value);
      ASSERT_EQ(r.terminals.size(), 2u);
      const std::vector<double> v =
          Solve(r.nodes, r.resistors, {{r.terminals[0], 1}, {r.terminals[1], 0}});
      double current = 0;
      for (const Resistor& res : r.resistors) {
        if (res.a == r.terminals[0]) current += (1 - v[static_cast<std::size_t>(res.b)]) / res.ohms;
        if (res.b == r.terminals[0]) current += (1 - v[static_cast<std::size_t>(res.a)]) / res.ohms;
      }
      const double expected = networks::NetworkValue(network, stock.values);
      EXPECT_NEAR(1 / current, expected, expected * 1e-9);
      if (HasFailure()) return;
    }
  }
}

// Every pair of legs: VIN, VOUT and ground where they belong, and the output the legs give.
TEST(SchematicLayout, DividerPictureIsTheDivider) {
  std::mt19937 rng(7);
  for (int s1 = 0; s1 < networks::kShapeCount; ++s1) {
    for (int s2 = 0; s2 < networks::kShapeCount; ++s2) {
      const Stock stock(rng);
      const Network r1 = stock.Pick(static_cast<Shape>(s1), rng);
      const Network r2 = stock.Pick(static_cast<Shape>(s2), rng);
      SCOPED_TRACE(networks::Spell(r1, stock.names) + " / " + networks::Spell(r2, stock.names));
      const Picture picture = LayoutDivider(r1, r2, stock.names, stock.textWidth);
      EXPECT_EQ(picture.parts.size(),
                std::size_t(networks::PartCount(r1.shape) + networks::PartCount(r2.shape)));
      const Reading r = Check(picture, stock.value);
      ASSERT_EQ(r.terminals.size(), 3u);
      EXPECT_EQ(picture.terminals[0].name, "VIN");
      EXPECT_EQ(picture.terminals[1].name, "VOUT");
      EXPECT_EQ(picture.terminals[2].kind, TerminalKind::kGround);
      // Top to bottom, and VOUT off to the side.
      EXPECT_LT(picture.terminals[0].at.y, picture.terminals[1].at.y);
      EXPECT_LT(picture.terminals[1].at.y, picture.terminals[2].at.y);
      EXPECT_GT(picture.terminals[1].at.x, picture.terminals[0].at.x);
      const std::vector<double> v =
          Solve(r.nodes, r.resistors, {{r.terminals[0], 1}, {r.terminals[2], 0}});
      const double top = networks::NetworkValue(r1, stock.values);
      const double bottom = networks::NetworkValue(r2, stock.values);
      EXPECT_NEAR(v[static_cast<std::size_t>(r.terminals[1])], bottom / (top + bottom), 1e-9);
      if (HasFailure()) return;
    }
  }
}

// Both forms over every pair of legs: OUT, the tap and ground where the divider has them, the
// tap at the divider's fraction, and VREF bracketing exactly the leg that carries it.
TEST(SchematicLayout, RegulatorPictureMarksTheReferenceLeg) {
  std::mt19937 rng(11);
  for (const bool acrossTop : {false, true}) {
    for (int s1 = 0; s1 < networks::kShapeCount; ++s1) {
      for (int s2 = 0; s2 < networks::kShapeCount; ++s2) {
        const Stock stock(rng);
        const Network top = stock.Pick(static_cast<Shape>(s1), rng);
        const Network bottom = stock.Pick(static_cast<Shape>(s2), rng);
        SCOPED_TRACE(networks::Spell(top, stock.names) + " / " +
                     networks::Spell(bottom, stock.names) + (acrossTop ? " ADJ" : " FB"));
        const Picture picture =
            LayoutRegulator(top, bottom, acrossTop, stock.names, stock.textWidth);
        const Reading r = Check(picture, stock.value);
        ASSERT_EQ(r.terminals.size(), 3u);
        EXPECT_EQ(picture.terminals[0].name, "OUT");
        EXPECT_EQ(picture.terminals[1].name, acrossTop ? "ADJ" : "FB");
        EXPECT_EQ(picture.terminals[2].kind, TerminalKind::kGround);
        const std::vector<double> v =
            Solve(r.nodes, r.resistors, {{r.terminals[0], 1}, {r.terminals[2], 0}});
        const double rt = networks::NetworkValue(top, stock.values);
        const double rb = networks::NetworkValue(bottom, stock.values);
        EXPECT_NEAR(v[static_cast<std::size_t>(r.terminals[1])], rb / (rt + rb), 1e-9);

        ASSERT_EQ(picture.marks.size(), 1u);
        const Mark& mark = picture.marks[0];
        EXPECT_EQ(mark.name, "VREF");
        double low = mark.bracket[0].y, high = low, right = mark.bracket[0].x;
        for (Point q : mark.bracket) {
          low = std::min(low, q.y);
          high = std::max(high, q.y);
          right = std::max(right, q.x);
        }
        const double tap = picture.terminals[1].at.y;
        for (const Part& part : picture.parts) {
          const bool marked = (part.body.y < tap) == acrossTop;
          const bool within =
              part.body.y >= low - kEps && part.body.y + part.body.height <= high + kEps;
          EXPECT_EQ(within, marked) << part.label << " at " << part.body.y;
          if (marked) {
            EXPECT_LT(right, part.body.x);
          }
        }
        if (HasFailure()) return;
      }
    }
  }
}

// Both forms over every pair of legs: read as a circuit with an ideal op-amp (no current into
// its inputs, which it holds equal), the picture has the gain the legs give.
TEST(SchematicLayout, AmplifierPictureHasTheGain) {
  std::mt19937 rng(5);
  for (const bool inverting : {false, true}) {
    for (int s1 = 0; s1 < networks::kShapeCount; ++s1) {
      for (int s2 = 0; s2 < networks::kShapeCount; ++s2) {
        const Stock stock(rng);
        const Network rf = stock.Pick(static_cast<Shape>(s1), rng);
        const Network rg = stock.Pick(static_cast<Shape>(s2), rng);
        SCOPED_TRACE(networks::Spell(rf, stock.names) + " / " + networks::Spell(rg, stock.names) +
                     (inverting ? " inverting" : ""));
        const Picture picture = LayoutAmplifier(rf, rg, inverting, stock.names, stock.textWidth);
        const Reading r = Check(picture, stock.value);
        ASSERT_EQ(r.terminals.size(), 3u);
        ASSERT_EQ(r.pins.size(), 3u);
        EXPECT_EQ(picture.terminals[0].name, "IN");
        EXPECT_EQ(picture.terminals[1].name, "OUT");
        EXPECT_EQ(picture.terminals[2].kind, TerminalKind::kGround);
        const int in = r.terminals[0], out = r.terminals[1], ground = r.terminals[2];
        const auto minus = static_cast<std::size_t>(r.pins[0]);
        const auto plus = static_cast<std::size_t>(r.pins[1]);
        EXPECT_EQ(r.pins[1], inverting ? ground : in);
        EXPECT_EQ(r.pins[2], out);
        // The inputs' difference is linear in IN and OUT; the output is where it vanishes.
        const std::vector<double> fromIn =
            Solve(r.nodes, r.resistors, {{in, 1}, {out, 0}, {ground, 0}});
        const std::vector<double> fromOut =
            Solve(r.nodes, r.resistors, {{in, 0}, {out, 1}, {ground, 0}});
        const double gain = (fromIn[plus] - fromIn[minus]) / (fromOut[minus] - fromOut[plus]);
        const double f = networks::NetworkValue(rf, stock.values);
        const double g = networks::NetworkValue(rg, stock.values);
        const double expected = inverting ? -f / g : 1 + f / g;
        EXPECT_NEAR(gain, expected, std::fabs(expected) * 1e-9);
        const OpAmp& amp = picture.amplifiers[0];
        EXPECT_NEAR(amp.inverting.x, amp.body.x, kEps);
        EXPECT_NEAR(amp.nonInverting.x, amp.body.x, kEps);
        EXPECT_NEAR(amp.output.x, amp.body.x + amp.body.width, kEps);
        EXPECT_NEAR(amp.output.y, amp.body.y + amp.body.height / 2, kEps);
        if (HasFailure()) return;
      }
    }
  }
}

// Every pair of legs: IN, the R leg, a joint and OUT in a line, the C leg of capacitors from the
// joint down to ground, and the caption clear of it all. Read with a capacitor of C as 1e6 / C
// ohms (its impedance at one frequency), OUT divides IN as the legs' impedances do.
TEST(SchematicLayout, RcPictureIsTheLowPass) {
  std::mt19937 rng(3);
  for (int s1 = 0; s1 < networks::kShapeCount; ++s1) {
    for (int s2 = 0; s2 < networks::kShapeCount; ++s2) {
      const Stock rs(rng);
      const Stock cs(rng, "C");
      const Network r = rs.Pick(static_cast<Shape>(s1), rng);
      const Network c = cs.Pick(static_cast<Shape>(s2), rng);
      SCOPED_TRACE(networks::Spell(r, rs.names) + " / " + networks::Spell(c, cs.names));
      std::map<std::string, double> ohms = rs.value;
      for (const auto& [name, farads] : cs.value) ohms[name] = 1e6 / farads;
      const TextWidth textWidth = [&](std::string_view text) {
        const std::string key(text);
        return (rs.width.count(key) != 0 ? rs.width : cs.width).at(key);
      };
      const Picture picture = LayoutRc(r, rs.names, c, cs.names, kCaption, textWidth);
      const Reading reading = Check(picture, ohms);
      ASSERT_EQ(reading.terminals.size(), 3u);
      const Terminal& in = picture.terminals[0];
      const Terminal& out = picture.terminals[1];
      const Terminal& ground = picture.terminals[2];
      EXPECT_EQ(in.name, "IN");
      EXPECT_EQ(out.name, "OUT");
      EXPECT_EQ(ground.kind, TerminalKind::kGround);
      ASSERT_EQ(picture.notes.size(), 1u);
      EXPECT_EQ(picture.notes[0].text, kCaption);

      // The joint is where OUT's wire starts.
      const auto toOut = std::find_if(picture.wires.begin(), picture.wires.end(),
                                      [&](const auto& w) { return Near(w.back(), out.at); });
      ASSERT_NE(toOut, picture.wires.end());
      const Point joint = toOut->front();
      EXPECT_TRUE(std::any_of(picture.joints.begin(), picture.joints.end(),
                              [&](Point j) { return Near(j, joint); }));
      EXPECT_LT(in.at.x, joint.x);
      EXPECT_LT(joint.x, out.at.x);
      EXPECT_LT(joint.y, ground.at.y);
      std::size_t resistors = 0, capacitors = 0;
      for (const Part& part : picture.parts) {
        const Box& b = part.body;
        if (part.label.front() == 'R') {
          ++resistors;
          EXPECT_EQ(part.symbol, PartSymbol::kResistor);
          EXPECT_TRUE(in.at.x < b.x && b.x + b.width < joint.x) << part.label << " off the R leg";
        } else {
          ++capacitors;
          EXPECT_EQ(part.symbol, PartSymbol::kCapacitor);
          EXPECT_TRUE(joint.y < b.y && b.y + b.height < ground.at.y)
              << part.label << " off the C leg";
        }
      }
      EXPECT_EQ(resistors, std::size_t(networks::PartCount(r.shape)));
      EXPECT_EQ(capacitors, std::size_t(networks::PartCount(c.shape)));

      const std::vector<double> v = Solve(reading.nodes, reading.resistors,
                                          {{reading.terminals[0], 1}, {reading.terminals[2], 0}});
      const double zr = networks::NetworkValue(r, rs.values);
      const double zc = 1e6 / networks::CapacitorLegValue(c, cs.values);
      EXPECT_NEAR(v[static_cast<std::size_t>(reading.terminals[1])], zc / (zr + zc), 1e-9);
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace vantrel::schematic
