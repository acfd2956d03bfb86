#include "view/columns/point_list_edits.h"

#include <algorithm>

namespace sonvara {
namespace {

using Point = PointList::Point;

// Removes points [from, to).
void Erase(PointList& list, int from, int to) {
    const int n = list.Count();
    if (from >= to) {
        return;
    }
    std::copy(list.points.begin() + to, list.points.begin() + n, list.points.begin() + from);
    std::fill(list.points.begin() + (n - (to - from)), list.points.begin() + n, Point{0, 0});
    list.n_points = static_cast<std::uint8_t>(n - (to - from));
}

}  // namespace

PointList EditablePointList(PointList points) {
    points.Validate();
    const int n = points.Count();
    if (n == 0) {
        return PointList{};
    }
    if (n == 1) {
        PointList flat;
        flat.points[0].y = flat.points[1].y = points.points[0].y;
        return flat;
    }
    // Validate left x in order: pulling the first down and the last up keeps it so.
    points.points[0].x = 0;
    points.points[static_cast<std::size_t>(n - 1)].x = 255;
    return points;
}

int InsertPoint(PointList& list, Point point) {
    const int n = list.Count();
    if (n >= kPointListMax) {
        return -1;
    }
    int at = 1;
    while (at < n - 1 && list.points[static_cast<std::size_t>(at)].x <= point.x) {
        ++at;
    }
    std::copy_backward(list.points.begin() + at, list.points.begin() + n,
                       list.points.begin() + n + 1);
    list.n_points = static_cast<std::uint8_t>(n + 1);
    // Kept between its neighbours even in a list whose ends are not at 0 and 255.
    list.points[static_cast<std::size_t>(at)] = point;
    MovePoint(list, at, point);
    return at;
}

bool RemovePoint(PointList& list, int index) {
    if (index <= 0 || index >= list.Count() - 1) {
        return false;
    }
    Erase(list, index, index + 1);
    return true;
}

bool MovePoint(PointList& list, int index, Point to) {
    const int n = list.Count();
    if (index < 0 || index >= n) {
        return false;
    }
    const auto at = static_cast<std::size_t>(index);
    Point moved = to;
    if (index == 0) {
        moved.x = 0;
    } else if (index == n - 1) {
        moved.x = 255;
    } else {
        moved.x = std::clamp(to.x, list.points[at - 1].x, list.points[at + 1].x);
    }
    if (moved == list.points[at]) {
        return false;
    }
    list.points[at] = moved;
    return true;
}

int LayStrokePoint(PointList& list, int last, Point to) {
    const Point from = list.points[static_cast<std::size_t>(last)];
    if (to.x == from.x) {
        MovePoint(list, last, to);
        return last;
    }
    auto x_at = [&list](int index) { return list.points[static_cast<std::size_t>(index)].x; };
    if (to.x > from.x) {
        // The points passed over since the newest one go; the end stays.
        int kept = last + 1;
        while (kept < list.Count() - 1 && x_at(kept) < to.x) {
            ++kept;
        }
        Erase(list, last + 1, kept);
        if (x_at(last + 1) == to.x) {
            MovePoint(list, last + 1, to);
            return last + 1;
        }
    } else {
        int gone = last;
        while (gone > 1 && x_at(gone - 1) > to.x) {
            --gone;
        }
        Erase(list, gone, last);
        last = gone;
        if (x_at(last - 1) == to.x) {
            MovePoint(list, last - 1, to);
            return last - 1;
        }
    }
    const int laid = InsertPoint(list, to);
    return laid >= 0 ? laid : last;
}

}  // namespace sonvara
