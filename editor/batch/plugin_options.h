#pragma once
// The options of the batch converter's LV2 plug-in command: which installed plug-in (chosen from
// a list, by name) and its values, in the dialog its menu entry opens (without a preview), started
// from the item's values when it names the same plug-in.

#include <optional>

#include "batch/batch_command.h"
#include "core/prompts.h"

class QWidget;

namespace sonvara {

// Nothing when the user cancels either dialog or no plug-in is installed (which is told).
std::optional<LBatchCommandItem> EditPluginItem(const LBatchCommandItem& item, Prompts& prompts,
                                                QWidget* parent);

}  // namespace sonvara
