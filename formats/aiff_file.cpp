#include "formats/aiff_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "core/byte_order.h"
#include "core/diagnostics.h"
#include "formats/raw_file_source.h"
#include "formats/size_field.h"

namespace sonvara {
namespace {

constexpr std::uint32_t kCommBytes = 18;
constexpr int kExponentBias = 16383;

// What the reader needs from "COMM" and "SSND".
struct AiffLayout {
    bool has_comm = false;
    bool has_sound = false;
    std::uint8_t comm[kCommBytes];
    std::int64_t data_start = 0;
    std::uint32_t data_bytes = 0;
};

// Walks the chunks from the current position until both chunks are found. A chunk that has to
// be skipped needs a size that is not negative as a signed 32-bit number; the size of "SSND"
// itself is only a limit (0xFFFFFFFF from an interrupted writer included).
bool FindChunks(LFile& file, AiffLayout& layout) {
    std::int64_t at = file.Tell();
    for (;;) {
        std::uint8_t header[8];
        if (!file.Seek(at) || file.Read(header, sizeof header) != sizeof header) {
            return false;
        }
        const std::uint32_t size = LoadBE32(header + 4);
        const std::int64_t body = at + 8;
        if (!layout.has_comm && std::memcmp(header, "COMM", 4) == 0) {
            const std::size_t wanted = std::min(size, kCommBytes);
            if (wanted < kCommBytes || file.Read(layout.comm, wanted) != wanted) {
                Diagnose("COMM header does not contain 18 bytes");
                return false;
            }
            layout.has_comm = true;
        } else if (!layout.has_sound && std::memcmp(header, "SSND", 4) == 0) {
            // The offset and block size words come first; the samples follow them.
            std::uint8_t words[8];
            if (file.Read(words, sizeof words) != sizeof words) {
                return false;
            }
            layout.has_sound = true;
            layout.data_start = body + 8;
            layout.data_bytes = size < 8 ? 0 : size - 8;
        }
        if (layout.has_comm && layout.has_sound) {
            return true;
        }
        if (size > 0x7FFFFFFF) {
            Diagnose("AIFFFindChunk pChunk->ckSize < 0");
            return false;
        }
        at = body + size + (size & 1);
    }
}

}  // namespace

std::array<std::uint8_t, 10> AiffRateBytes(std::int32_t rate) {
    std::array<std::uint8_t, 10> bytes{};
    const auto value = static_cast<std::uint32_t>(rate < 1 ? 1 : rate);
    const int top_bit = std::bit_width(value) - 1;
    StoreBE16(bytes.data(), static_cast<std::uint16_t>(kExponentBias + top_bit));
    StoreBE32(bytes.data() + 2, value << (31 - top_bit));
    return bytes;
}

std::optional<std::int32_t> AiffRateFromBytes(const std::uint8_t* bytes) {
    const int exponent = LoadBE16(bytes);
    const std::uint64_t mantissa = LoadBE32(bytes + 2);
    // The value is mantissa × 2^(exponent - bias - 31); only the top 32 bits of the mantissa
    // matter for a whole number of hertz. A set sign bit makes the shift fall outside 0..32.
    const int shift = kExponentBias + 31 - exponent;
    if (shift < 0 || shift > 32) {
        return std::nullopt;
    }
    std::uint64_t rate = mantissa >> shift;
    if (shift > 0) {
        rate += (mantissa >> (shift - 1)) & 1;  // the last bit shifted out rounds
    }
    if (rate < 1 || rate > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rate);
}

LSoundSourceRef LAifFile::OpenSource(const std::string& path) {
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                   FileDisposition::kOpenExisting)) {
        return LSoundSourceRef();
    }
    std::uint8_t form[12];
    if (file.Read(form, sizeof form) != sizeof form || std::memcmp(form, "FORM", 4) != 0 ||
        std::memcmp(form + 8, "AIFF", 4) != 0) {
        return LSoundSourceRef();
    }
    AiffLayout layout;
    if (!FindChunks(file, layout)) {
        return LSoundSourceRef();
    }
    const int channels = LoadBE16(layout.comm);
    const int bits = LoadBE16(layout.comm + 6);
    const std::optional<std::int32_t> rate = AiffRateFromBytes(layout.comm + 8);
    if (bits > 16) {
        Diagnose("LAifFile::OpenSource Does not yet support 32 bit samples");
        return LSoundSourceRef();
    }
    if (channels < 1 || channels > 255 || !rate || !file.Seek(layout.data_start)) {
        return LSoundSourceRef();
    }
    if (bits <= 8) {
        return new LRawFileDataSoundSource<RawPcm8Signed>(std::move(file), *rate, layout.data_bytes,
                                                          channels);
    }
    return new LRawFileDataSoundSource<RawPcm16BE>(std::move(file), *rate, layout.data_bytes,
                                                   channels);
}

LSoundSinkRef LAifFile::OpenSink(const std::string& path, std::int32_t sample_rate, int channels) {
    return LSoundSinkRef(
        new LRawFileDataSoundSink<RawPcm16BE>(path, sample_rate, channels, &WriteHeaderAIFF));
}

std::int64_t WriteHeaderAIFF(LFile& file, const SampleHeaderInfo& info, bool final) {
    const std::uint64_t data_bytes = info.DataBytes();
    std::uint8_t header[LAifFile::kHeaderBytes] = {};
    std::memcpy(header, "FORM", 4);
    StoreBE32(header + 4, SizeField(data_bytes + 46));
    std::memcpy(header + 8, "AIFFCOMM", 8);
    StoreBE32(header + 16, kCommBytes);
    StoreBE16(header + 20, static_cast<std::uint16_t>(info.channels));
    StoreBE32(header + 22, static_cast<std::uint32_t>(info.frames));
    StoreBE16(header + 26, 16);
    const std::array<std::uint8_t, 10> rate = AiffRateBytes(info.sample_rate);
    std::memcpy(header + 28, rate.data(), rate.size());
    std::memcpy(header + 38, "SSND", 4);
    StoreBE32(header + 42, final ? SizeField(data_bytes + 8) : 0xFFFFFFFF);
    // Offset and block size stay 0.
    return file.Write(header, sizeof header) == sizeof header ? LAifFile::kHeaderBytes : -1;
}

}  // namespace sonvara
