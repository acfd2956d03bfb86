#include "formats/decoded_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "components/decode_processes.h"
#include "core/folders.h"
#include "core/paths.h"
#include "formats/ffmpeg_decode.h"
#include "formats/format_table.h"

namespace sonvara {
namespace {

std::unique_ptr<LProgressDialog> DecoderFor(const std::string& input, const std::string& output) {
    switch (ExternalDecoderOf(input)) {
        case ExternalDecoder::kWma:
            return std::make_unique<LWMADecode>(input, output);
        case ExternalDecoder::kRealAudio:
            return std::make_unique<LReadAudioDecode>(input, output);
        case ExternalDecoder::kDss:
            return std::make_unique<LDSSDecode>(input, output);
        case ExternalDecoder::kFfmpeg:
            return std::make_unique<LFfmpegDecode>(input, output);
        case ExternalDecoder::kNone:
            break;
    }
    return nullptr;
}

// A new empty file "<folder>/<name>.XXXXXX.wav"; "" when it cannot be made.
std::string CreateUniqueWave(const std::string& folder, const std::string& name) {
    std::string pattern = FilePathCat(folder, name + ".XXXXXX.wav");
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int descriptor = mkstemps(buffer.data(), 4);
    if (descriptor < 0) {
        return {};
    }
    close(descriptor);
    return buffer.data();
}

}  // namespace

DecodedFile::~DecodedFile() {
    if (!wave_path_.empty()) {
        unlink(wave_path_.c_str());
    }
}

ProcessResult DecodedFile::Decode(LProgressDialog& process, const std::string& path) {
    const std::string folder = GetFolder("Current");
    if (folder.empty()) {
        return PROCESS_FAILED;
    }
    wave_path_ = CreateUniqueWave(folder, GetFileNameWithoutExtension(GetFileFromPath(path)));
    if (wave_path_.empty()) {
        return PROCESS_FAILED;
    }
    std::unique_ptr<LProgressDialog> decoder = DecoderFor(path, wave_path_);
    if (decoder == nullptr) {
        return PROCESS_FAILED;
    }
    const ProcessResult result = process.RunStep(*decoder, 0.0, 1.0);
    return result == PROCESS_STOPPED ? PROCESS_STOPPED
                                     : (result == PROCESS_DONE ? PROCESS_DONE : PROCESS_FAILED);
}

}  // namespace sonvara
