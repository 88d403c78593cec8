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
inline constexpr char kNetworksMenuText[] = "&Networks";

// Networks window.
inline constexpr char kNetworksCaption[] = "Vantrel - Networks";
// The tabs have no mnemonics: a tab's fields and buttons need every letter, and Ctrl+Tab and
// Ctrl+PgDn reach the tabs from anywhere. Within a tab every field and button has a key of its
// own; where letters run out, the rarest take a digit, written after the label.
inline constexpr char kNetworksTabText[] = "Networks";
inline constexpr char kDividerTabText[] = "Divider";
inline constexpr char kRegulatorTabText[] = "Regulator";
inline constexpr char kAmplifierTabText[] = "Amplifier";
inline constexpr char kRcTabText[] = "RC";
inline constexpr char kLedTabText[] = "LED";
inline constexpr char kLibraryTabText[] = "Library";
inline constexpr char kFindText[] = "&Find";
// Opens the section of the fields a designer sets less often.
inline constexpr char kMoreText[] = "&More";
inline constexpr char kRefreshText[] = "&Refresh";
inline constexpr char kNormaliseText[] = "&Normalise";
inline constexpr char kAddSeriesText[] = "Add &E-series...";
inline constexpr char kTargetLabel[] = "&Target";
inline constexpr char kToleranceLabel[] = "T&olerance (%)";
inline constexpr char kDividerToleranceLabel[] = "&Tolerance (%)";
inline constexpr char kPartsLabel[] = "&Parts";
inline constexpr char kDistinctText[] = "Use ea&ch value once";
inline constexpr char kPartToleranceLabel[] = "Part tole&rance (%)";
inline constexpr char kExcludeLabel[] = "E&xclude";
inline constexpr char kShowLabel[] = "S&how";
inline constexpr char kVinLabel[] = "&VIN";
inline constexpr char kVoutLabel[] = "V&OUT";
inline constexpr char kLegsLabel[] = "Le&gs";
inline constexpr char kSingleLegsText[] = "Single values";
inline constexpr char kPairLegsText[] = "Up to two parts";
inline constexpr char kMinTotalLabel[] = "Min tota&l";
inline constexpr char kMaxTotalLabel[] = "M&ax total";
inline constexpr char kWithinLabel[] = "&Within (%)";
inline constexpr char kMaxPowerLabel[] = "Max &power (W)";
inline constexpr char kMinCurrentLabel[] = "M&in current (A)";
inline constexpr char kMaxCurrentLabel[] = "Max curre&nt (A)";
// The Regulator tab has no VIN, whose letter this takes, so that Source may have E.
inline constexpr char kVrefLabel[] = "&VREF";
inline constexpr char kVrefHint[] = "V or MIN:TYP:MAX";
inline constexpr char kReferenceLabel[] = "Referen&ce";
// In the order of the command line's --reference: bottom, then top.
inline constexpr const char* kReferenceChoices[] = {"Bottom (FB\u2013GND)", "Top (OUT\u2013ADJ)"};
inline constexpr char kIadjLabel[] = "IAD&J";
inline constexpr char kIadjHint[] = "0, or MIN:TYP:MAX";
inline constexpr char kGainLabel[] = "Gai&n";
inline constexpr char kCircuitLabel[] = "&Circuit";
// The LED tab's own fields; Parts takes A, since Max power has P there.
inline constexpr char kVsupplyLabel[] = "&VSUPPLY";
inline constexpr char kVfLabel[] = "Forward volta&ge";
inline constexpr char kLedCountLabel[] = "&LED count";
inline constexpr char kLedPartsLabel[] = "P&arts";
inline constexpr char kLedCurrentLabel[] = "Curren&t (A)";
inline constexpr const char* kCircuitChoices[] = {"Non-inverting", "Inverting"};
inline constexpr char kRfMinLabel[] = "Rf m&in";
inline constexpr char kRfMaxLabel[] = "Rf ma&x";
inline constexpr char kStockLabel[] = "Stoc&k";
// In the order of kStockKinds.
inline constexpr const char* kStockChoices[] = {"Resistors", "Capacitors", "Inductors"};
inline constexpr char kCornerLabel[] = "Cor&ner (Hz)";
inline constexpr char kTauLabel[] = "T&au (s)";
inline constexpr char kRPartsLabel[] = "R &parts";
inline constexpr char kCPartsLabel[] = "C pa&rts";
inline constexpr char kRToleranceLabel[] = "R t&olerance (%)";
inline constexpr char kCToleranceLabel[] = "C toleran&ce (%)";
inline constexpr char kMinRLabel[] = "M&in R";
inline constexpr char kMaxRLabel[] = "Ma&x R";
// Ties go to legs nearest this resistance.
inline constexpr char kScaleLabel[] = "Scale &4";
inline constexpr char kScaleHint[] = "10k";
// The statistical band and the drift over temperature.
inline constexpr char kStatisticsLabel[] = "Statistics &2";
// In the order of the command line's --statistics: worst, then rss.
inline constexpr const char* kStatisticsChoices[] = {"Worst case", "RSS"};
// On tabs whose rows have In spec, which band judges it, as the command line's --by.
inline constexpr char kByLabel[] = "&By";
inline constexpr const char* kByChoices[] = {"Worst case", "RSS"};
inline constexpr char kTemperatureLabel[] = "Temperat&ure (\u00b0C)";
inline constexpr char kTemperatureHint[] = "LOW:HIGH";
inline constexpr char kTcrLabel[] = "TCR (ppm/\u00b0C) &3";
inline constexpr char kTcrHint[] = "0";
// Where a search draws its values from.
inline constexpr char kSourceLabel[] = "Sourc&e";
// In the order of the command line: the library, or --inventory.
inline constexpr const char* kSourceChoices[] = {"Library", "Inventory"};
inline constexpr char kDerateLabel[] = "&Derate";
inline constexpr char kDerateHint[] = "1";
// A divider's load across R2 and its bound on R1 || R2; their letters are left to the others.
inline constexpr char kLoadLabel[] = "Load &5";
inline constexpr char kMaxSourceLabel[] = "Max source &6";
inline constexpr char kPartsPlacesName[] = "Parts";
// Under the circuit, what the selected row uses where the list has no room for it.
inline constexpr char kUsesLineText[] = "Uses: %1";
inline constexpr char kMissingInventoryHint[] =
    "Import... on the Library tab's Inventory view makes one.";
