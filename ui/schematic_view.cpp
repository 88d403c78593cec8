#include "schematic_view.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>

#include "qt_text.h"

namespace vantrel {
namespace {

constexpr qreal kPenWidth = 0.07;     // in line heights
constexpr qreal kJointRadius = 0.12;  // the dot where three wires meet
constexpr qreal kLabelPadding = 0.2;  // around a label's text, so glyphs never touch a symbol
constexpr qreal kSignOffset = 0.45;   // an op-amp input's sign, in from the triangle's side
constexpr qreal kSignSize = 0.4;
constexpr int kHumps = 4;  // an inductor's
// A picture grows with the room it has up to this many times the font's size, past which it
// would only be large, not clearer.
constexpr qreal kMostScale = 2;

QRectF Rect(const schematic::Box& box, qreal unit) {
  return {box.x * unit, box.y * unit, box.width * unit, box.height * unit};
}

QPointF At(schematic::Point point, qreal unit) {
  return {point.x * unit, point.y * unit};
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QColor BandColourOf(finder::BandColour colour) {
  static const QColor kColours[] = {
      QColor(0, 0, 0),       QColor(139, 69, 19),   QColor(220, 20, 20),  QColor(255, 140, 0),
      QColor(255, 215, 0),   QColor(34, 160, 34),   QColor(30, 80, 220),  QColor(148, 0, 211),
      QColor(128, 128, 128), QColor(255, 255, 255), QColor(212, 175, 55), QColor(192, 192, 192)};
  return kColours[static_cast<int>(colour)];
}

// The bands across a resistor's body, evenly spaced from its first end, each outlined in ink so
// that white and silver show on a light background.
void PaintBands(QPainter& painter, const QRectF& body, bool level,
                const std::vector<finder::BandColour>& bands) {
  const auto places = static_cast<qreal>(2 * bands.size() + 1);
  const qreal step = (level ? body.width() : body.height()) / places;
  painter.save();
  QPen outline = painter.pen();
  outline.setWidthF(outline.widthF() / 3);
  painter.setPen(outline);
  for (std::size_t i = 0; i < bands.size(); ++i) {
    const qreal at = step * static_cast<qreal>(2 * i + 1);
    painter.setBrush(BandColourOf(bands[i]));
    painter.drawRect(level ? QRectF(body.left() + at, body.top(), step, body.height())
                           : QRectF(body.left(), body.top() + at, body.width(), step));
  }
  painter.restore();
}

// A resistor's rectangle is filled so that nothing shows through it; a capacitor's plates are
// its body's sides at its ends, with the gap between them left bare; an inductor's humps run
// from end to end, bulging up, or right when upright.
void PaintPart(QPainter& painter, const schematic::Part& part, qreal unit, const QColor& paper,
               const std::vector<finder::BandColour>* bands) {
  const QRectF body = Rect(part.body, unit);
  const bool level = part.ends[0].y == part.ends[1].y;
  switch (part.symbol) {
    case schematic::PartSymbol::kResistor:
      painter.setBrush(paper);
      painter.drawRect(body);
      if (bands != nullptr) PaintBands(painter, body, level, *bands);
      break;
    case schematic::PartSymbol::kCapacitor:
      if (level) {
        painter.drawLine(body.topLeft(), body.bottomLeft());
        painter.drawLine(body.topRight(), body.bottomRight());
      } else {
        painter.drawLine(body.topLeft(), body.topRight());
        painter.drawLine(body.bottomLeft(), body.bottomRight());
      }
      break;
    case schematic::PartSymbol::kInductor: {
      const QPointF from = At(part.ends[0], unit);
      const QPointF step = (At(part.ends[1], unit) - from) / kHumps;
      const qreal size = level ? step.x() : step.y();
      QPainterPath humps(from);
      for (int i = 0; i < kHumps; ++i) {
        const QPointF corner =
            level ? from + step * i - QPointF(0, size / 2) : from + step * i - QPointF(size / 2, 0);
        humps.arcTo(QRectF(corner, QSizeF(size, size)), level ? 180 : 90, -180);
      }
      painter.setBrush(Qt::NoBrush);
      painter.drawPath(humps);
      break;
    }
  }
}

// bands: each resistor's colour bands by its label, or none to draw none.
void Paint(QPainter& painter, const schematic::Picture& picture, qreal unit, const QFont& font,
           const QColor& ink, const QColor& paper, const SchematicView::Bands* bands) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(font);
  painter.setPen(
      QPen(ink, std::max<qreal>(1, kPenWidth * unit), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  for (const auto& wire : picture.wires) {
    QPolygonF line;
    for (schematic::Point point : wire) line << At(point, unit);
    painter.drawPolyline(line);
  }
  for (const schematic::Mark& mark : picture.marks) {
    QPolygonF line;
    for (schematic::Point point : mark.bracket) line << At(point, unit);
    painter.drawPolyline(line);
  }
  for (const schematic::Part& part : picture.parts) {
    const auto found =
        bands != nullptr ? bands->find(part.label) : SchematicView::Bands::const_iterator();
    const bool banded = bands != nullptr && found != bands->end() && !found->second.empty();
    PaintPart(painter, part, unit, paper, banded ? &found->second : nullptr);
  }
  painter.setBrush(paper);
  for (const schematic::OpAmp& amp : picture.amplifiers) {
    const QRectF body = Rect(amp.body, unit);
    QPolygonF triangle;
    triangle << body.topLeft() << body.bottomLeft() << At(amp.output, unit);
    painter.drawPolygon(triangle);
    const qreal half = kSignSize * unit / 2;
    const auto sign = [&](schematic::Point input, bool plus) {
      const QPointF centre = At(input, unit) + QPointF(kSignOffset * unit, 0);
      painter.drawLine(centre - QPointF(half, 0), centre + QPointF(half, 0));
      if (plus) painter.drawLine(centre - QPointF(0, half), centre + QPointF(0, half));
    };
    sign(amp.inverting, false);
    sign(amp.nonInverting, true);
  }
  for (const schematic::Terminal& terminal : picture.terminals) {
    const QRectF symbol = Rect(terminal.symbol, unit);
    if (terminal.kind == schematic::TerminalKind::kOpen) {
      painter.drawEllipse(symbol);
    } else {
      // Three bars, each narrower, the first where the wire ends.
      for (int bar = 0; bar < 3; ++bar) {
        const qreal y = symbol.top() + symbol.height() * bar / 2;
        const qreal half = symbol.width() * (1 - 0.4 * bar) / 2;
        painter.drawLine(QPointF(symbol.center().x() - half, y),
                         QPointF(symbol.center().x() + half, y));
      }
    }
    if (!terminal.name.empty()) {
      painter.drawText(Rect(terminal.labelBox, unit), Qt::AlignCenter, Text(terminal.name));
    }
  }
  painter.setBrush(ink);
  painter.setPen(Qt::NoPen);
  for (schematic::Point joint : picture.joints) {
    painter.drawEllipse(At(joint, unit), kJointRadius * unit, kJointRadius * unit);
  }
  painter.setPen(ink);
  for (const schematic::Part& part : picture.parts) {
    painter.drawText(Rect(part.labelBox, unit), Qt::AlignCenter, Text(part.label));
  }
  for (const schematic::Mark& mark : picture.marks) {
    painter.drawText(Rect(mark.labelBox, unit), Qt::AlignCenter, Text(mark.name));
  }
  for (const schematic::Note& note : picture.notes) {
    painter.drawText(Rect(note.labelBox, unit), Qt::AlignCenter, Text(note.text));
  }
}

}  // namespace

SchematicView::SchematicView(QWidget* parent)
    : QWidget(parent),
      copy_(new QAction(tr("Copy picture"), this)),
      showBands_(new QAction(tr("Show colour bands"), this)) {
  setAccessibleName(tr("Circuit"));
  copy_->setEnabled(false);
  connect(copy_, &QAction::triggered, this, &SchematicView::CopyPicture);
  addAction(copy_);
  showBands_->setCheckable(true);
  showBands_->setChecked(true);
  connect(showBands_, &QAction::toggled, this, [this] { update(); });
  addAction(showBands_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

void SchematicView::SetNetwork(const networks::Network& network, std::span<const std::string> names,
                               schematic::PartSymbol symbol) {
  symbol_ = symbol;
  Show(Kind::kNetwork, false, std::span(&network, 1), names);
  setAccessibleDescription(Text(networks::Spell(legs_[0], names_)));
}

void SchematicView::SetDivider(const networks::Network& r1, const networks::Network& r2,
                               std::span<const std::string> names) {
  const networks::Network legs[] = {r1, r2};
  Show(Kind::kDivider, false, legs, names);
  setAccessibleDescription(
      tr("VIN, %1, VOUT, %2, ground")
          .arg(Text(networks::Spell(legs_[0], names_)), Text(networks::Spell(legs_[1], names_))));
}

void SchematicView::SetRegulator(const networks::Network& top, const networks::Network& bottom,
                                 bool referenceAcrossTop, std::span<const std::string> names) {
  const networks::Network legs[] = {top, bottom};
  Show(Kind::kRegulator, referenceAcrossTop, legs, names);
  const QString spelled[] = {Text(networks::Spell(legs_[0], names_)),
                             Text(networks::Spell(legs_[1], names_))};
  setAccessibleDescription(
      referenceAcrossTop
          ? tr("OUT, %1, ADJ, %2, ground; VREF across the top leg").arg(spelled[0], spelled[1])
          : tr("OUT, %1, FB, %2, ground; VREF across the bottom leg").arg(spelled[0], spelled[1]));
}

void SchematicView::SetAmplifier(const networks::Network& rf, const networks::Network& rg,
                                 bool inverting, std::span<const std::string> names) {
  const networks::Network legs[] = {rf, rg};
  Show(Kind::kAmplifier, inverting, legs, names);
  const QString spelled[] = {Text(networks::Spell(legs_[0], names_)),
                             Text(networks::Spell(legs_[1], names_))};
  setAccessibleDescription(
      inverting ? tr("Inverting amplifier: IN, %2, inverting input, %1, OUT; "
                     "non-inverting input to ground")
                      .arg(spelled[0], spelled[1])
                : tr("Non-inverting amplifier: IN at the non-inverting input; OUT, %1, "
                     "inverting input, %2, ground")
                      .arg(spelled[0], spelled[1]));
}

void SchematicView::SetRc(const networks::Network& r, std::span<const std::string> rNames,
                          const networks::Network& c, std::span<const std::string> cNames,
                          const std::string& caption) {
  kind_ = Kind::kRc;
  caption_ = caption;
  legs_.clear();
  names_.clear();
  Keep(r, rNames);
  Keep(c, cNames);
  Relayout();
  setAccessibleDescription(tr("IN, %1, OUT, %2, ground; %3")
                               .arg(Text(networks::Spell(legs_[0], names_)),
                                    Text(networks::Spell(legs_[1], names_)), Text(caption)));
}

void SchematicView::SetColourBands(Bands bands) {
  bands_ = std::move(bands);
  update();
}

void SchematicView::Clear() {
  bands_.clear();
  legs_.clear();
  names_.clear();
  setAccessibleDescription({});
  Relayout();
}

void SchematicView::Show(Kind kind, bool flag, std::span<const networks::Network> legs,
                         std::span<const std::string> names) {
  kind_ = kind;
  flag_ = flag;
  legs_.clear();
  names_.clear();
  for (const networks::Network& leg : legs) Keep(leg, names);
  Relayout();
}

void SchematicView::Keep(const networks::Network& leg, std::span<const std::string> names) {
  networks::Network& kept = legs_.emplace_back(leg);
  for (int slot = 0; slot < networks::PartCount(kept.shape); ++slot) {
    auto& part = kept.parts[static_cast<std::size_t>(slot)];
    names_.push_back(names[part]);
    part = static_cast<std::uint16_t>(names_.size() - 1);
  }
}

qreal SchematicView::Unit() const {
  return QFontMetricsF(font()).height();
}

void SchematicView::Relayout() {
  const QFontMetricsF metrics(font());
  const qreal unit = metrics.height();
  const schematic::TextWidth width = [&](std::string_view text) {
    return metrics.horizontalAdvance(QStringOf(text)) / unit + kLabelPadding;
  };
  if (legs_.empty()) {
    picture_ = {};
  } else {
    switch (kind_) {
      case Kind::kNetwork:
        picture_ = schematic::LayoutNetwork(legs_[0], names_, width, symbol_);
        break;
      case Kind::kDivider:
        picture_ = schematic::LayoutDivider(legs_[0], legs_[1], names_, width);
        break;
      case Kind::kRegulator:
        picture_ = schematic::LayoutRegulator(legs_[0], legs_[1], flag_, names_, width);
        break;
      case Kind::kAmplifier:
        picture_ = schematic::LayoutAmplifier(legs_[0], legs_[1], flag_, names_, width);
        break;
      case Kind::kRc:
        picture_ = schematic::LayoutRc(legs_[0], names_, legs_[1], names_, caption_, width);
        break;
    }
  }
  copy_->setEnabled(!legs_.empty());
  updateGeometry();
  update();
}

QImage SchematicView::Render(qreal devicePixelRatio) const {
  return Render(devicePixelRatio, palette().color(foregroundRole()),
                palette().color(backgroundRole()), {});
}

QImage SchematicView::Render(qreal devicePixelRatio, const QColor& ink, const QColor& paper,
                             const QSize& least) const {
  if (legs_.empty()) return {};
  const QSize size = sizeHint().expandedTo(least);
  QImage image(qCeil(size.width() * devicePixelRatio), qCeil(size.height() * devicePixelRatio),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  // Text on the image takes the size it has on screen.
  image.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
  image.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
  image.fill(paper);
  QPainter painter(&image);
  const QSize drawn = sizeHint();
  painter.translate((size.width() - drawn.width()) / 2.0, (size.height() - drawn.height()) / 2.0);
  Paint(painter, picture_, Unit(), font(), ink, paper, showBands_->isChecked() ? &bands_ : nullptr);
  return image;
}

// For documents: black on white, sharp at twice the screen's pixels at least, and not smaller
// than the widget's empty size, so that a one-part network does not come out as a speck.
void SchematicView::CopyPicture() const {
  if (legs_.empty()) return;
  const qreal unit = Unit();
  QGuiApplication::clipboard()->setImage(Render(std::max<qreal>(2, devicePixelRatioF()), Qt::black,
                                                Qt::white,
                                                QSize(qCeil(16 * unit), qCeil(6 * unit))));
}

QSize SchematicView::sizeHint() const {
  const qreal unit = Unit();
  if (legs_.empty()) return QSize(qCeil(16 * unit), qCeil(6 * unit));
  return QSize(qCeil(picture_.width * unit), qCeil(picture_.height * unit));
}

// On a screen of scale 2 or more a drawn circuit may shrink to half its size at the font's,
// where its labels still have the font's pixels at scale 1; elsewhere it never shrinks.
qreal SchematicView::LeastScale() const {
  return std::max<qreal>(0.5, 1 / std::max<qreal>(1, devicePixelRatioF()));
}

QSize SchematicView::minimumSizeHint() const {
  const qreal unit = Unit();
  if (!legs_.empty()) {
    return QSize(qCeil(picture_.width * unit * LeastScale()),
                 qCeil(picture_.height * unit * LeastScale()));
  }
  return QSize(qCeil(8 * unit), qCeil(3 * unit));
}

void SchematicView::paintEvent(QPaintEvent*) {
  if (legs_.empty()) return;
  const qreal unit = Unit();
  const qreal w = picture_.width * unit;
  const qreal h = picture_.height * unit;
  // Grown or shrunk in quarter steps, so that a picture given about its own size is drawn at
  // it; never below the least scale, where the labels are still read, at which the widget is at
  // least as large, and scrolls where its room is smaller.
  qreal scale = std::min(kMostScale, std::min(width() / w, height() / h));
  scale = std::max(LeastScale(), std::floor(scale * 4) / 4);
  QPainter painter(this);
  painter.translate((width() - w * scale) / 2, (height() - h * scale) / 2);
  painter.scale(scale, scale);
  Paint(painter, picture_, unit, font(), palette().color(foregroundRole()),
        palette().color(backgroundRole()), showBands_->isChecked() ? &bands_ : nullptr);
}

void SchematicView::changeEvent(QEvent* event) {
  // Label widths come from the font.
  if (event->type() == QEvent::FontChange) Relayout();
  QWidget::changeEvent(event);
}

}  // namespace vantrel
