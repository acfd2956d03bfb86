#pragma once
// The edits the graph editor makes to a point list, without any toolkit. Every edit keeps the
// editor's rules: the points stay in x order, the first point stays at x 0 and the last at
// x 255, there are always two to 64 points, and neither end is ever removed.

#include "effects/point_list.h"

namespace sonvara {

// `points` as the editor shows them: validated, at least two points (a lone point becomes a flat
// line at its level, no point the default), the first moved to x 0 and the last to x 255.
PointList EditablePointList(PointList points);

// Inserts `point` in x order between the ends (after any point with the same x). Its index, or
// -1 when the list already holds 64 points.
int InsertPoint(PointList& list, PointList::Point point);

// Removes point `index` unless it is an end or out of the list. Whether it was removed.
bool RemovePoint(PointList& list, int index);

// Moves point `index` to `to`, its x kept between its neighbours' (an end's x does not move).
// Whether the point changed.
bool MovePoint(PointList& list, int index, PointList::Point to);

// Lays the next point of a stroke drawn across the graph from point `last` (the stroke's newest)
// to `to`: the points between them go (never an end), and `to` is laid there, or a point already
// at its x takes its level. Returns the index of the stroke's newest point afterwards; when the
// list is full, nothing is laid and that stays `last`.
int LayStrokePoint(PointList& list, int last, PointList::Point to);

}  // namespace sonvara
