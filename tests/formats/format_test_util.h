#pragma once
// What the file-format tests share: files built byte by byte (big-endian, for AU and AIFF), whole
// files and whole sources read, sox's decodes, and a copy from a source to a sink.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_sink.h"
#include "audio/sound_source.h"
#include "core/byte_order.h"
#include "tests/support/file_contents.h"

namespace sonvara::testing {

class Bytes {
  public:
    Bytes& Text(const std::string& text) { return Append({text.begin(), text.end()}); }
    Bytes& U8(std::uint32_t value) { return Append({static_cast<std::uint8_t>(value)}); }
    Bytes& BE16(std::uint32_t value) {
        AppendBE16(bytes_, static_cast<std::uint16_t>(value));
        return *this;
    }
    Bytes& BE32(std::uint32_t value) {
        AppendBE32(bytes_, value);
        return *this;
    }
    Bytes& Append(const std::vector<std::uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    // An IFF chunk: identifier, size, body and a pad byte after an odd body.
    Bytes& Chunk(const std::string& id, const std::vector<std::uint8_t>& body) {
        Text(id).BE32(static_cast<std::uint32_t>(body.size())).Append(body);
        return body.size() % 2 != 0 ? U8(0) : *this;
    }
    const std::vector<std::uint8_t>& Get() const { return bytes_; }
    void WriteTo(const std::string& path) const { WriteFileBytes(path, bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

inline std::string FormatData(const std::string& name) {
    return std::string(SONVARA_FORMAT_DATA_DIR) + "/" + name;
}

// sox's decode (raw 16-bit little-endian) on the internal scale.
inline std::vector<Sample> PeerSamples(const std::string& name) {
    const std::vector<std::uint8_t> bytes = FileBytes(FormatData(name));
    std::vector<Sample> samples;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        samples.push_back(SampleFrom16(static_cast<std::int16_t>(LoadLE16(&bytes[i]))));
    }
    return samples;
}

inline std::vector<Sample> ReadFrames(LSoundSourceBase& source, std::int32_t frames) {
    std::vector<Sample> samples(static_cast<std::size_t>(frames) *
                                static_cast<std::size_t>(source.GetChannels()));
    source.Read(samples.data(), frames);
    return samples;
}

inline std::vector<Sample> ReadWhole(LSoundSourceBase& source) {
    source.Seek(0);
    return ReadFrames(source, source.GetLength());
}

// Copies a source to a sink in blocks of kBlockFrames, as the save chain does, and finishes the
// sink; whether it finished.
[[nodiscard]] inline bool CopyAll(LSoundSourceBase& source, LSoundSinkBase& sink) {
    std::vector<Sample> block(static_cast<std::size_t>(kBlockFrames) *
                              static_cast<std::size_t>(source.GetChannels()));
    while (source.GetPosition() < source.GetLength()) {
        const std::int32_t frames =
            std::min(kBlockFrames, source.GetLength() - source.GetPosition());
        source.Read(block.data(), frames);
        sink.Write(block.data(), frames);
    }
    return sink.Finish();
}

}  // namespace sonvara::testing
