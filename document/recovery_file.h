#pragma once
// The recovery file "<folder>/unsaved-XXXXXX.svr": what an open document that is not saved (or a
// recording under way) consists of, kept beside the cut files it refers to so that the next
// editor can put it back together after a crash. It holds cut numbers, never audio, so writing
// it costs time in proportion to the document's records.
//
// Layout, little-endian, no padding: the magic "SVRECOV1", the sample rate (u32), the channel
// count (u32, 1 or 2), the name's length in bytes (u32, at most kMaxNameBytes) and the name
// (UTF-8), the cut being written when the file was kept (u32: a recording's unfinished segment,
// whose length only its file knows; 65535 for none), the record count (u32) and the records,
// 16 bytes each: the cut number (u32, 65535 for silence), start, length and gain (i32 each).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

struct LRecoveryRecord {
    std::uint16_t number = 0;
    std::int32_t start = 0;
    std::int32_t length = 0;
    std::int32_t gain = 0;

    bool operator==(const LRecoveryRecord&) const = default;
};

struct LRecoveryContent {
    static constexpr std::size_t kMaxNameBytes = 4096;

    std::string name;  // the document's title, or the recording's
    std::int32_t sample_rate = 0;
    int channels = 0;
    std::uint16_t open_cut = 65535;
    std::vector<LRecoveryRecord> records;

    bool operator==(const LRecoveryContent&) const = default;
};

std::string SerializeRecoveryFile(const LRecoveryContent& content);
// The content of a recovery file; nothing when the bytes are not one (a wrong size or magic, a
// rate of 0, a channel count other than 1 or 2, a record of no frames or starting before 0,
// lengths whose sum leaves 32 bits).
std::optional<LRecoveryContent> ParseRecoveryFile(std::string_view bytes);

}  // namespace sonvara
