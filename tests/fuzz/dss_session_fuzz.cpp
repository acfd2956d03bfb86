// Opens arbitrary bytes as a DSS file in the DSS decoder library's session and decodes it. A file
// is refused or decodes into blocks of the size its quality names, within a bound.

#include "components/dsskx/dss_session.h"
#include "tests/fuzz/source_fuzz_checks.h"

using sonvara::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonvara::fuzz::MemoryFile input(data, size);
    sonvara::dsskx::DssSession session;
    sonvara::DSSDecoderConfig config{};
    config.version = sonvara::kDSSDecoderVersion;
    Check(session.Init(&config) == 0);
    Check(session.ActiveFolder("/proc/self/fd") == 0);
    sonvara::DSSFileProperties properties{};
    if (session.ActiveFile(input.Path().c_str(), &properties) != 0) {
        return 0;
    }
    Check(session.StartDecoding() == 0);
    const int expected_type = properties.quality == sonvara::kDSSQuality8000Hz ? 1 : 0;
    // A 42-byte DSS SP frame or a 4-byte G.723.1 frame gives one block.
    const std::size_t most_blocks = size / 4 + 2;
    std::size_t blocks = 0;
    int frame_type = -1;
    while (session.DecodeToPCM(&frame_type) != nullptr) {
        Check(frame_type == expected_type);
        Check(++blocks <= most_blocks);
    }
    return 0;
}
