#include "formats/format_prompts.h"

#include "audio/wav/wave_file_format.h"

namespace sonvara {

FormatPrompts* FormatQuestionsOf(Prompts& prompts) {
    return dynamic_cast<FormatPrompts*>(&prompts);
}

bool ChooseWaveFileFormat(Prompts& prompts, FormatArea& format, int channels,
                          const std::string& title) {
    FormatPrompts* questions = FormatQuestionsOf(prompts);
    for (;;) {
        if (questions == nullptr || !questions->ChooseWaveFormat(format, channels, title)) {
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
    if (!ChooseWaveFileFormat(prompts, format, 0, "Seleccione formato")) {
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
