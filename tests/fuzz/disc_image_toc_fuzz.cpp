// A disc image's description of arbitrary text: whatever it says, the tracks read start in disc
// order before the lead-out, or there are none and the reason is given.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cd/disc_image_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    sonvara::DiscImage disc;
    const std::string error = sonvara::ParseDiscToc(
        std::string_view(reinterpret_cast<const char*>(data), size), 5000, disc);
    Check(error.empty() || disc.tracks.empty());
    Check(disc.tracks.size() <= 99);
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        Check(disc.tracks[i].start >= 0 && disc.tracks[i].start < 5000);
        Check(i == 0 || disc.tracks[i].start > disc.tracks[i - 1].start);
    }
    return 0;
}
