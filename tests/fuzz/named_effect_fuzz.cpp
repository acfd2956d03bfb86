// Feeds arbitrary text to the parser of effects named on the command line. A text it refuses
// says why; an effect it reads writes out as a text that reads back as the same effect, and its
// envelope points, placed along files of a few lengths, never go back and number at most 64.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/named_effect.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sonvara::Result<sonvara::NamedEffect> effect = sonvara::ParseNamedEffect(text);
    if (!effect) {
        Check(!effect.Message().empty());
        return 0;
    }
    const sonvara::Result<sonvara::NamedEffect> again =
        sonvara::ParseNamedEffect(sonvara::NamedEffectText(*effect));
    Check(again && *again == *effect);
    Check(effect->equalizer.size() <= sonvara::kPointListMax);
    for (std::int32_t length : {0, 200, 441000}) {
        const sonvara::Result<sonvara::PointList> points =
            sonvara::EnvelopePointList(effect->envelope, length, 44100);
        if (!points) {
            continue;
        }
        Check(points->Count() == static_cast<int>(effect->envelope.size()));
        for (int i = 1; i < points->Count(); ++i) {
            Check(points->points[static_cast<std::size_t>(i)].x >=
                  points->points[static_cast<std::size_t>(i - 1)].x);
        }
    }
    return 0;
}
