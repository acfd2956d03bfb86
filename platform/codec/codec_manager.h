#pragma once
// The codec manager: converts audio between 16-bit PCM and the coded formats a WAV file may hold,
// through streams that work the way the WAV readers and writers expect of a compression manager.
//
//  - OpenStream(source, destination, flags) opens a stream between 16-bit PCM and a coded format
//    of the same channels and rate (in either direction), or only asks whether it could
//    (kStreamOpenQuery). kStreamOpenNonRealtime is accepted and changes nothing: every codec here
//    may take as long as it needs.
//  - A stream's size queries say how many output bytes a given input needs, and how much input
//    fills a given output.
//  - Convert takes a StreamHeader with both buffers, converts whole blocks (kConvertBlockAlign is
//    how every caller asks, and it is how the stream always works), and reports the bytes it
//    consumed and produced. kConvertStart forgets the state of earlier blocks (after a seek);
//    kConvertEnd also converts a last block shorter than a whole one (the tail of a file, or the
//    final samples a writer flushes).
//
// Codecs register once, at start-up, before any stream opens; streams may then be used on any
// thread, one thread per stream.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/codec/codec.h"
#include "platform/codec/wave_format.h"

namespace sonvara {

inline constexpr unsigned kStreamOpenNonRealtime = 1;
inline constexpr unsigned kStreamOpenQuery = 2;

inline constexpr unsigned kConvertBlockAlign = 1;
inline constexpr unsigned kConvertStart = 2;
inline constexpr unsigned kConvertEnd = 4;

enum class CodecResult {
    kOk,
    kNotPossible,  // no codec converts between these formats
};

struct StreamHeader {
    const std::uint8_t* source = nullptr;
    std::size_t source_length = 0;
    std::size_t source_used = 0;  // set by Convert
    std::uint8_t* destination = nullptr;
    std::size_t destination_length = 0;
    std::size_t destination_used = 0;  // set by Convert
};

class CodecStream {
  public:
    explicit CodecStream(std::unique_ptr<BlockConverter> converter);

    // Output bytes needed for `source_bytes` of input (whole blocks, the last one rounded up).
    std::size_t DestinationSizeFor(std::size_t source_bytes) const;
    // Input bytes whose output fits in `destination_bytes`: whole blocks only, so 0 when not even
    // one block fits.
    std::size_t SourceSizeFor(std::size_t destination_bytes) const;

    // The codec's unit on each side: whole blocks convert into whole blocks.
    std::size_t InputBlockBytes() const { return converter_->InputBlockBytes(); }
    std::size_t OutputBlockBytes() const { return converter_->OutputBlockBytes(); }
    bool VariableBlocks() const { return converter_->VariableBlocks(); }
    std::size_t SeekPrerollFrames() const { return converter_->SeekPrerollFrames(); }

    // Returns false when the first block is damaged; the header then reports nothing used. A
    // damaged block after good ones ends the conversion before it, and the next call fails.
    bool Convert(StreamHeader& header, unsigned flags);
    // The same as a conversion with kConvertStart and no input.
    void Reset();

  private:
    std::unique_ptr<BlockConverter> converter_;
};

// A format the chooser can offer: the codec's name, a line of details and the format itself.
struct FormatChoice {
    std::string name;
    std::string details;  // "8.000 Hz; 4 bits; Mono; 4 KB/s"
    WaveFormat format;
};

class CodecManager {
  public:
    // The manager with every codec built into the program registered.
    static CodecManager& Instance();

    CodecManager() = default;
    CodecManager(const CodecManager&) = delete;
    CodecManager& operator=(const CodecManager&) = delete;

    // Adds a codec; later registrations are asked after earlier ones.
    void Register(std::unique_ptr<Codec> codec);

    // One side must be 16-bit PCM with the other side's channels and rate. With kStreamOpenQuery
    // `stream` may be null and is not set.
    CodecResult OpenStream(const WaveFormat& source, const WaveFormat& destination, unsigned flags,
                           std::unique_ptr<CodecStream>* stream) const;

    // Every format some codec writes, with `channels` channels (0: any), in registration order.
    std::vector<FormatChoice> ListFormats(int channels) const;

  private:
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Codec>> codecs_;
};

// Adds the codecs of this library (PCM, IEEE float, WAVE_FORMAT_EXTENSIBLE, G.711, the ADPCMs,
// GSM 6.10, and MPEG Layer III for reading).
void RegisterBuiltInCodecs(CodecManager& manager);

// "8.000 Hz; 4 bits; Mono; 4 KB/s": the chooser's line of details for a format.
std::string DescribeFormat(const WaveFormat& format);

}  // namespace sonvara