// The board whose values rank first.
inline constexpr char kPreferLabel[] = "Prefer &1";
inline constexpr char kPreferHint[] = "BOM or list";
inline constexpr char kChooseBoardText[] = "Choose the board's BOM...";
inline constexpr char kBoardFilesText[] =
    "BOMs and lists of values (*.csv *.txt *.tsv);;All files (*)";
inline constexpr const char* kShowChoices[] = {"20", "50", "100", "500", "1000"};
inline constexpr char kDefaultTolerance[] = "1";
// The lists' names for screen readers.
inline constexpr char kNetworksListName[] = "Networks";
inline constexpr char kDividersListName[] = "Dividers";
inline constexpr char kRegulatorsListName[] = "Regulators";
inline constexpr char kAmplifiersListName[] = "Amplifiers";
inline constexpr char kRcListName[] = "RC pairs";
inline constexpr char kLedsListName[] = "LED resistors";
inline constexpr char kFindingsListName[] = "Library findings";
inline constexpr const char* kFindingColumnTitles[] = {"Line", "Text", "Rewrite"};
inline constexpr char kNormalisedText[] = "%1 rewritten: %2 values";
inline constexpr char kAnySeriesText[] = "Any E3\u2013E192";
inline constexpr char kNoLibraryHint[] =
    "Create or Add E-series... makes one from a standard series.";
