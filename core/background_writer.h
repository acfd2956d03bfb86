#pragma once
// LBackgroundWriter: appends bytes to a file from a thread of its own, so that the caller
// prepares its next bytes while the last ones are written. Bytes gather in a buffer; a full buffer
// goes to the thread while the caller fills the other one. The thread starts with the first full
// buffer, so output smaller than one buffer is written by Flush() on the caller's thread. Ahead of
// its writes the thread reserves the file's disk space in growing steps (up to 64 MiB), which
// spares the file system an allocation per write; Flush() gives back what lies past the end.
//
// Results come late: a write that fails is reported by the next Write() or Flush(), and nothing
// is written after it. The file stays the caller's, but from the first Write() to the next Flush()
// only this writer may touch it. One thread calls Write() and Flush(). The destructor stops the
// thread after the write in progress and drops the bytes not yet written: a writer dropped
// without a Flush() belongs to output that is being discarded.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "core/file.h"

namespace sonvara {

class LBackgroundWriter {
  public:
    static constexpr std::size_t kBufferBytes = std::size_t{1} << 20;

    explicit LBackgroundWriter(LFile& file) : file_(file) {}
    ~LBackgroundWriter();
    LBackgroundWriter(const LBackgroundWriter&) = delete;
    LBackgroundWriter& operator=(const LBackgroundWriter&) = delete;

    // Adds `size` bytes at the file's position; false once a write has failed.
    bool Write(const void* bytes, std::size_t size);
    // Writes every byte given so far and waits for them; false when any write failed.
    bool Flush();

  private:
    // Gives the filling buffer to the thread once it is free; false when a write has failed.
    bool HandOver();
    void Run();
    // Reserves disk space ahead of a write from `start` to `end`.
    void ReserveFor(std::int64_t start, std::int64_t end);

    LFile& file_;
    std::vector<std::uint8_t> filling_;  // the caller's
    std::vector<std::uint8_t> handed_;   // the thread's while busy_
    std::int64_t reserved_end_ = 0;      // the thread's
    std::mutex mutex_;
    std::condition_variable changed_;
    bool busy_ = false;  // handed_ holds bytes the thread has yet to write
    bool failed_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace sonvara
