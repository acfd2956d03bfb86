#pragma once
// Prompts for tests: records every message and answers from a queue (kOk/kYes when it is empty).
// Format choices, raw formats, MP3 and compression settings come from their own queues; an empty
// queue answers "cancelled".

#include <deque>
#include <vector>

#include "formats/format_prompts.h"

namespace sonvara::testing {

class ScriptedPrompts : public FormatPrompts {
  public:
    PromptAnswer Ask(const PromptMessage& message) override;
    bool ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                          const std::string& title) override;
    bool AskRawFileFormat(RawFileFormat& format) override;
    bool AskMp3EncoderSettings(Mp3EncoderSettings& settings) override;
    bool AskCompressionSettings(CompressedFormat format, CompressionSettings& settings) override;

    void QueueAnswer(PromptAnswer answer) { answers_.push_back(answer); }
    void QueueFormatChoice(const FormatArea& format) { formats_.push_back(format); }
    // The next raw-format question is answered with `format`; unanswered ones are cancelled.
    void QueueRawFormat(const RawFileFormat& format) { raw_formats_.push_back(format); }
    // The formats the raw-format questions started from.
    const std::vector<RawFileFormat>& RawFormatRequests() const { return raw_requests_; }
    void QueueMp3Settings(const Mp3EncoderSettings& settings) { mp3_settings_.push_back(settings); }
    // The settings the MP3 questions started from.
    const std::vector<Mp3EncoderSettings>& Mp3Requests() const { return mp3_requests_; }
    void QueueCompression(const CompressionSettings& settings) {
        compressions_.push_back(settings);
    }
    // The formats the compression questions were about.
    const std::vector<CompressedFormat>& CompressionRequests() const {
        return compression_requests_;
    }
    const std::vector<PromptMessage>& Asked() const { return asked_; }

    struct FormatRequest {
        FormatArea offered;
        std::vector<FormatChoice> choices;
        std::string title;
    };
    const std::vector<FormatRequest>& FormatRequests() const { return format_requests_; }

  private:
    std::deque<PromptAnswer> answers_;
    std::deque<FormatArea> formats_;
    std::deque<RawFileFormat> raw_formats_;
    std::vector<RawFileFormat> raw_requests_;
    std::deque<Mp3EncoderSettings> mp3_settings_;
    std::vector<Mp3EncoderSettings> mp3_requests_;
    std::deque<CompressionSettings> compressions_;
    std::vector<CompressedFormat> compression_requests_;
    std::vector<PromptMessage> asked_;
    std::vector<FormatRequest> format_requests_;
};

}  // namespace sonvara::testing
