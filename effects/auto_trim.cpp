#include "effects/auto_trim.h"

#include <algorithm>
#include <cstdlib>

#include "audio/decibel_table.h"
#include "core/file.h"
#include "document/cut_writer.h"

namespace sonvara {
namespace {

constexpr std::int64_t kBlock = LSNKCutListAudio::kGraphBlockFrames;

int GraphChannels(const LCutListAudio& document) {
    return std::max(document.GetChannels(), 1);
}

// A peak byte as the cut's gain plays it: byte × (gain >> 16) >> 8. Scaled peaks beyond one byte
// stay at the loudest value instead of wrapping round to a quiet one, and a negative gain (an
// inverted cut) has the peak of its magnitude.
std::uint8_t ScaleGraphByte(std::uint8_t byte, std::int32_t gain) {
    const std::int64_t factor = std::abs(std::int64_t{gain >> 16});
    return static_cast<std::uint8_t>(std::min<std::int64_t>((byte * factor) >> 8, 255));
}

bool IsLoud(const std::uint8_t* pair, std::int64_t level) {
    return pair[0] > level || pair[1] > level;
}

}  // namespace

bool ReadDocumentGraph(LProgressDialog& process, const LCutListAudio& document,
                       std::vector<std::uint8_t>& table) {
    const int channels = GraphChannels(document);
    const std::size_t entry_bytes = static_cast<std::size_t>(channels) * 2;
    const std::int64_t entries = document.GetLength() / kBlock + 1;
    table.assign(static_cast<std::size_t>(entries) * entry_bytes, 0);
    const double total = static_cast<double>(std::max(document.GetLength(), 1));
    std::int64_t position = 0;
    for (const LCutRecord& record : document.Records()) {
        if (process.CheckCancel()) {
            return false;
        }
        if (!record.cut.IsSilent()) {
            const std::int64_t first = std::min(position / kBlock, entries);
            const std::int64_t last =
                std::min((position + record.length + kBlock - 1) / kBlock, entries);
            LFile graph;
            if (first < last &&
                graph.Open(record.cut.GrfFilePath(), FileAccess::kRead, FileSharing::kReadWrite,
                           FileDisposition::kOpenExisting) &&
                graph.Seek(record.start / kBlock * static_cast<std::int64_t>(entry_bytes))) {
                std::uint8_t* into = table.data() + static_cast<std::size_t>(first) * entry_bytes;
                const std::size_t read =
                    graph.Read(into, static_cast<std::size_t>(last - first) * entry_bytes);
                for (std::size_t i = 0; i < read; ++i) {
                    into[i] = ScaleGraphByte(into[i], record.gain);
                }
            }
        }
        position += record.length;
        process.SetProgress(static_cast<double>(position) / total);
    }
    return true;
}

FrameRange FindTrimRange(const std::vector<std::uint8_t>& table, int channels, std::int32_t length,
                         int threshold_db) {
    const std::size_t entry_bytes = static_cast<std::size_t>(std::max(channels, 1)) * 2;
    const std::size_t entries = table.size() / entry_bytes;
    const std::uint8_t peak =
        table.empty() ? std::uint8_t{0} : *std::max_element(table.begin(), table.end());
    const std::int64_t level =
        (std::int64_t{peak} * LDB::LDBTablesClass::Instance().Factor(threshold_db)) >> 24;
    const std::size_t pairs_per_entry = entry_bytes / 2;

    FrameRange range{0, length};
    // The first block is never looked at from the front: sound that starts in it keeps the start
    // at 0 anyway.
    for (std::size_t entry = 1; entry < entries; ++entry) {
        const std::uint8_t* bytes = table.data() + entry * entry_bytes;
        bool loud = false;
        for (std::size_t pair = 0; pair < pairs_per_entry && !loud; ++pair) {
            loud = IsLoud(bytes + pair * 2, level);
        }
        if (loud) {
            range.start = static_cast<std::int32_t>((entry - 1) * kBlock);
            break;
        }
    }
    // From the back: the last, partial block is not looked at, and the scan runs over channel
    // pairs down to (not including) the first pair of the first block.
    if (entries >= 2) {
        for (std::size_t pair = (entries - 1) * pairs_per_entry; pair-- > 1;) {
            if (IsLoud(table.data() + pair * 2, level)) {
                range.end = static_cast<std::int32_t>((pair / pairs_per_entry + 1) * kBlock);
                break;
            }
        }
    }
    return range;
}

EfAutotrim::EfAutotrim(LCutListAudio& document, const AutoTrimParameters& parameters)
    : LProgressDialog("Sonvara"), document_(document), parameters_(parameters) {}

ProcessResult EfAutotrim::Body() {
    SetText("AutoTrim", 0);
    SetText("Please wait...", 1);
    std::vector<std::uint8_t> table;
    if (!ReadDocumentGraph(*this, document_, table)) {
        return PROCESS_STOPPED;
    }
    const std::int32_t length = document_.GetLength();
    const FrameRange keep =
        FindTrimRange(table, GraphChannels(document_), length, parameters_.threshold_db);
    document_.EfDelete(keep.end, length);
    if (keep.start > 0) {
        document_.EfDelete(0, keep.start);
    }
    return PROCESS_DONE;
}

}  // namespace sonvara
