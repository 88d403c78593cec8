#pragma once

namespace vantrel {

// Texts of the main window.
inline constexpr char kMainCaption[] = "Vantrel - Resistor Finder";
inline constexpr char kCalculateText[] = "Calculate";
inline constexpr char kTargetValueLabel[] = "TargetValue";
inline constexpr char kTargetPrecisionLabel[] = "TargetPrecision(%)";
inline constexpr char kDisplayNumberLabel[] = "DisplayNumber";
inline constexpr char kDefaultTargetValue[] = "45";
inline constexpr char kDefaultTargetPrecision[] = "1";
inline constexpr const char* kResultColumnTitles[] = {"Resistor Value", "Resistor #1",
                                                      "Resistor #2", "Precision (%)"};
// The result list's name for screen readers; it has no label on screen.
inline constexpr char kResultListName[] = "Results";

// The result list's context menu.
inline constexpr char kCopyMenuText[] = "&Copy";
inline constexpr char kCopyWithHeaderMenuText[] = "Copy with &header";
inline constexpr char kSelectAllMenuText[] = "Select &All";

// Menu bar.
inline constexpr char kLibrarySettingMenuText[] = "&LibrarySetting";
inline constexpr char kAboutMenuText[] = "&About";

// About box.
inline constexpr char kAboutCaption[] = "About Vantrel";
inline constexpr char kAboutText[] =
    "Vantrel 应用程序\n"
    "Ver:1.0 2010-11-4\n"
    "Copyright (C) 2010 Vantrel\n"
    "Contact: Vantrel issue tracker";
inline constexpr char kAboutOkText[] = "确定";

}  // namespace vantrel
