#pragma once

// The Networks window's search tabs, each kind's form in a file of its own (find_tab.cpp,
// divider_tab.cpp, regulator_tab.cpp, gain_tab.cpp, rc_tab.cpp, led_tab.cpp): its fields in order
// and how they become the input of the command line's search of that name. Each returns the page.

#include "tab_form.h"

namespace vantrel {

QWidget* CreateFindTab(TabForm form);
QWidget* CreateDividerTab(TabForm form);
QWidget* CreateRegulatorTab(TabForm form);
QWidget* CreateGainTab(TabForm form);
QWidget* CreateRcTab(TabForm form);
QWidget* CreateLedTab(TabForm form);

}  // namespace vantrel
