#include "project/audio_block.h"

#include <algorithm>
#include <vector>

#include "core/byte_order.h"
#include "document/cut_list_reader.h"
#include "document/cut_writer.h"
#include "project/record_fields.h"

namespace sonvara {
namespace {

constexpr std::int32_t kHighestRate = 768000;
constexpr std::int64_t kHeaderBytes = 9;

}  // namespace

std::int64_t AudioBlockBytes(const LCutListAudio& audio) {
    return kHeaderBytes + std::int64_t{audio.GetLength()} * audio.GetChannels() * 4;
}

ProcessResult WriteAudioBlock(LProgressDialog& process, const LCutListAudio& audio,
                              RecordWriter& writer, ByteProgress& progress) {
    const int channels = audio.GetChannels();
    const std::int32_t length = audio.GetLength();
    writer.WriteI32(audio.GetSampleRate());
    writer.WriteU8(static_cast<std::uint8_t>(channels));
    writer.WriteI32(length);
    LSRCCutListAudio source(audio);
    std::vector<Sample> samples(static_cast<std::size_t>(kBlockFrames) * channels);
    std::vector<std::uint8_t> bytes(samples.size() * 4);
    for (std::int32_t done = 0; done < length;) {
        const std::int32_t frames = std::min(kBlockFrames, length - done);
        const std::size_t count = static_cast<std::size_t>(frames) * channels;
        source.Read(samples.data(), frames);
        if (source.IsError()) {  // a working file gone: no silence in its place
            if (const std::string text = source.ErrorText(); !text.empty()) {
                process.ShowError(text);
            }
            return PROCESS_FAILED;
        }
        for (std::size_t i = 0; i < count; ++i) {
            StoreLE32(&bytes[4 * i], static_cast<std::uint32_t>(samples[i]));
        }
        writer.Write(bytes.data(), 4 * count);
        done += frames;
        progress.done += static_cast<std::int64_t>(4 * count);
        process.SetProgress(static_cast<double>(progress.done) / progress.total);
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
    }
    return writer.Flush() ? PROCESS_DONE : PROCESS_FAILED;
}

ProcessResult ReadAudioBlock(LProgressDialog& process, RecordReader& reader, LCutListAudio& audio) {
    std::int32_t rate = 0;
    std::uint8_t channels = 0;
    std::int32_t length = 0;
    if (!reader.ReadI32(rate) || !reader.ReadU8(channels) || !reader.ReadI32(length) || rate < 1 ||
        rate > kHighestRate || (channels != 1 && channels != 2) || length < 0 ||
        std::int64_t{length} * channels * 4 > reader.Remaining()) {
        return PROCESS_FAILED;
    }
    if (length == 0) {
        audio.Clear();
        audio.SetFormat(rate, channels);
        return PROCESS_DONE;
    }
    LCutListAudio read(rate, channels);
    LSoundSinkRef sink(new LSNKCutListAudio(read, rate, channels));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kBlockFrames) * channels * 4);
    std::vector<Sample> samples(static_cast<std::size_t>(kBlockFrames) * channels);
    for (std::int32_t done = 0; done < length;) {
        const std::int32_t frames = std::min(kBlockFrames, length - done);
        const std::size_t count = static_cast<std::size_t>(frames) * channels;
        if (!reader.Read(bytes.data(), 4 * count)) {
            return PROCESS_FAILED;
        }
        for (std::size_t i = 0; i < count; ++i) {
            samples[i] = static_cast<Sample>(LoadLE32(&bytes[4 * i]));
        }
        sink->Write(samples.data(), frames);
        done += frames;
        process.SetProgress(1.0 -
                            static_cast<double>(reader.Remaining()) /
                                static_cast<double>(std::max<std::int64_t>(reader.Size(), 1)));
        if (process.CheckCancel()) {
            return PROCESS_STOPPED;
        }
    }
    if (!sink->Finish()) {
        return PROCESS_FAILED;
    }
    audio = read;
    return PROCESS_DONE;
}

}  // namespace sonvara
