// Opens arbitrary bytes as a WAV file, reads it to the end, seeks and reads again. Whatever the
// file holds, the source must keep its contract: every read advances the position by its full
// count, reading until the position reaches the length ends, the length found at the end does
// not change after a seek, and everything past it reads as silence.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"

namespace {

// The line of the failed check goes to stderr (clang 14 has no std::source_location).
void Check(bool condition, int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}

// Reads `frames` frames in pieces of `piece`, checking the position after each.
void ReadThrough(sonvara::LSoundSourceBase& source, std::int32_t frames, std::int32_t piece) {
    std::vector<sonvara::Sample> buffer(static_cast<std::size_t>(piece) *
                                        static_cast<std::size_t>(source.GetChannels()));
    for (std::int32_t done = 0; done < frames; done += piece) {
        const std::int32_t before = source.GetPosition();
        const std::int32_t count = std::min(piece, frames - done);
        source.Read(buffer.data(), count);
        Check(source.GetPosition() == before + count);
        Check(source.GetLength() >= 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int descriptor = ::memfd_create("wave_file_fuzz", MFD_CLOEXEC);
    Check(descriptor >= 0);
    Check(::write(descriptor, data, size) == static_cast<ssize_t>(size));
    const std::string path = "/proc/self/fd/" + std::to_string(descriptor);

    sonvara::LSoundSourceRef source = sonvara::LWaveFile::OpenSource(path);
    if (!source->IsError()) {
        // Read to the end the way every caller does, until the position reaches the length.
        // No coding here gives more than two frames a byte, which bounds the reading.
        const std::int32_t most = static_cast<std::int32_t>(2 * size) + 4096;
        std::int32_t reads = 0;
        while (source->GetPosition() < source->GetLength()) {
            ReadThrough(*source, 1021, 1021);
            Check(++reads * 1021 <= most);
        }
        const std::int32_t length = source->GetLength();

        const std::int32_t seek =
            size > 0 ? static_cast<std::int32_t>(data[size - 1]) * 37 - 100 : 0;
        source->Seek(seek);
        Check(source->GetPosition() == seek);
        ReadThrough(*source, 2500, 2500);
        Check(source->GetLength() == length);

        // Past the end there is only silence.
        source->Seek(length + 5);
        std::vector<sonvara::Sample> tail(64 * static_cast<std::size_t>(source->GetChannels()), 1);
        source->Read(tail.data(), 64);
        Check(std::all_of(tail.begin(), tail.end(), [](sonvara::Sample s) { return s == 0; }));
    } else {
        Check(source->GetLength() == 0);
    }
    ::close(descriptor);
    return 0;
}
