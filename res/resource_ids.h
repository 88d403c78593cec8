#pragma once

namespace vantrel {

// A resource or control identifier: its number, and its name, which is also the objectName of
// the widget or action it stands for.
struct ResourceId {
  const char* name;
  int number;
};

// Commands.
inline constexpr ResourceId IDM_ABOUTBOX{"IDM_ABOUTBOX", 16};
inline constexpr ResourceId ID_LIBRARY_SETTING{"ID_LIBRARY_SETTING", 32771};
inline constexpr ResourceId ID_EDIT_COPY_WITH_HEADER{"ID_EDIT_COPY_WITH_HEADER", 32772};
inline constexpr ResourceId ID_NETWORKS{"ID_NETWORKS", 32773};
inline constexpr ResourceId ID_EDIT_COPY{"ID_EDIT_COPY", 57634};
inline constexpr ResourceId ID_EDIT_SELECT_ALL{"ID_EDIT_SELECT_ALL", 57642};

// Windows, menus, icons and strings.
inline constexpr ResourceId IDD_ABOUTBOX{"IDD_ABOUTBOX", 100};
// The system-menu About entry's text; X11 and Wayland window managers own that menu, so the
// menu bar's "&About" is the only way to the about box.
inline constexpr ResourceId IDS_ABOUTBOX{"IDS_ABOUTBOX", 101};
inline constexpr ResourceId IDD_MAIN_DIALOG{"IDD_MAIN_DIALOG", 102};
inline constexpr ResourceId IDR_MAIN_MENU{"IDR_MAIN_MENU", 129};
inline constexpr ResourceId IDR_MAINFRAME{"IDR_MAINFRAME", 131};

// Controls. Static texts share the one identifier IDC_STATIC, as they take no part in commands.
inline constexpr ResourceId IDOK{"IDOK", 1};
inline constexpr ResourceId IDC_STATIC{"IDC_STATIC", -1};
inline constexpr ResourceId IDC_CALCULATE{"IDC_CALCULATE", 1000};
inline constexpr ResourceId IDC_TARGET_VALUE{"IDC_TARGET_VALUE", 1001};
inline constexpr ResourceId IDC_TARGET_PRECISION{"IDC_TARGET_PRECISION", 1002};
inline constexpr ResourceId IDC_DISPLAY_NUMBER{"IDC_DISPLAY_NUMBER", 1004};
inline constexpr ResourceId IDC_RESULT_LIST{"IDC_RESULT_LIST", 1008};

}  // namespace vantrel
