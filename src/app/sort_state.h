#pragma once

// The sort state the three grids share: which column title was clicked last (its position,
// counted from 0, in whichever grid) and the direction the next click on it will use. Qt-free so
// the title-click rule can be tested without widgets.

#include <string>

namespace tellvaro::app {

struct SortState {
  int marker = 1;         // the main window starts at 1
  std::string direction;  // "", then "ASC" or "DESC" ("DESC": the next click sorts descending)
};

}  // namespace tellvaro::app
