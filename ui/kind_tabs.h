#pragma once

// The Networks window's search tabs, each kind's form in a file of its own (find_tab.cpp,
// divider_tab.cpp, regulator_tab.cpp, gain_tab.cpp, rc_tab.cpp): its fields in order and how
// they become the input of the command line's search of that name. Each builds tab's page in
// window and runs its search with searches and services, which must outlive the window.

#include "search_tab.h"
#include "services.h"

namespace vantrel {

QWidget* CreateFindTab(SearchTab& tab, QWidget& window, const NetworkSearches& searches,
                       Services& services);
QWidget* CreateDividerTab(SearchTab& tab, QWidget& window, const NetworkSearches& searches,
                          Services& services);
QWidget* CreateRegulatorTab(SearchTab& tab, QWidget& window, const NetworkSearches& searches,
                            Services& services);
QWidget* CreateGainTab(SearchTab& tab, QWidget& window, const NetworkSearches& searches,
                       Services& services);
QWidget* CreateRcTab(SearchTab& tab, QWidget& window, const NetworkSearches& searches,
                     Services& services);

}  // namespace vantrel
