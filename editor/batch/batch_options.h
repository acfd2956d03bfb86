#pragma once
// The options of a batch command: the command's own effect dialog (the one its menu command
// opens, with the same limits and messages), showing the item's values (the stored ones for an
// item without data), and on OK an item holding the values accepted, in its command's layout.
// The dialogs keep storing what they accept as the last values, as they do for the menu.

#include <optional>

#include "batch/batch_command.h"
#include "core/prompts.h"

class QWidget;

namespace sonvara {

// Whether command `id` has options to set.
bool HasBatchOptions(std::uint32_t id);

// Runs the dialog modally; nothing when it is cancelled or the command has no options.
std::optional<LBatchCommandItem> EditBatchOptions(const LBatchCommandItem& item, Prompts& prompts,
                                                  QWidget* parent);

}  // namespace sonvara
