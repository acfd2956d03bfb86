#include "formats/format_prompts.h"

#include "audio/wav/wave_file_format.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace sonvara {

FormatPrompts* FormatQuestionsOf(Prompts& prompts) {
    return dynamic_cast<FormatPrompts*>(&prompts);
}

namespace {

// PCM and floating point take any rate and channel count.
bool TakesAnyRate(const WaveFormat& format) {
    return format.format_tag == WAVE_FORMAT_PCM || format.format_tag == WAVE_FORMAT_IEEE_FLOAT;
}

// How far `format` is from a document's rate and channels: another channel count first, then the
// distance in rate.
std::pair<bool, std::int64_t> Distance(const WaveFormat& format, std::int32_t rate, int channels) {
    return {format.channels != channels,
            std::abs(std::int64_t{format.samples_per_sec} - std::int64_t{rate})};
}

}  // namespace

std::vector<FormatChoice> WaveFormatChoices(int channels, std::int32_t rate) {
    std::vector<FormatChoice> offered =
        CodecManager::Instance().ListFormats(rate == 0 ? channels : 0);
    if (rate == 0) {
        return offered;
    }
    std::vector<FormatChoice> choices;
    for (FormatChoice& choice : offered) {
        const auto same = std::ranges::find_if(choices, [&](const FormatChoice& kept) {
            return kept.name == choice.name && kept.format.format_tag == choice.format.format_tag &&
                   kept.format.bits_per_sample == choice.format.bits_per_sample;
        });
        if (same == choices.end()) {
            choices.push_back(std::move(choice));
        } else if (Distance(choice.format, rate, channels) <
                   Distance(same->format, rate, channels)) {
            *same = std::move(choice);
        }
    }
    for (FormatChoice& choice : choices) {
        if (TakesAnyRate(choice.format)) {
            WaveFormat& format = choice.format;
            format.samples_per_sec = static_cast<std::uint32_t>(rate);
            format.channels = static_cast<std::uint16_t>(channels);
            format.block_align = static_cast<std::uint16_t>(channels * format.bits_per_sample / 8);
            format.avg_bytes_per_sec = format.samples_per_sec * format.block_align;
            choice.details = DescribeFormat(format);
        }
    }
    return choices;
}

bool ChooseWaveFileFormat(Prompts& prompts, FormatArea& format,
                          const std::vector<FormatChoice>& choices, const std::string& title) {
    FormatPrompts* questions = FormatQuestionsOf(prompts);
    for (;;) {
        if (questions == nullptr || !questions->ChooseWaveFormat(format, choices, title)) {
            return false;
        }
        if (LWaveFileFormat::TestSupportedRecord(format)) {
            return true;
        }
        prompts.Ask({"Formato no disponible",
                     "El formato solicitado no está disponible porque el codec necesario no está "
                     "instalado en su PC.",
                     PromptIcon::kError, PromptButtons::kOk});
    }
}

bool ChooseRememberedWaveFormat(Prompts& prompts, FormatArea& format) {
    format = LWaveFileFormat::LoadRememberedFormat(LWaveFileFormat::DefaultFormat());
    if (!ChooseWaveFileFormat(prompts, format, WaveFormatChoices(0), "Seleccione formato")) {
        return false;
    }
    LWaveFileFormat::SaveRememberedFormat(format);
    return true;
}

bool AskRawFileFormat(Prompts& prompts, RawFileFormat& format) {
    FormatPrompts* questions = FormatQuestionsOf(prompts);
    return questions != nullptr && questions->AskRawFileFormat(format);
}

bool AskMp3EncoderSettings(Prompts& prompts, Mp3EncoderSettings& settings) {
    FormatPrompts* questions = FormatQuestionsOf(prompts);
    return questions == nullptr || questions->AskMp3EncoderSettings(settings);
}

bool AskCompressionSettings(Prompts& prompts, CompressedFormat format,
                            CompressionSettings& settings) {
    FormatPrompts* questions = FormatQuestionsOf(prompts);
    return questions == nullptr || questions->AskCompressionSettings(format, settings);
}

}  // namespace sonvara
