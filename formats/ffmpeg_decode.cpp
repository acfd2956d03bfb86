#include "formats/ffmpeg_decode.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "audio/wav/wave_file.h"
#include "components/ffmpeg/audio_file_decoder.h"
#include "core/paths.h"
#include "formats/format_table.h"

namespace sonvara {

std::optional<std::string> FfmpegCodingOf(const std::string& path) {
    const FileFormat* format = FileFormatOf(path);
    const std::unique_ptr<AudioFileDecoder> decoder = AudioFileDecoder::Open(path, "", nullptr);
    if (format == nullptr || decoder == nullptr) {
        return std::nullopt;
    }
    // FFmpeg's names are lower case; the usual spelling of the common ones.
    static const std::map<std::string, std::string> kSpelling = {
        {"aac", "AAC"},   {"alac", "ALAC"},     {"mp3", "MP3"},
        {"opus", "Opus"}, {"vorbis", "Vorbis"}, {"flac", "FLAC"}};
    const auto spelled = kSpelling.find(decoder->CodecName());
    return std::string(format->name) + ", " +
           (spelled == kSpelling.end() ? decoder->CodecName() : spelled->second);
}

ProcessResult LFfmpegDecode::Body() {
    SetText("Decodificando " + GetFileFromPath(Input()), 0);
    SetProgress(0.0);
    const auto stop = [](void* process) {
        return static_cast<LFfmpegDecode*>(process)->CheckCancel();
    };
    std::string problem;
    std::unique_ptr<AudioFileDecoder> decoder =
        AudioFileDecoder::Open(Input(), "", &problem, DecodeInterrupt{stop, this});
    if (decoder == nullptr) {
        if (CheckCancel()) {
            return PROCESS_STOPPED;
        }
        ShowError("No se puede decodificar el audio de \"" + Input() + "\": " + problem);
        return PROCESS_FAILED;
    }
    LSoundSinkRef sink =
        LWaveFile::OpenSinkPCM(Output(), decoder->Rate(), 0, 16, decoder->Channels());
    if (!sink || sink->IsError()) {
        ShowError("No se puede escribir el archivo temporal \"" + Output() + "\".");
        return PROCESS_FAILED;
    }
    const double expected_frames =
        std::max(1.0, static_cast<double>(decoder->DurationMs()) * decoder->Rate() / 1000.0);
    std::vector<std::int16_t> decoded;
    std::vector<Sample> samples;
    const auto write_decoded = [&] {
        samples.resize(decoded.size());
        std::transform(decoded.begin(), decoded.end(), samples.begin(), SampleFrom16);
        sink->Write(samples.data(),
                    static_cast<std::int32_t>(samples.size()) / decoder->Channels());
        decoded.clear();
    };
    while (decoder->Decode(decoded)) {
        if (CheckCancel()) {
            return PROCESS_STOPPED;
        }
        // Written in blocks of the usual size at least.
        if (decoded.size() >= static_cast<std::size_t>(kBlockFrames * decoder->Channels())) {
            write_decoded();
            SetProgress(std::min(0.99, sink->GetFramesWritten() / expected_frames));
        }
    }
    if (decoder->Failed()) {
        ShowError("El audio de \"" + Input() + "\" está dañado y no se puede decodificar.");
        return PROCESS_FAILED;
    }
    write_decoded();
    if (!sink->Finish()) {
        ShowError("No se puede escribir el archivo temporal \"" + Output() + "\".");
        return PROCESS_FAILED;
    }
    SetProgress(1.0);
    return PROCESS_DONE;
}

}  // namespace sonvara
