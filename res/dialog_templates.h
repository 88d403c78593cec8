#pragma once

namespace vantrel {

// A rectangle in dialog units: a quarter of the window font's average character width
// across, an eighth of its height down.
struct DialogRect {
  int x;
  int y;
  int cx;
  int cy;
};

// IDD_MAIN_DIALOG: the client area and its controls, in tab order.
namespace main_dialog {
inline constexpr DialogRect kClient{0, 0, 301, 244};
inline constexpr DialogRect kCalculate{235, 7, 60, 25};
inline constexpr DialogRect kTargetValue{7, 20, 72, 16};
inline constexpr DialogRect kTargetPrecision{83, 20, 72, 16};
// The height is the box with its list dropped down.
inline constexpr DialogRect kDisplayNumber{159, 20, 72, 173};
inline constexpr DialogRect kTargetValueLabel{7, 7, 72, 12};
inline constexpr DialogRect kTargetPrecisionLabel{83, 7, 72, 12};
inline constexpr DialogRect kDisplayNumberLabel{159, 7, 72, 12};
inline constexpr DialogRect kResultList{7, 38, 286, 186};
}  // namespace main_dialog

// IDD_ABOUTBOX.
namespace about_dialog {
inline constexpr DialogRect kClient{0, 0, 198, 59};
inline constexpr DialogRect kText{7, 9, 126, 39};
inline constexpr DialogRect kOk{143, 7, 50, 14};
}  // namespace about_dialog

// Width of each result list column, in pixels.
inline constexpr int kResultColumnWidth = 105;

}  // namespace vantrel
