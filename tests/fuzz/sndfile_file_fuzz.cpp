// Opens arbitrary bytes through libsndfile (and the header look that names a coding nobody reads)
// and checks the source contract (source_fuzz_checks.h).

#include "formats/sndfile_file.h"
#include "tests/fuzz/source_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonvara::fuzz::MemoryFile file(data, size);
    sonvara::LSoundSourceRef source = sonvara::OpenSndfileSource(file.Path());
    sonvara::fuzz::ExerciseSource(*source, size, 1, size > 0 ? data[size - 1] : 0);
    if (source->IsError()) {
        (void)sonvara::SndfileReadProblem(file.Path());
    }
    return 0;
}
