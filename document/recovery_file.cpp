#include "document/recovery_file.h"

#include <cstring>
#include <limits>

#include "core/byte_order.h"

namespace sonvara {
namespace {

constexpr std::string_view kMagic = "SVRECOV1";
constexpr std::size_t kHeaderBytes = 8 + 4 + 4 + 4;  // magic, rate, channels, name size
constexpr std::size_t kTailBytes = 4 + 4;            // open cut, record count
constexpr std::size_t kRecordBytes = 16;

std::uint32_t Get32(std::string_view bytes, std::size_t at) {
    return LoadLE32(reinterpret_cast<const std::uint8_t*>(bytes.data() + at));
}

std::int32_t GetSigned32(std::string_view bytes, std::size_t at) {
    return static_cast<std::int32_t>(Get32(bytes, at));
}

}  // namespace

std::string SerializeRecoveryFile(const LRecoveryContent& content) {
    std::string out(kMagic);
    AppendLE32(out, static_cast<std::uint32_t>(content.sample_rate));
    AppendLE32(out, static_cast<std::uint32_t>(content.channels));
    AppendLE32(out, static_cast<std::uint32_t>(content.name.size()));
    out += content.name;
    AppendLE32(out, content.open_cut);
    AppendLE32(out, static_cast<std::uint32_t>(content.records.size()));
    for (const LRecoveryRecord& record : content.records) {
        AppendLE32(out, record.number);
        AppendLE32(out, static_cast<std::uint32_t>(record.start));
        AppendLE32(out, static_cast<std::uint32_t>(record.length));
        AppendLE32(out, static_cast<std::uint32_t>(record.gain));
    }
    return out;
}

std::optional<LRecoveryContent> ParseRecoveryFile(std::string_view bytes) {
    if (bytes.size() < kHeaderBytes + kTailBytes || bytes.substr(0, kMagic.size()) != kMagic) {
        return std::nullopt;
    }
    LRecoveryContent content;
    content.sample_rate = GetSigned32(bytes, 8);
    const std::uint32_t channels = Get32(bytes, 12);
    const std::uint32_t name_bytes = Get32(bytes, 16);
    if (content.sample_rate <= 0 || (channels != 1 && channels != 2) ||
        name_bytes > LRecoveryContent::kMaxNameBytes ||
        bytes.size() < kHeaderBytes + name_bytes + kTailBytes) {
        return std::nullopt;
    }
    content.channels = static_cast<int>(channels);
    content.name = std::string(bytes.substr(kHeaderBytes, name_bytes));
    std::size_t at = kHeaderBytes + name_bytes;
    const std::uint32_t open_cut = Get32(bytes, at);
    const std::uint32_t count = Get32(bytes, at + 4);
    at += kTailBytes;
    if (open_cut > 65535 || (bytes.size() - at) / kRecordBytes != count ||
        (bytes.size() - at) % kRecordBytes != 0) {
        return std::nullopt;
    }
    content.open_cut = static_cast<std::uint16_t>(open_cut);
    content.records.reserve(count);
    std::int64_t total = 0;
    for (; at < bytes.size(); at += kRecordBytes) {
        const std::uint32_t number = Get32(bytes, at);
        LRecoveryRecord record{static_cast<std::uint16_t>(number), GetSigned32(bytes, at + 4),
                               GetSigned32(bytes, at + 8), GetSigned32(bytes, at + 12)};
        total += record.length;
        if (number > 65535 || record.start < 0 || record.length <= 0 ||
            total > std::numeric_limits<std::int32_t>::max()) {
            return std::nullopt;
        }
        content.records.push_back(record);
    }
    return content;
}

}  // namespace sonvara
