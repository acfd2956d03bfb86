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

#include "core/progress_dialog.h"
#include "document/cut_list_audio.h"
#include "document/frame_range.h"

namespace sonvara {

struct BytePointList {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> points;  // (x, y)
};

// The frame, from the start of a selection of `length` frames, at which a point at `x` lies.
std::int64_t EnvelopePointFrame(std::int64_t length, std::uint8_t x);

// Fade in: {(0, 0), (255, 128)}; fade out: {(0, 128), (255, 0)}.
BytePointList FadeInPoints();
BytePointList FadeOutPoints();

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
