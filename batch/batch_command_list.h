#pragma once
// LBatchCommandList: the command list the batch converter's dialog edits, with the script file it
// came from or goes to ("Untitled.svb" for a new list) and whether it changed since it was
// opened, saved or started anew. What it writes is exactly what `sonvara-batch run
// --save-script` writes for the same items, so a list made here runs there and back.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch/batch_command.h"

namespace sonvara {

class LBatchCommandList {
  public:
    const std::vector<LBatchCommandItem>& Items() const { return items_; }
    const std::string& Path() const { return path_; }
    bool IsUntitled() const { return path_ == kUntitled; }
    bool Changed() const { return changed_; }

    // An empty "Untitled.svb".
    void New();
    // Reads the script `path`: "" when it was read, else the message to show, and the list is
    // then an empty untitled one.
    std::string_view Open(const std::string& path);
    // Writes the list to `path`, which it is named after from then on; false when the file could
    // not be written (the list keeps its name and its changed flag).
    bool SaveAs(const std::string& path);

    // Appends an item of command `id` without data: it runs with the stored values until its
    // options are set.
    void Add(std::uint32_t id);
    // Removes the items at `rows` (any order; rows out of range are ignored).
    void Remove(std::vector<int> rows);
    // Puts the items in the order `order` gives: order[i] is the row of the item that goes to
    // row i. Nothing unless `order` holds every row once.
    void Reorder(const std::vector<int>& order);
    void Replace(int row, LBatchCommandItem item);

  private:
    static constexpr std::string_view kUntitled = "Untitled.svb";

    std::vector<LBatchCommandItem> items_;
    std::string path_{kUntitled};
    bool changed_ = false;
};

}  // namespace sonvara
