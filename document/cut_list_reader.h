#pragma once
// LSRCCutListAudio: reads a cut list as a sound source. It works on its own copy of the list (a
// snapshot), so edits made while it reads (during playback) do not disturb it, and the cut files
// it reads stay alive as long as it does. Silent records read as zeros; a record whose file is
// missing or shorter than the record says reads as zeros too, and puts the source in error, with
// a message naming the working folder (a save must not write silence in its place). A record's
// gain is applied with the split multiply. The loudest sample
// it declares follows from the peaks its cuts' writers saw and the records' gains, so that a
// save of audio that cannot clip needs no limiter.

#include <cstdint>
#include <string>

#include "audio/sound_source.h"
#include "core/file.h"
#include "document/cut_list_audio.h"

namespace sonvara {

class LSRCCutListAudio : public LSoundSourceBase {
  public:
    explicit LSRCCutListAudio(const LCutListAudio& list);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return position_; }
    std::int32_t GetLength() const override { return length_; }
    void Seek(std::int32_t frame) override;
    std::string ErrorText() const override { return error_text_; }

  private:
    // Makes `record` the current one, `offset` frames in.
    void Enter(const LCutRecord& record, std::int32_t offset);
    void ReadRecordFrames(Sample* out, std::int32_t frames);
    // The record's cut file is missing or short.
    void Lost(const std::string& path);

    LCutListAudio snapshot_;
    LList<LCutRecord>::Iterator next_;
    LFile file_;
    std::uint16_t open_cut_ = kSilentCut;  // the cut `file_` holds open, and its file
    std::string open_path_;
    std::int32_t left_in_record_ = 0;
    std::int32_t gain_ = kUnityGain;
    std::int32_t position_ = 0;
    std::int32_t length_;
    std::string error_text_;
};

}  // namespace sonvara
