#pragma once
// The batch tool's answers to the questions a process asks: messages go to stderr (and are
// answered "OK"/"Yes"), the WAV format and the raw-file format come from the command line.

#include <cstdint>
#include <optional>
#include <string>

#include "formats/format_prompts.h"

namespace sonvara {

class BatchPrompts : public FormatPrompts {
  public:
    PromptAnswer Ask(const PromptMessage& message) override;
    // Answers once with the format named by --wav-format (adjusted to the document's rate and
    // channels); a second question means that format could not be used, and is a cancel.
    bool ChooseWaveFormat(FormatArea& format, const std::vector<FormatChoice>& choices,
                          const std::string& title) override;
    // Answers with the --raw-* options laid over the stored settings.
    bool AskRawFileFormat(RawFileFormat& format) override;

    void SetWaveFormat(const FormatArea& format) { wave_format_ = format; }
    // How many messages went to stderr so far.
    int MessagesShown() const { return messages_shown_; }
    void SetRawOverrides(std::optional<int> rate, std::optional<int> encoding,
                         std::optional<int> channels);

  private:
    int messages_shown_ = 0;
    std::optional<FormatArea> wave_format_;
    bool wave_format_given_ = false;
    std::optional<int> raw_rate_;
    std::optional<int> raw_encoding_;
    std::optional<int> raw_channels_;
};

// The format a --wav-format NAME means for a document of `rate` and `channels`: a codec's name as
// the chooser shows it or a short name (pcm8, pcm16, pcm24, pcm32, float, ulaw, alaw, ima, ms),
// at the offered rate nearest to `rate`, then moved to `rate` itself.
std::optional<FormatArea> WaveFormatByName(const std::string& name, std::uint32_t rate,
                                           int channels);

}  // namespace sonvara
