// A drive whose READ TOC answer is arbitrary bytes. Whatever it sends, the table of contents read
// has at most 255 tracks, all of whose descriptors arrived, and the listing of the drive ends with
// that many durations.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "cd/cd_toc.h"
#include "cd/cdrom_info.h"
#include "core/message_loop.h"
#include "core/progress_view.h"
#include "tests/fuzz/source_fuzz_checks.h"

namespace {

class ReplayDrive : public sonvara::ScsiDevice, public sonvara::CdDriveList {
  public:
    ReplayDrive(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::optional<std::size_t> Execute(std::span<const std::uint8_t>, std::span<std::uint8_t> out,
                                       std::chrono::milliseconds) override {
        const std::size_t bytes = std::min(size_, out.size());
        std::copy_n(data_, bytes, out.begin());
        return bytes;
    }
    int Count() override { return 1; }
    std::unique_ptr<sonvara::ScsiDevice> Open(int) override {
        return std::make_unique<ReplayDrive>(data_, size_);
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
};

class NoPrompts : public sonvara::Prompts {
  public:
    sonvara::PromptAnswer Ask(const sonvara::PromptMessage&) override {
        return sonvara::PromptAnswer::kOk;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    sonvara::CdToc toc;
    if (sonvara::ParseToc(std::span(data, size), toc)) {
        Check(toc.tracks >= 0 && toc.tracks <= sonvara::CdToc::kMaxTracks);
        Check(4 + 8 * (static_cast<std::size_t>(toc.tracks) + 1) <= size);
        for (int track = 0; track < toc.tracks; ++track) {
            Check(toc.TrackBlocks(track) >= 0);
            Check(toc.TrackSeconds(track) ==
                  std::min<std::int64_t>(toc.TrackBlocks(track) / 75, 65535));
        }
    } else {
        Check(toc.tracks == 0);
    }

    ReplayDrive drive(data, size);
    sonvara::LCDROMInfo info;
    sonvara::LCDROMInfoProcess process("cd", drive, info);
    sonvara::QueueMessageLoop loop;
    sonvara::SilentProgressView view;
    NoPrompts prompts;
    sonvara::ProcessHost host{loop, view, prompts};
    Check(process.Run(host) == sonvara::PROCESS_DONE);
    Check(info.drives.size() == 1);
    // The drive delivers at most the 2048 bytes asked for: the same table when that is all.
    if (size <= 2048) {
        Check(info.drives[0].track_seconds.size() == static_cast<std::size_t>(toc.tracks));
    }
    return 0;
}