// The stock's series, from and to, as the command line's starter command writes them.
inline constexpr char kCreateStockText[] = "Cre&ate from %1, %2 to %3";
inline constexpr char kMissingStockHint[] = "The Library tab makes one from a standard series.";
inline constexpr char kAddSeriesCaption[] = "Add E-series";
// The Library tab's two views: the chosen stock's library file, or its rows of Inventory.csv.
inline constexpr char kViewLabel[] = "&View";
inline constexpr const char* kViewChoices[] = {"Library", "Inventory"};
inline constexpr char kImportText[] = "I&mport...";
inline constexpr char kImportFilesCaption[] = "Import parts";
inline constexpr char kImportFilesFilter[] =
    "Order exports and lists (*.csv *.txt *.tsv);;All files (*)";
inline constexpr char kInventoryListName[] = "Inventory";
inline constexpr char kInventoryFindingsListName[] = "Inventory findings";
inline constexpr const char* kInventoryFindingColumnTitles[] = {"Line", "Finding"};
inline constexpr char kNoInventoryHint[] =
    "No Inventory.csv here yet. Import... makes one from order exports and lists of values.";
inline constexpr char kNotAnInventoryText[] =
    "Inventory.csv is %1; the inventory must be a regular file, or a symbolic link to one.";
inline constexpr char kCannotReadInventoryText[] = "Inventory.csv cannot be read: %1";
// The preview of an import, before anything is written.
inline constexpr char kImportCaption[] = "Import into Inventory.csv";
inline constexpr char kImportedListName[] = "Imported rows";
inline constexpr char kSkippedListName[] = "Skipped lines";
inline constexpr const char* kSkippedColumnTitles[] = {"Source", "Reason", "Text"};
inline constexpr char kSkippedLabel[] = "Lines that cannot be used:";
inline constexpr char kMergeText[] = "&Merge";
inline constexpr char kMergeHint[] =
    "Merge adds these rows to Inventory.csv; a row of the same kind, value, tolerance, power "
    "and package as one there adds its quantity to it.";
inline constexpr char kNothingToMergeText[] = "No row to merge.";
inline constexpr char kRefusedImportText[] =
    "Nothing can be merged, as not every file could be read.";
inline constexpr char kBomImportText[] =
    "A BOM's quantities are what a board uses, not what you hold; it is not merged here. "
    "\"vantrel-cli import FILE --write --as-stock\" counts them as held.";
// After a merge: the rows added, those counted into rows there, and the rows the file holds.
inline constexpr char kMergedText[] =
    "Merged into Inventory.csv: %1 row(s) added, %2 counted into rows of the same class; it "
    "holds %3 row(s).";
inline constexpr char kCreatedInventoryText[] =
    "Created Inventory.csv: %1 row(s) added, %2 counted into rows of the same class; it holds %3 "
    "row(s).";
inline constexpr char kUnreadableInventoryText[] =
    "Nothing was merged: %1 line(s) of Inventory.csv cannot be read, as listed above. Mend them, "
    "then import again.";
inline constexpr char kMergeCancelledText[] = "Import cancelled; Inventory.csv is as it was.";
inline constexpr char kSeriesLabel[] = "&Series";
inline constexpr char kFromLabel[] = "&From";
inline constexpr char kToLabel[] = "&To";
inline constexpr char kCopyPictureText[] = "Cop&y picture";
inline constexpr char kStatusName[] = "Status";
inline constexpr char kSearchingText[] = "Searching...";
// Escape is its key too while a search runs; Tab reaches it beside the busy indicator.
inline constexpr char kStopText[] = "&Stop";
inline constexpr char kStopTip[] = "Stop the search (Esc)";
inline constexpr char kStoppedText[] = "Search stopped";
inline constexpr char kSearchingForText[] = "Searching %1...";
inline constexpr char kNotSearchedText[] = "Not searched: %1";
inline constexpr char kStaleRowsText[] =
    "Rows of the earlier search, %1; Find lists those of the fields as they are";

// About box.
inline constexpr char kAboutCaption[] = "About Vantrel";
inline constexpr char kAboutText[] =
    "Vantrel 应用程序\n"
    "Ver:1.0 2010-11-4\n"
    "Copyright (C) 2010 Vantrel\n"
    "Contact: Vantrel issue tracker";
inline constexpr char kAboutOkText[] = "确定";

}  // namespace vantrel
