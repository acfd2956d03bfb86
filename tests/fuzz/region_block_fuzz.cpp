// Reads arbitrary bytes as the regions of a project: 528-byte region records, each followed by
// its audio block, until one does not read. No region takes in more audio than the bytes hold,
// and each one's texts fit their fields again.

#include <cstddef>
#include <cstdint>

#include "project/audio_block.h"
#include "project/record_fields.h"
#include "project/region.h"
#include "tests/fuzz/project_fuzz_support.h"

namespace {

class ReadRegions : public sonvara::LProgressDialog {
  public:
    ReadRegions(const std::string& path, std::vector<sonvara::LSVRegion>& regions)
        : LProgressDialog("regions"), path_(path), regions_(regions) {}

  protected:
    sonvara::ProcessResult Body() override {
        sonvara::RecordReader reader(path_);
        sonvara::RegionRecord record;
        while (reader.Read(record.data(), record.size())) {
            sonvara::LSVRegion region;
            sonvara::DecodeRegion(record.data(), region);
            const sonvara::ProcessResult result = ReadAudioBlock(*this, reader, region.audio);
            if (result != sonvara::PROCESS_DONE) {
                return result;
            }
            regions_.push_back(std::move(region));
        }
        return sonvara::PROCESS_DONE;
    }

  private:
    const std::string& path_;
    std::vector<sonvara::LSVRegion>& regions_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using sonvara::fuzz::Check;
    sonvara::fuzz::UseScratchCutTank();
    sonvara::fuzz::MemoryFile file(data, size);
    const std::string path = file.Path();
    std::vector<sonvara::LSVRegion> regions;
    ReadRegions read(path, regions);
    sonvara::fuzz::RunQuietly(read);
    std::int64_t bytes = 0;
    for (const sonvara::LSVRegion& region : regions) {
        Check(sonvara::FitsTextField(region.name) && sonvara::FitsTextField(region.file));
        Check(region.audio.GetChannels() == 1 || region.audio.GetChannels() == 2);
        bytes += std::int64_t{sonvara::kRegionBytes} + 9 +
                 std::int64_t{region.audio.GetLength()} * region.audio.GetChannels() * 4;
    }
    Check(bytes <= static_cast<std::int64_t>(size));
    return 0;
}
