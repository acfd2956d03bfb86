#include "tools/batch_prompts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "audio/wav/wave_file_format.h"
#include "platform/codec/codec_manager.h"

namespace sonvara {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

PromptAnswer BatchPrompts::Ask(const PromptMessage& message) {
    std::fprintf(stderr, "sonvara-batch: %s\n", message.text.c_str());
    ++messages_shown_;
    return AgreeingAnswer(message.buttons);
}

bool BatchPrompts::ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>&,
                                    const std::string&) {
    if (!wave_format_ || wave_format_given_) {
        return false;
    }
    wave_format_given_ = true;
    format = *wave_format_;
    return true;
}

bool BatchPrompts::AskRawFileFormat(RawFileFormat& format) {
    format.rate = raw_rate_.value_or(format.rate);
    format.encoding = raw_encoding_.value_or(format.encoding);
    format.channels = raw_channels_.value_or(format.channels);
    return true;
}

void BatchPrompts::SetRawOverrides(std::optional<int> rate, std::optional<int> encoding,
                                   std::optional<int> channels) {
    raw_rate_ = rate;
    raw_encoding_ = encoding;
    raw_channels_ = channels;
}

std::optional<FormatArea> WaveFormatByName(const std::string& name, std::uint32_t rate,
                                           int channels) {
    static const std::map<std::string, std::pair<std::uint16_t, int>> kShortNames = {
        {"pcm8", {WAVE_FORMAT_PCM, 8}},          {"pcm16", {WAVE_FORMAT_PCM, 16}},
        {"pcm24", {WAVE_FORMAT_PCM, 24}},        {"pcm32", {WAVE_FORMAT_PCM, 32}},
        {"float", {WAVE_FORMAT_IEEE_FLOAT, 32}}, {"ulaw", {WAVE_FORMAT_MULAW, 8}},
        {"alaw", {WAVE_FORMAT_ALAW, 8}},         {"ima", {WAVE_FORMAT_IMA_ADPCM, 4}},
        {"ms", {WAVE_FORMAT_ADPCM, 4}}};
    const std::string wanted = Lower(name);
    auto short_name = kShortNames.find(wanted);
    std::optional<WaveFormat> best;
    for (const FormatChoice& choice : CodecManager::Instance().ListFormats(channels)) {
        const WaveFormat& format = choice.format;
        const bool matches = short_name != kShortNames.end()
                                 ? format.format_tag == short_name->second.first &&
                                       format.bits_per_sample == short_name->second.second
                                 : Lower(choice.name) == wanted;
        auto distance = [rate](const WaveFormat& f) {
            return f.samples_per_sec > rate ? f.samples_per_sec - rate : rate - f.samples_per_sec;
        };
        if (matches && (!best || distance(format) < distance(*best))) {
            best = format;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    // Every coding here scales its byte rate with its sample rate.
    best->avg_bytes_per_sec = static_cast<std::uint32_t>(std::uint64_t{best->avg_bytes_per_sec} *
                                                         rate / best->samples_per_sec);
    best->samples_per_sec = rate;
    return LWaveFileFormat::ToArea(*best);
}

}  // namespace sonvara
