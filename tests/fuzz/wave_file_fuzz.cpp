// Opens arbitrary bytes as a WAV file and checks the source contract (source_fuzz_checks.h). No
// WAV coding holds more than two frames a byte.

#include "audio/wav/wave_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonvara::fuzz::MemoryFile file(data, size);
    sonvara::LSoundSourceRef source = sonvara::LWaveFile::OpenSource(file.Path());
    sonvara::fuzz::ExerciseSource(*source, size, 2, size > 0 ? data[size - 1] : 0);
    return 0;
}
