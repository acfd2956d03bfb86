#pragma once
// What the file-source fuzz targets share: the input as an in-memory file, and the checks of the
// source contract. Whatever the file holds, every read advances the position by its full count,
// reading until the position reaches the length ends within a bound, the length found at the end
// does not change after a seek, and everything past it reads as silence. A source in error has
// length 0.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/sound_source.h"

namespace sonvara::fuzz {

// The line of the failed check goes to stderr (clang 14 has no std::source_location).
inline void Check(bool condition, int line = __builtin_LINE()) {
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}

// The bytes as a file that lives while the object does, reachable by Path().
class MemoryFile {
  public:
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : descriptor_(::memfd_create("source_fuzz", MFD_CLOEXEC)) {
        Check(descriptor_ >= 0);
        Check(size == 0 || ::write(descriptor_, data, size) == static_cast<ssize_t>(size));
    }
    ~MemoryFile() { ::close(descriptor_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string Path() const { return "/proc/self/fd/" + std::to_string(descriptor_); }

  private:
    int descriptor_;
};

// Reads `frames` frames in pieces of `piece`, checking the position after each.
inline void ReadThrough(LSoundSourceBase& source, std::int32_t frames, std::int32_t piece) {
    std::vector<Sample> buffer(static_cast<std::size_t>(piece) *
                               static_cast<std::size_t>(source.GetChannels()));
    for (std::int32_t done = 0; done < frames; done += piece) {
        const std::int32_t before = source.GetPosition();
        const std::int32_t count = std::min(piece, frames - done);
        source.Read(buffer.data(), count);
        Check(source.GetPosition() == before + count);
        Check(source.GetLength() >= 0);
    }
}

// Runs the checks on `source`, made from a file of `size` bytes that holds at most
// `frames_per_byte` frames a byte; `seek_byte` chooses where the second pass starts.
inline void ExerciseSource(LSoundSourceBase& source, std::size_t size, int frames_per_byte,
                           std::uint8_t seek_byte) {
    if (source.IsError()) {
        Check(source.GetLength() == 0);
        return;
    }
    const std::int32_t most = static_cast<std::int32_t>(size) * frames_per_byte + 4096;
    std::int32_t reads = 0;
    // Odd pieces, so that a coding of two samples a byte ends reads between its nibbles.
    while (source.GetPosition() < source.GetLength()) {
        ReadThrough(source, 1021, 1021);
        Check(++reads * 1021 <= most);
    }
    const std::int32_t length = source.GetLength();
    Check(length <= static_cast<std::int32_t>(size) * frames_per_byte);

    const std::int32_t seek = static_cast<std::int32_t>(seek_byte) * 37 - 100;
    source.Seek(seek);
    Check(source.GetPosition() == seek);
    ReadThrough(source, 2500, 833);
    Check(source.GetLength() == length);

    source.Seek(length + 5);
    std::vector<Sample> tail(64 * static_cast<std::size_t>(source.GetChannels()), 1);
    source.Read(tail.data(), 64);
    Check(std::all_of(tail.begin(), tail.end(), [](Sample s) { return s == 0; }));
    // Peaks stay within what the source declares.
    source.Seek(0);
    std::vector<Sample> head(256 * static_cast<std::size_t>(source.GetChannels()));
    source.Read(head.data(), 256);
    for (Sample s : head) {
        Check(s >= -source.GetMaxSample() - 16 && s <= source.GetMaxSample());
    }
}

}  // namespace sonvara::fuzz
