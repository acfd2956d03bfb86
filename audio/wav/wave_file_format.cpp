#include "audio/wav/wave_file_format.h"

#include <algorithm>

#include "core/file.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/temporary_file.h"
#include "platform/codec/codec_manager.h"

namespace sonvara {

bool LWaveFileFormat::TestSupportedRecord(const WaveFormat& format) {
    const WaveFormat pcm = WaveFormat::Pcm16(format.channels, format.samples_per_sec);
    CodecManager& codecs = CodecManager::Instance();
    return codecs.OpenStream(pcm, format, kStreamOpenQuery, nullptr) == CodecResult::kOk ||
           codecs.OpenStream(pcm, format, kStreamOpenQuery | kStreamOpenNonRealtime, nullptr) ==
               CodecResult::kOk;
}

bool LWaveFileFormat::TestSupportedRecord(const FormatArea& format) {
    return TestSupportedRecord(FromArea(format));
}

std::string LWaveFileFormat::RememberedFormatPath() {
    std::string folder = GetFolder("Current");
    return folder.empty() ? std::string() : FilePathCat(folder, "WavCodec.wff");
}

FormatArea LWaveFileFormat::LoadRememberedFormat(const FormatArea& fallback) {
    FormatArea area{};
    LFile file;
    if (file.Open(RememberedFormatPath(), FileAccess::kRead, FileSharing::kReadWrite,
                  FileDisposition::kOpenExisting) &&
        file.Read(area.data(), area.size()) == area.size()) {
        return area;
    }
    return fallback;
}

bool LWaveFileFormat::SaveRememberedFormat(const FormatArea& format) {
    const std::string path = RememberedFormatPath();
    return !path.empty() && ReplaceFileContents(path, format.data(), format.size());
}

FormatArea LWaveFileFormat::DefaultFormat() {
    WaveFormat gsm;
    gsm.format_tag = WAVE_FORMAT_GSM610;
    gsm.channels = 1;
    gsm.samples_per_sec = 8000;
    gsm.avg_bytes_per_sec = 1625;
    gsm.block_align = 65;
    gsm.bits_per_sample = 0;
    gsm.extra = {0x40, 0x01};  // 320 samples a block
    return *ToArea(gsm);
}

FormatArea LWaveFileFormat::PcmFormat(std::uint32_t rate, int channels) {
    return *ToArea(WaveFormat::Pcm16(channels, rate));
}

WaveFormat LWaveFileFormat::FromArea(const FormatArea& area) {
    return *WaveFormat::Parse(area);
}

std::optional<FormatArea> LWaveFileFormat::ToArea(const WaveFormat& format) {
    std::vector<std::uint8_t> block = format.Serialize();
    if (block.size() > FormatArea{}.size()) {
        return std::nullopt;
    }
    FormatArea area{};
    std::copy(block.begin(), block.end(), area.begin());
    return area;
}

}  // namespace sonvara
