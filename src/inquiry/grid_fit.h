#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

class FlexGrid;

// The designed column widths were drawn for a smaller screen font: a column too narrow for
// the widest text it can hold (a whole date, a five-figure amount) is widened to it, and
// the grid with it. Returns the grid's width in pixels: the designed width, or more.
int fitColumns(FlexGrid* grid, int designedTwips,
               std::initializer_list<std::pair<int, const char*>> widestTexts);
