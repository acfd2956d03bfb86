#pragma once
// Reading and writing the stored records. The reader knows how many bytes the file holds and
// refuses any read that would pass its end, so a count or size taken from the file is checked
// against what is there before anything is allocated or read for it. The writer gathers bytes
// in a buffer and remembers the first failure; Flush() reports it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/file.h"

namespace sonvara {

class RecordReader {
  public:
    // Opens `path` for reading; IsOpen() tells whether it could.
    explicit RecordReader(const std::string& path);

    bool IsOpen() const { return file_.IsValid(); }
    std::int64_t Remaining() const { return remaining_; }
    std::int64_t Size() const { return size_; }
    // False, reading nothing, when fewer than `bytes` remain or the read falls short.
    bool Read(void* buffer, std::size_t bytes);
    bool ReadU8(std::uint8_t& value) { return Read(&value, 1); }
    bool ReadI32(std::int32_t& value);

  private:
    LFile file_;
    std::int64_t size_ = 0;
    std::int64_t remaining_ = 0;
};

class RecordWriter {
  public:
    explicit RecordWriter(LFile& file) : file_(file) {}

    void Write(const void* bytes, std::size_t size);
    void WriteU8(std::uint8_t value) { Write(&value, 1); }
    void WriteI32(std::int32_t value);
    // Writes what is buffered; false when this or any earlier write failed.
    bool Flush();

  private:
    static constexpr std::size_t kBufferBytes = 1 << 16;

    LFile& file_;
    std::vector<std::uint8_t> buffer_;
    bool failed_ = false;
};

}  // namespace sonvara
