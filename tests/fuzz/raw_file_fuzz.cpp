// Opens arbitrary bytes as a headerless or VOX file and checks the source contract
// (source_fuzz_checks.h). The first byte is not part of the file: it chooses the encoding (its
// value modulo 7, in the order of the raw-format dialog), the channel count (bit 3) and the rate
// (bits 4 to 7: 0 gives an invalid rate of 0).

#include "formats/raw_formats.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto encoding = static_cast<sonvara::RawEncoding>(data[0] % sonvara::kRawEncodingCount);
    const int channels = (data[0] & 8) != 0 ? 2 : 1;
    const std::int32_t rate = (data[0] >> 4) * 4000;
    sonvara::fuzz::MemoryFile file(data + 1, size - 1);
    sonvara::LSoundSourceRef source = sonvara::OpenRawSource(file.Path(), encoding, rate, channels);
    sonvara::fuzz::Check(source->IsError() == (rate == 0));
    if (!source->IsError()) {
        sonvara::fuzz::Check(source->GetChannels() ==
                             (encoding == sonvara::RawEncoding::kDialogicAdpcm ? 1 : channels));
    }
    sonvara::fuzz::ExerciseSource(*source, size - 1, 2, data[size - 1]);
    return 0;
}
