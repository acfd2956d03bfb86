// Opens arbitrary bytes as a WAV file and checks the source contract (source_fuzz_checks.h). No
// WAV coding holds more than 24 frames a byte: MPEG Layer III's smallest frame is 24 bytes of 576
// samples (8 kbit/s at 24 kHz).

#include "audio/wav/wave_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonvara::fuzz::MemoryFile file(data, size);
    sonvara::LSoundSourceRef source = sonvara::LWaveFile::OpenSource(file.Path());
    sonvara::fuzz::ExerciseSource(*source, size, 24, size > 0 ? data[size - 1] : 0);
    return 0;
}
