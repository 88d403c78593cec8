#pragma once

#include <QImage>
#include <QWidget>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "colour_code.h"
#include "network.h"
#include "schematic_layout.h"

class QAction;

namespace vantrel {

// A small circuit picture of a network, a divider, a regulator's feedback, an amplifier or an RC
// low-pass, drawn in the widget's font (one layout unit is one line of it) and in its palette's
// foreground and background roles. A picture larger than the widget shrinks to fit, down to half
// the font's size on a screen of scale 2 and not at all at scale 1; a smaller one grows with the
// widget up to twice the font's size.
class SchematicView : public QWidget {
  Q_OBJECT

 public:
  explicit SchematicView(QWidget* parent = nullptr);

  // names[i] is the label of the part that the legs index i with, as for networks::Spell: its
  // role and value ("Rtop 75 Ω"), which the screen reader's description also reads. Only the
  // parts' names are kept, so names need not outlive the call. Every part is drawn as symbol.
  void SetNetwork(const networks::Network& network, std::span<const std::string> names,
                  schematic::PartSymbol symbol = schematic::PartSymbol::kResistor);
  // r1 from VIN to VOUT, r2 from VOUT to ground, as in networks::DividerRow.
  void SetDivider(const networks::Network& r1, const networks::Network& r2,
                  std::span<const std::string> names);
  // top from OUT to the tap, bottom from the tap to ground; VREF marked across top when
  // referenceAcrossTop (three-terminal adjustable regulators: tap named "ADJ"), else across
  // bottom (converters: tap "FB").
  void SetRegulator(const networks::Network& top, const networks::Network& bottom,
                    bool referenceAcrossTop, std::span<const std::string> names);
  // non-inverting: rf from the output to the inverting input, rg from there to ground, the
  // input at +; inverting: rin from IN to the inverting input, rf to the output, + to ground.
  void SetAmplifier(const networks::Network& rf, const networks::Network& rg, bool inverting,
                    std::span<const std::string> names);
  // r from IN to OUT, c from OUT to ground (+ in series, || in parallel, as in networks::RcRow),
  // each named from its own stock, and caption (UTF-8) written beside.
  void SetRc(const networks::Network& r, std::span<const std::string> rNames,
             const networks::Network& c, std::span<const std::string> cNames,
             const std::string& caption);
  // Resistors' colour bands by their labels, drawn across their bodies while "Show colour
  // bands" in the context menu is checked (as it starts); kept until the next Clear.
  using Bands = std::map<std::string, std::vector<finder::BandColour>>;
  void SetColourBands(Bands bands);
  void Clear();
  bool IsEmpty() const { return legs_.empty(); }

  // The picture at the font's size on the background colour, at the given device pixel
  // ratio; a null image when there is none.
  QImage Render(qreal devicePixelRatio) const;
  // The same in ink on paper, centred on an image at least least (in device-independent
  // pixels) in size.
  QImage Render(qreal devicePixelRatio, const QColor& ink, const QColor& paper,
                const QSize& least) const;
  // Puts the picture on the clipboard, black on white at a device pixel ratio of 2 or the
  // screen's if more, at least as large as the empty widget; nothing when there is no picture.
  void CopyPicture() const;
  // "Copy picture", in the widget's context menu; enabled while there is a picture.
  QAction* CopyPictureAction() const { return copy_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  enum class Kind { kNetwork, kDivider, kRegulator, kAmplifier, kRc };

  void Show(Kind kind, bool flag, std::span<const networks::Network> legs,
            std::span<const std::string> names);
  // Adds leg to legs_ with its parts' names copied into names_.
  void Keep(const networks::Network& leg, std::span<const std::string> names);
  void Relayout();
  qreal Unit() const;
  // The least the picture is shrunk to: 1, or less on a screen of a large scale factor.
  qreal LeastScale() const;

  Kind kind_ = Kind::kNetwork;
  bool flag_ = false;                    // referenceAcrossTop, or inverting
  std::vector<networks::Network> legs_;  // the network, or the two legs as Set* takes them
  std::vector<std::string> names_;       // the parts' names, which legs_ index
  // A network's parts, and an RC pair's caption.
  schematic::PartSymbol symbol_ = schematic::PartSymbol::kResistor;
  std::string caption_;
  schematic::Picture picture_;
  Bands bands_;
  QAction* copy_;
  QAction* showBands_;
};

}  // namespace vantrel
