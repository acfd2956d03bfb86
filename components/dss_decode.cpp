#include "components/decode_processes.h"

#include <algorithm>
#include <memory>

#include "components/component_location.h"
#include "components/dss_entry_points.h"
#include "core/file.h"
#include "core/paths.h"
#include "platform/codec/riff_header.h"
#include "platform/shared_library.h"

namespace sonvara {
namespace {

std::unique_ptr<SharedLibrary> LoadDecoderLibrary() {
    for (const std::string& path : ComponentCandidates(kDssComponent, kDssDecoderLibrary)) {
        if (auto library = SharedLibrary::Open(path, nullptr)) {
            return library;
        }
    }
    return nullptr;
}

struct DecoderEntries {
    DSSInitDecoderFunction init;
    DSSStartDecodingFunction start;
    DSSDecodeToPCMFunction decode;
    DSSActiveFolderFunction folder;
    DSSActiveFileFunction file;

    explicit DecoderEntries(const SharedLibrary& library)
        : init(library.Entry<DSSInitDecoderFunction>("DSSInitDecoder")),
          start(library.Entry<DSSStartDecodingFunction>("DSSStartDecoding")),
          decode(library.Entry<DSSDecodeToPCMFunction>("DSSDecodeToPCM")),
          folder(library.Entry<DSSActiveFolderFunction>("DSSActiveFolder")),
          file(library.Entry<DSSActiveFileFunction>("DSSActiveFile")) {}
    bool Complete() const {
        return init != nullptr && start != nullptr && decode != nullptr && folder != nullptr &&
               file != nullptr;
    }
};

// The block's length of decoded time, in milliseconds (264 samples at 11025 Hz, 240 at 8000 Hz).
constexpr int kLongBlockMs = 24;
constexpr int kShortBlockMs = 30;

}  // namespace

ProcessResult LDSSDecode::Body() {
    SetText("Decoding DSS File", 0);
    SetProgress(0.0);
    const std::unique_ptr<SharedLibrary> library = LoadDecoderLibrary();
    if (library == nullptr) {
        ShowError(
            "The dss decoder component has not yet been installed on the computer. The "
            "component \"dsskx\" can be downloaded free from " +
            std::string(kComponentDownloadPage));
        return PROCESS_FAILED;
    }
    const DecoderEntries decoder(*library);
    if (!decoder.Complete()) {
        return PROCESS_FAILED;
    }
    DSSDecoderConfig config{};
    config.version = kDSSDecoderVersion;
    if (decoder.init(&config) != 0) {
        return PROCESS_FAILED;
    }
    DSSFileProperties properties{};
    const std::string folder = GetFolderFromPath(Input());
    if (decoder.folder(folder.c_str()) != 0 || decoder.file(Input().c_str(), &properties) != 0) {
        ShowError(
            "Unable to open DSS file.\nThis means the file might not be a true DSS file or "
            "the file is corrupt.");
        return PROCESS_FAILED;
    }
    const std::uint32_t rate = properties.quality == kDSSQuality8000Hz ? 8000 : 11025;
    LFile wave;
    if (!wave.Open(Output(), FileAccess::kWrite, FileSharing::kNone,
                   FileDisposition::kCreateAlways)) {
        return PROCESS_FAILED;
    }
    auto header = PcmRiffHeader(1, rate, 16, 0);
    if (wave.Write(header.data(), header.size()) != header.size()) {
        return PROCESS_FAILED;
    }
    if (decoder.start() != 0) {
        ShowError("Unable to start decoding DSS file.");
        return PROCESS_FAILED;
    }

    std::uint32_t data_size = 0;
    std::uint64_t decoded_ms = 0;
    double remaining = 1.0;
    bool cancelled = false;
    int frame_type = 0;
    while (const std::uint8_t* block = decoder.decode(&frame_type)) {
        const std::uint32_t bytes = frame_type == 0 ? kDSSLongBlockBytes : kDSSShortBlockBytes;
        if (bytes > kMaxPcmRiffData - data_size || wave.Write(block, bytes) != bytes) {
            return PROCESS_FAILED;
        }
        data_size += bytes;
        decoded_ms += frame_type == 0 ? kLongBlockMs : kShortBlockMs;
        if (CheckCancel()) {
            cancelled = true;
            break;
        }
        if (properties.length_ms > 0) {
            SetProgress(std::min(0.99, static_cast<double>(decoded_ms) / properties.length_ms));
        } else {
            remaining *= 0.999;
            SetProgress(1.0 - remaining);
        }
    }
    header = PcmRiffHeader(1, rate, 16, data_size);
    if (!wave.Seek(0) || wave.Write(header.data(), header.size()) != header.size()) {
        return PROCESS_FAILED;
    }
    wave.Close();
    if (cancelled) {
        return PROCESS_STOPPED;
    }
    SetProgress(1.0);
    return PROCESS_DONE;
}

}  // namespace sonvara
