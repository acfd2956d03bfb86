#pragma once
// LSRCTimeStretch: changes the speed of sound without changing its pitch, by overlapping
// segments. The output is made of segments of S samples (about 11 ms); during the first half of a
// segment the "old" stream plays alone, during the second half it cross-fades with a raised
// cosine into the "new" stream, which starts a hop further on in the input. At the segment's end
// the new stream becomes the old one and the next new stream starts another hop further. So the
// output advances S samples per segment while the input advances the hop: a hop longer than S
// shortens the sound, a shorter one lengthens it.
//
// The new stream does not start exactly a hop on: it starts where, within half a segment of that
// point, its waveform best matches the old stream over the cross-fade (the largest normalised
// correlation). Without this the splices would jump in phase and a steady tone would come out
// at another pitch. The offsets do not add up: every nominal start lies exactly a whole number of
// hops from the first, so the length follows the speed.
//
// Positions are interleaved samples and every stream position is a whole frame. The input is
// read forwards through a buffer; a stream position outside what the buffer can reach by reading
// on is sought. A negative hop steps the segments backwards through the input while each segment
// still plays forwards: the sound is heard backwards in short pieces, as the wind transport
// wants. With a ramp, the hop moves from the start speed to the end speed over the ramp time.
//
// Position and length are in output frames from where the upstream was when the stretch was
// made. The length is known only for a positive hop without a ramp; otherwise the output does not
// end (INT32_MAX).

#include <cstdint>
#include <vector>

#include "audio/sound_source.h"

namespace sonvara {

class LSRCTimeStretch : public LSoundSourceBase {
  public:
    LSRCTimeStretch(LSoundSourceRef upstream, double start_speed, double end_speed,
                    std::int32_t ramp_ms);

    void Read(Sample* buffer, std::int32_t frames) override;
    std::int32_t GetPosition() const override;
    std::int32_t GetLength() const override;
    // Starts afresh at the input frame that output frame `frame` stands for.
    void Seek(std::int32_t frame) override;

    // The input frame heard at output frame `output_frame` (at or after the last start or seek):
    // the segments' hops added up, and within a segment the old stream's frame while it plays
    // alone, fading into the new stream's as the cross-fade does (the search's offsets aside), as
    // a play cursor shows it. Reads only what Seek and the constructor set, so the thread that
    // seeks may ask while another thread reads.
    std::int64_t InputFrameAt(std::int64_t output_frame) const;
    // The output frame that Seek takes to reach input frame `input_frame`.
    std::int32_t OutputFrameFor(std::int32_t input_frame) const;

    std::int32_t SegmentSamples() const { return segment_; }
    std::int32_t Hop() const { return hop_; }
    const std::vector<std::int32_t>& Window() const { return window_; }

  private:
    void Start(std::int64_t output_frame, std::int64_t input_frame);
    void NextSegment();
    // The input samples [position, position + count), read on or sought as needed; valid until
    // the next call.
    const Sample* Fetch(std::int64_t position, std::int64_t count);
    void ReadUpstream(Sample* into, std::int64_t samples);
    // The offset in frames, within ±search_frames_, at which `candidates` (the input from
    // search_frames_ frames before the nominal start) best continues the old stream.
    std::int64_t BestOffset(const Sample* candidates);
    // Input frames per segment, when the hop is positive and fixed; else 0.
    std::int64_t FixedHopFrames() const;

    LSoundSourceRef upstream_;
    std::int32_t channels_;
    std::int32_t segment_;  // S, in samples
    std::int32_t hop_;      // in samples, before alignment to frames
    std::int32_t end_hop_;
    std::int64_t ramp_left_;
    bool ramping_;
    std::int32_t search_frames_;        // half a segment
    std::vector<std::int32_t> window_;  // S weights of the old stream, unity 2^24

    // The buffered input: samples [cache_start_, cache_start_ + cache_length_); the upstream
    // stands at upstream_at_.
    std::vector<Sample> cache_;
    std::int64_t cache_start_ = 0;
    std::int64_t cache_length_ = 0;
    std::int64_t upstream_at_ = 0;

    // The cross-fade half of the old stream and the candidates for the new one, summed over the
    // channels, for the search.
    std::vector<float> reference_, candidates_;

    std::vector<Sample> old_;    // S samples
    std::vector<Sample> fresh_;  // 2 S samples: this segment's new stream, then the next old
    std::int64_t nominal_ = 0;   // where the new stream would start without the search
    std::int32_t k_ = 0;         // the next sample of the segment

    // Output frame origin_output_ stands for input frame origin_input_.
    std::int64_t origin_output_ = 0;
    std::int64_t origin_input_ = 0;
    std::int64_t output_frames_ = 0;  // made since the origin
    // The hop and the ramp left at the origin, for InputFrameAt.
    std::int32_t origin_hop_ = 0;
    std::int64_t origin_ramp_left_ = 0;
};

}  // namespace sonvara
