#pragma once
// What the editor keeps beyond its open files: one bookmark list and one region list for all
// files, in the order they were made, the open project's path (empty when none) and the
// bookmark and region windows while they are open. Interface thread only.

#include <QPointer>
#include <string>
#include <vector>

#include "editor/places/bookmark_dialog.h"
#include "editor/places/region_dialog.h"
#include "project/bookmark.h"
#include "project/region.h"

namespace sonvara {

struct PlaceLists {
    std::vector<LSVBookMark> bookmarks;
    std::vector<LSVRegion> regions;
    std::string project_path;
    QPointer<BookMarkDlg> bookmark_window;
    QPointer<RegionDlg> region_window;
};

}  // namespace sonvara
