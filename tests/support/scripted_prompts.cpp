#include "tests/support/scripted_prompts.h"

namespace sonvara::testing {

PromptAnswer ScriptedPrompts::Ask(const PromptMessage& message) {
    asked_.push_back(message);
    if (!answers_.empty()) {
        PromptAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return AgreeingAnswer(message.buttons);
}

bool ScriptedPrompts::ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                                       const std::string& title) {
    format_requests_.push_back({format, choices, title});
    if (formats_.empty()) {
        return false;
    }
    format = formats_.front();
    formats_.pop_front();
    return true;
}

bool ScriptedPrompts::AskRawFileFormat(RawFileFormat& format) {
    raw_requests_.push_back(format);
    if (raw_formats_.empty()) {
        return false;
    }
    format = raw_formats_.front();
    raw_formats_.pop_front();
    return true;
}

bool ScriptedPrompts::AskMp3EncoderSettings(Mp3EncoderSettings& settings) {
    mp3_requests_.push_back(settings);
    if (mp3_settings_.empty()) {
        return false;
    }
    settings = mp3_settings_.front();
    mp3_settings_.pop_front();
    return true;
}

bool ScriptedPrompts::AskCompressionSettings(CompressedFormat format,
                                             CompressionSettings& settings) {
    compression_requests_.push_back(format);
    if (compressions_.empty()) {
        return false;
    }
    settings = compressions_.front();
    compressions_.pop_front();
    return true;
}

}  // namespace sonvara::testing
