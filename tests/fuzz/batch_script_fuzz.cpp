// Feeds arbitrary bytes to the batch script reader. What it reads must write out and read back
// as the same items, every item must describe itself without trouble, and the check of the
// script's values must run on whatever they are.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "batch/batch_command.h"
#include "batch/batch_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const sonvara::BatchScriptRead read = sonvara::ParseBatchScript(bytes);
    if (!read.error.empty()) {
        if (!read.items.empty()) {
            std::abort();
        }
        return 0;
    }
    const sonvara::BatchScriptRead again =
        sonvara::ParseBatchScript(sonvara::SerializeBatchScript(read.items));
    if (!again.error.empty() || again.items != read.items) {
        std::abort();
    }
    for (const sonvara::LBatchCommandItem& item : read.items) {
        sonvara::BatchItemDescription(item);
    }
    // A refusal must name the item it refuses.
    if (const sonvara::Result<void> check = sonvara::CheckBatchScript("fuzz.svb", read.items);
        !check && check.Message().empty()) {
        std::abort();
    }
    return 0;
}
