#pragma once
// LMP3FrameDecoder: decodes Layer III frames one at a time into floating-point samples, 1152
// per channel for MPEG-1 and 576 for MPEG-2 and MPEG-2.5, 1.0 being full scale. It keeps what
// links a frame to the ones before it: the bit reservoir, the IMDCT overlap and the synthesis
// FIFO, so frames must be fed in stream order; Reset() forgets them (after a seek).
//
// The caller finds the frames (see mp3_frame_layout.h) and hands over each whole frame.
// Not thread-safe; one object per stream.

#include <array>
#include <cstdint>
#include <span>

#include "codecs/mp3/mp3_frame_layout.h"
#include "codecs/mp3/mp3_hybrid.h"
#include "codecs/mp3/mp3_reservoir.h"
#include "codecs/mp3/mp3_scale_factors.h"
#include "codecs/mp3/mp3_synthesis.h"

namespace sonvara::mp3 {

inline constexpr int kMaxFrameSamples = 1152;

enum class DecodeStatus : std::uint8_t {
    kOk,
    // The frame is fine but its main data begins in frames this decoder has not seen (at the
    // start or after Reset): it feeds the reservoir, and its samples are the filter banks'
    // response to silence (the tail of what came before).
    kReservoirShort,
    kBadFrame,     // no frame header, a frame shorter than its header says, bad side information
    kBadMainData,  // Huffman data that does not decode or runs past its granule
};

struct DecodedFrame {
    FrameHeader header;
    int channels = 0;
    int samples = 0;  // per channel
    // [channel][sample]
    std::array<std::array<float, kMaxFrameSamples>, 2> pcm{};
};

class LMP3FrameDecoder {
  public:
    // Decodes the frame at the start of `frame` (at least FrameBytes() long) into `out`.
    // kReservoirShort and kBadMainData still give the frame's length of samples: the granules
    // that could not be decoded are silence run through the filter banks, so that the frames
    // after join on smoothly. kBadFrame gives silence of the frame's length if its header could
    // be read (otherwise no samples) and leaves the decoder as it was.
    DecodeStatus Decode(std::span<const std::uint8_t> frame, DecodedFrame& out);

    void Reset();

  private:
    DecodeStatus DecodeGranules(const FrameLayout& layout, std::span<const std::uint8_t> main_data,
                                DecodedFrame& out);
    // Runs silence through the filter banks for granules `first`.. of the frame.
    void SilentGranules(const FrameHeader& header, int first, DecodedFrame& out);
    void Synthesize(int channels, int granule, DecodedFrame& out);

    BitReservoir reservoir_;
    std::array<Overlap, 2> overlap_{};
    std::array<PolyphaseSynthesis, 2> synthesis_;
    std::array<ScaleFactors, 2> scale_factors_{};
    std::array<QuantizedSpectrum, 2> quantized_{};
    std::array<Spectrum, 2> spectrum_{};
    std::array<SubbandSamples, 2> subbands_{};
};

}  // namespace sonvara::mp3
