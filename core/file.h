#pragma once
// LFile: owns one open file descriptor, or none ("invalid", -1). Offsets and sizes are 64-bit
// everywhere, since cut files grow well past 2 GiB.
//
// The open modes keep the vocabulary the rest of the program was written against (access,
// sharing, disposition); they map onto open(2) flags. Failures come back as values: an invalid
// file, 0 bytes moved, offset 0. An LFile is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvara {

enum class FileAccess {
    kRead,
    kWrite,
    kReadWrite,
};

// Accepted so that callers can say what they mean, but Linux has no mandatory sharing locks:
// every value behaves as full sharing.
enum class FileSharing {
    kNone,
    kRead,
    kWrite,
    kReadWrite,
};

enum class FileDisposition {
    kCreateAlways,      // create, or empty an existing file
    kCreateNew,         // create; fail when the file exists
    kOpenExisting,      // open; fail when the file does not exist
    kOpenAlways,        // open, creating the file when it does not exist
    kTruncateExisting,  // open and empty an existing file; needs write access
};

class LFile {
  public:
    LFile() = default;
    // Takes ownership of an open descriptor (or -1).
    explicit LFile(int descriptor) noexcept : descriptor_(descriptor) {}
    ~LFile();

    LFile(LFile&& other) noexcept;
    LFile& operator=(LFile&& other) noexcept;
    LFile(const LFile&) = delete;
    LFile& operator=(const LFile&) = delete;

    // Closes any file held, then opens `path`. New files get mode 0666 less the umask. The
    // descriptor is close-on-exec, so child programs never inherit it. Returns IsValid().
    bool Open(const std::string& path, FileAccess access, FileSharing sharing,
              FileDisposition disposition);

    bool IsValid() const { return descriptor_ >= 0; }
    int Descriptor() const { return descriptor_; }

    // Gives up the descriptor without closing it; this file is left invalid.
    [[nodiscard]] int Release() noexcept;
    // Closes any file held and takes ownership of `descriptor`.
    void Adopt(int descriptor) noexcept;

    // Both loop until `bytes` have moved, the end of the file is met (Read) or an error occurs,
    // and return the bytes that actually moved: 0 on an invalid file or an immediate error.
    std::size_t Read(void* buffer, std::size_t bytes);
    std::size_t Write(const void* buffer, std::size_t bytes);

    // Moves to `offset` bytes from the start; returns whether it moved. On an invalid file it
    // reports a diagnostic and does nothing.
    bool Seek(std::int64_t offset);
    // The current offset; 0 on failure.
    std::int64_t Tell() const;
    // The size of the file in bytes; 0 on failure.
    std::int64_t GetFileSizeBytes() const;
    // Ends the file at the current offset (shortening or zero-extending it).
    bool SetEnd();
    void Close() noexcept;

  private:
    int descriptor_ = -1;
};

}  // namespace sonvara
