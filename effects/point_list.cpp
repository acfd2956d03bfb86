#include "effects/point_list.h"

#include <algorithm>

#include "core/diagnostics.h"
#include "core/file.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/temporary_file.h"

namespace sonvara {

bool PointList::Load(const std::string& path) {
    n_points = 0;
    points = {};
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kRead, FileDisposition::kOpenExisting)) {
        return false;
    }
    std::uint8_t count = 0;
    if (file.Read(&count, 1) != 1) {
        return true;  // an empty file holds no points
    }
    const std::size_t wanted = std::min<std::size_t>(count, kPointListMax);
    std::array<std::uint8_t, 2 * kPointListMax> bytes{};
    // A file cut short gives the whole pairs it holds.
    const std::size_t pairs = file.Read(bytes.data(), 2 * wanted) / 2;
    for (std::size_t i = 0; i < pairs; ++i) {
        points[i] = {bytes[2 * i], bytes[2 * i + 1]};
    }
    n_points = static_cast<std::uint8_t>(pairs);
    return true;
}

bool PointList::Save(const std::string& path) const {
    const int count = Count();
    std::array<std::uint8_t, 1 + 2 * kPointListMax> bytes{};
    bytes[0] = static_cast<std::uint8_t>(count);
    for (int i = 0; i < count; ++i) {
        bytes[1 + 2 * i] = points[i].x;
        bytes[2 + 2 * i] = points[i].y;
    }
    return ReplaceFileContents(path, bytes.data(), 1 + 2 * static_cast<std::size_t>(count));
}

void PointList::Validate() {
    n_points = static_cast<std::uint8_t>(Count());
    for (int i = 1; i < n_points; ++i) {
        points[i].x = std::max(points[i].x, points[i - 1].x);
    }
}

BytePointList PointList::ToBytePointList() const {
    BytePointList list;
    for (int i = 0; i < Count(); ++i) {
        list.points.emplace_back(points[i].x, points[i].y);
    }
    return list;
}

PointList LoadStoredPointList(std::string_view file_name) {
    const std::string path = FilePathCat(GetFolder("Current"), file_name);
    PointList list;
    list.Load(path);
    list.Validate();
    if (list.n_points == 0) {
        list = PointList{};
        if (!list.Save(path)) {
            Diagnose("LoadStoredPointList: cannot write the default point list");
        }
    }
    return list;
}

}  // namespace sonvara
