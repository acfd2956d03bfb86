// Feeds arbitrary bytes to the MP3 frame decoder the way a stream reader does (find a header,
// decode the frame there, move on by its length: whatever the bytes, every sample that comes out
// must be a finite number), and opens them as an ".mp3" file as players give it (the encoder's
// tag frame, delay and padding left out) to check the source contract (source_fuzz_checks.h). The
// smallest frame, 72 bytes, gives 576 samples: at most 8 a byte.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "codecs/mp3/mp3_frame_decoder.h"
#include "codecs/mp3/mp3_frame_layout.h"
#include "formats/mp3_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonvara::mp3;
    const std::span<const std::uint8_t> bytes(data, size);
    auto decoder = std::make_unique<LMP3FrameDecoder>();
    auto frame = std::make_unique<DecodedFrame>();
    std::size_t at = 0;
    while (std::optional<std::size_t> found = FindHeader(bytes, at, 4096)) {
        const DecodeStatus status = decoder->Decode(bytes.subspan(*found), *frame);
        if (frame->samples < 0 || frame->samples > kMaxFrameSamples || frame->channels > 2) {
            std::abort();
        }
        for (int c = 0; c < frame->channels; ++c) {
            for (int i = 0; i < frame->samples; ++i) {
                const float sample =
                    frame->pcm[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)];
                if (!std::isfinite(sample)) {
                    std::abort();
                }
            }
        }
        const std::optional<FrameLayout> layout = ReadFrameLayout(bytes.subspan(*found));
        at = *found + (status != DecodeStatus::kBadFrame && layout
                           ? static_cast<std::size_t>(layout->header.FrameBytes())
                           : 1);
    }
    sonvara::fuzz::MemoryFile file(data, size);
    sonvara::LSoundSourceRef source = sonvara::OpenMp3Source(file.Path());
    sonvara::fuzz::ExerciseSource(*source, size, 8, size > 0 ? data[size - 1] : 0);
    return 0;
}
