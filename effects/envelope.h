#pragma once
// The envelope engine: a gain that moves in straight lines between points along the selection,
// applied frame by frame. Fade in and fade out are envelopes with two points.
//
// A byte point list is a count and (x, y) byte pairs: x places a point along the selection from
// 0 (its start) to 255 (its end); y is a level from 0 (silence) through 128 (unity) to 255 (about
// 199 %), standing for the gain y << 17.

#include <cstdint>
#include <utility>
#include <vector>

#include "audio/sound_source.h"
#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"

namespace sonvara {

struct BytePointList {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> points;  // (x, y)
};

// Fade in: {(0, 0), (255, 128)}; fade out: {(0, 128), (255, 0)}.
BytePointList FadeInPoints();
BytePointList FadeOutPoints();

// The envelope over `range` of the upstream's frames (the upstream's positions); the frames
// outside it pass as they are. The gain of each frame follows from its place alone, so any
// division of the reads and any seek give the same frames: within a segment from point level a
// to level b over n frames, frame k has the gain a + floor((b − a) × k ÷ n). A segment that
// points placed on one frame leave empty is skipped; after the last point its level holds.
// In error for fewer than two points.
class LSRCEnvelope : public LSoundSourceBase {
  public:
    LSRCEnvelope(LSoundSourceRef upstream, const BytePointList& envelope, FrameRange range);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override { return upstream_->GetPosition(); }
    std::int32_t GetLength() const override { return upstream_->GetLength(); }
    void Seek(std::int32_t frame) override;

  private:
    struct Segment {
        std::int64_t start;  // frames from the range's start
        std::int64_t end;
        std::int32_t from;
        std::int32_t to;
    };
    // Places the gain at frame `offset` of the range.
    void Enter(std::int64_t offset);

    LSoundSourceRef upstream_;
    FrameRange range_;
    std::vector<Segment> segments_;
    std::size_t segment_ = 0;
    std::int64_t expected_ = -1;  // the range offset the gain stands at; -1 after a seek
    // The gain is from + q with q = floor(delta × k ÷ n) kept as q and its remainder r, stepped
    // by whole frames without a division.
    std::int64_t gain_ = 0;
    std::int64_t remainder_ = 0;
    std::int64_t step_ = 0;
    std::int64_t step_remainder_ = 0;
    std::int64_t segment_frames_ = 1;
};

// Runs the envelope over `range` of `document` as a step of `process`. PROCESS_FAILED
// for fewer than two points; a reversed range does nothing. A cancel leaves the document as it
// was; the result has the selection's length.
ProcessResult ApplyEnvelope(LProgressDialog& process, LCutListAudio& document, FrameRange range,
                            const BytePointList& envelope);

// The envelope as a process ("Envelope"); EfFadeIn and EfFadeOut are this with the fixed lists.
class LEfEnvelope : public LProgressDialog {
  public:
    LEfEnvelope(LCutListAudio& document, FrameRange range, BytePointList envelope);

  protected:
    ProcessResult Body() override;

    LCutListAudio& Document() { return document_; }
    std::int32_t SelectionEnd() const { return range_.end; }

  private:
    LCutListAudio& document_;
    FrameRange range_;
    BytePointList envelope_;
};

class EfFadeIn : public LEfEnvelope {
  public:
    EfFadeIn(LCutListAudio& document, FrameRange range)
        : LEfEnvelope(document, range, FadeInPoints()) {}
};

class EfFadeOut : public LEfEnvelope {
  public:
    EfFadeOut(LCutListAudio& document, FrameRange range)
        : LEfEnvelope(document, range, FadeOutPoints()) {}
};

// Fade out and trim: the selection fades out, then everything after it goes. A cancelled fade
// trims nothing.
class EfFadeOutAndTrim : public EfFadeOut {
  public:
    using EfFadeOut::EfFadeOut;

  protected:
    ProcessResult Body() override;
};

}  // namespace sonvara
