#include "batch/batch_command_list.h"

#include <algorithm>
#include <functional>

#include "batch/batch_script.h"

namespace sonvara {

void LBatchCommandList::New() {
    items_.clear();
    path_ = kUntitled;
    changed_ = false;
}

std::string_view LBatchCommandList::Open(const std::string& path) {
    BatchScriptRead read = ReadBatchScript(path);
    New();
    if (read.error.empty()) {
        items_ = std::move(read.items);
        path_ = path;
    }
    return read.error;
}

bool LBatchCommandList::SaveAs(const std::string& path) {
    if (!WriteBatchScript(path, items_)) {
        return false;
    }
    path_ = path;
    changed_ = false;
    return true;
}

void LBatchCommandList::Add(std::uint32_t id) {
    items_.push_back({id, {}});
    changed_ = true;
}

void LBatchCommandList::Remove(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : rows) {
        if (row >= 0 && row < static_cast<int>(items_.size())) {
            items_.erase(items_.begin() + row);
            changed_ = true;
        }
    }
}

void LBatchCommandList::Reorder(const std::vector<int>& order) {
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (sorted[i] != static_cast<int>(i)) {
            return;
        }
    }
    if (sorted.size() != items_.size()) {
        return;
    }
    std::vector<LBatchCommandItem> reordered;
    for (const int row : order) {
        reordered.push_back(items_[static_cast<std::size_t>(row)]);
    }
    if (reordered != items_) {
        items_ = std::move(reordered);
        changed_ = true;
    }
}

void LBatchCommandList::Replace(int row, LBatchCommandItem item) {
    if (row >= 0 && row < static_cast<int>(items_.size()) &&
        items_[static_cast<std::size_t>(row)] != item) {
        items_[static_cast<std::size_t>(row)] = std::move(item);
        changed_ = true;
    }
}

}  // namespace sonvara
