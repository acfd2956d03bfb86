#pragma once
// The trail of a take being recorded, drawn from the input's level reports: each report's level
// as a height (0 silence, 1 full scale), and the whole trail squeezed into the columns of a view.

#include <vector>

namespace sonvara {

// The height of a level of `decibels` below full scale: its amplitude, 0 at -60 dB and below.
float TrailHeight(int decibels);

// `heights` in `columns` columns: one column a height while they fit, from the left; beyond that
// each column holds the highest of the heights that fall in it, so that no peak is lost.
std::vector<float> TrailColumns(const std::vector<float>& heights, int columns);

}  // namespace sonvara
