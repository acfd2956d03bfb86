#include "audio/wav/wave_file.h"

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "audio/wav/coded_file_sink.h"
#include "audio/wav/coded_wave_source.h"
#include "audio/wav/pcm_file_sink.h"
#include "audio/wav/pcm_file_source.h"
#include "core/byte_order.h"
#include "core/file.h"

namespace sonvara {
namespace {

struct ChunkHeader {
    std::array<char, 4> id;
    std::uint32_t size;

    bool Is(const char* name) const { return std::memcmp(id.data(), name, 4) == 0; }
};

std::optional<ChunkHeader> ReadChunkHeader(LFile& file) {
    std::uint8_t bytes[8];
    if (file.Read(bytes, sizeof bytes) != sizeof bytes) {
        return std::nullopt;
    }
    ChunkHeader header;
    std::memcpy(header.id.data(), bytes, 4);
    header.size = LoadLE32(bytes + 4);
    return header;
}

bool Skip(LFile& file, std::int64_t bytes) {
    return file.Seek(file.Tell() + bytes);
}

// Chunks are padded to an even size. A size that reads as negative in 32 bits is not a chunk.
bool SkipChunk(LFile& file, const ChunkHeader& chunk) {
    if (chunk.size > 0x7FFFFFFF) {
        return false;
    }
    return Skip(file, (std::int64_t{chunk.size} + 1) & ~std::int64_t{1});
}

// Moves past the header of the RIFF "WAVE" form, skipping any other top-level chunks first.
bool FindWaveForm(LFile& file) {
    for (;;) {
        std::uint8_t bytes[12];
        if (file.Read(bytes, sizeof bytes) != sizeof bytes) {
            return false;
        }
        if (std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WAVE", 4) == 0) {
            return true;
        }
        std::int64_t size = (std::int64_t{LoadLE32(bytes + 4)} + 1) & ~std::int64_t{1};
        if (size < 5 || !Skip(file, size - 4)) {
            return false;
        }
    }
}

std::optional<WaveFormat> FindFormat(LFile& file) {
    for (;;) {
        std::optional<ChunkHeader> chunk = ReadChunkHeader(file);
        if (!chunk) {
            return std::nullopt;
        }
        if (chunk->Is("fmt ")) {
            if (chunk->size < 14 || chunk->size > LWaveFile::kMaxFormatBytes) {
                return std::nullopt;
            }
            std::vector<std::uint8_t> block(chunk->size);
            if (file.Read(block.data(), block.size()) != block.size()) {
                return std::nullopt;
            }
            return WaveFormat::Parse(block);
        }
        if (!SkipChunk(file, *chunk)) {
            return std::nullopt;
        }
    }
}

std::optional<std::uint32_t> FindData(LFile& file) {
    for (;;) {
        std::optional<ChunkHeader> chunk = ReadChunkHeader(file);
        if (!chunk) {
            return std::nullopt;
        }
        if (chunk->Is("data")) {
            return chunk->size;
        }
        if (!SkipChunk(file, *chunk)) {
            return std::nullopt;
        }
    }
}

}  // namespace

LSoundSourceRef LWaveFile::OpenSource(const std::string& path) {
    LFile file;
    if (!file.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                   FileDisposition::kOpenExisting) ||
        !FindWaveForm(file)) {
        return LSoundSourceRef();
    }
    std::optional<WaveFormat> format = FindFormat(file);
    if (!format) {
        return LSoundSourceRef();
    }
    std::optional<std::uint32_t> data_bytes = FindData(file);
    if (!data_bytes || format->channels < 1 || format->channels > 255 ||
        format->samples_per_sec < 1 || format->samples_per_sec > kMaxSampleRate) {
        return LSoundSourceRef();
    }
    const auto rate = static_cast<std::int32_t>(format->samples_per_sec);
    if (format->format_tag == WAVE_FORMAT_PCM && format->bits_per_sample <= 8) {
        return new LSRCPCM8File(std::move(file), rate, format->channels, *data_bytes);
    }
    if (format->format_tag == WAVE_FORMAT_PCM && format->bits_per_sample <= 16) {
        return new LSRCPCM16File(std::move(file), rate, format->channels, *data_bytes);
    }
    return new LSRCACMWave(std::move(file), *format, *data_bytes);
}

LSoundSinkRef LWaveFile::OpenSinkPCM(const std::string& path, std::int32_t sample_rate,
                                     std::int32_t keep_frames, int bits_per_sample, int channels) {
    if (bits_per_sample >= 1 && bits_per_sample <= 8) {
        return LSoundSinkRef(new LSNKPCM8File(path, sample_rate, keep_frames, channels));
    }
    if (bits_per_sample >= 9 && bits_per_sample <= 16) {
        return LSoundSinkRef(new LSNKPCM16File(path, sample_rate, keep_frames, channels));
    }
    return LSoundSinkRef();
}

LSoundSinkRef LWaveFile::OpenSink(const std::string& path, const WaveFormat& format) {
    if (format.format_tag == WAVE_FORMAT_PCM && format.bits_per_sample <= 16) {
        return OpenSinkPCM(path, static_cast<std::int32_t>(format.samples_per_sec), 0,
                           format.bits_per_sample, format.channels);
    }
    return LSoundSinkRef(new LSNKACMFile(path, format));
}

}  // namespace sonvara
