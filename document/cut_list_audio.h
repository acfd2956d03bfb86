#pragma once
// LCutListAudio: an edited sound as a sample rate, a channel count and an ordered list of cut
// records, each a stretch of one cut file with its own gain. Edits rearrange and rewrite the
// records and never touch audio, so every operation costs time in proportion to the number of
// records.
//
// Positions are frames from 0 at the start of the first record; a range [start, end) includes
// start and excludes end. Used on the interface thread; readers take a snapshot (a copy).

#include <cstdint>

#include "audio/split_multiply.h"
#include "core/llist.h"
#include "document/cut_ref.h"

namespace sonvara {

struct LCutRecord {
    CutRef cut;               // the silent cut reads as zeros
    std::int32_t length = 0;  // frames, at least 1 in a well-formed list
    std::int32_t gain = kUnityGain;
    std::int32_t start = 0;  // the first frame of the stretch in the cut's .aud file
};

class LCutListAudio {
  public:
    LCutListAudio() = default;
    LCutListAudio(std::int32_t sample_rate, int channels)
        : sample_rate_(sample_rate), channels_(static_cast<std::uint8_t>(channels)) {}

    std::int32_t GetSampleRate() const { return sample_rate_; }
    int GetChannels() const { return channels_; }
    void SetFormat(std::int32_t sample_rate, int channels);

    LList<LCutRecord>& Records() { return records_; }
    const LList<LCutRecord>& Records() const { return records_; }
    // The sum of the records' lengths.
    std::int32_t GetLength() const;
    void Clear() { records_.Clear(); }

    // Removes [start, end); a negative start counts as 0. Nothing when end < start or end < 0.
    void EfDelete(std::int32_t start, std::int32_t end);
    // Inserts `frames` frames of silence at `pos`; the part of them before frame 0 is dropped,
    // and a `pos` beyond the end also fills the gap up to it.
    void InsertSilence(std::int32_t pos, std::int32_t frames);
    // Makes `destination` this list's [start, end), end - start frames long, padded with silence
    // where the range lies outside the list. Nothing when start > end.
    void EfCopy(std::int32_t start, std::int32_t end, LCutListAudio& destination) const;
    // EfCopy, then EfDelete.
    void Cut(std::int32_t start, std::int32_t end, LCutListAudio& destination);
    // Inserts copies of `other`'s records at `pos` (silence fills a gap beyond the end; a
    // negative `pos` puts the copies first and silence of -pos frames after them). `other`'s
    // format is not looked at: callers convert first.
    void Insert(std::int32_t pos, const LCutListAudio& other);
    // EfDelete(start, end), then Insert(start, other).
    void Replace(std::int32_t start, std::int32_t end, const LCutListAudio& other);
    // EfDelete(start, end), then InsertSilence(start, end - start).
    void Silence(std::int32_t start, std::int32_t end);
    // Keeps only [start, end).
    void TrimToRange(std::int32_t start, std::int32_t end);
    // Removes [0, pos) when pos > 0.
    void TrimStart(std::int32_t pos);
    // Removes everything from `pos` on.
    void TrimEnd(std::int32_t pos);
    // [start, end) occurs times + 1 times in a row afterwards.
    void Repeat(std::int32_t start, std::int32_t end, int times);
    // Scales the gain of [start, end) by `percent`.
    void EfAmplify(std::int32_t start, std::int32_t end, std::int32_t percent);
    // Scales every record's gain by `percent`, in the fixed integer steps the files rely on:
    // (gain / 100) * percent, saturating at the 32-bit limits.
    void EfAmplifyAll(std::int32_t percent);
    // Scales the gain of [start, end) by `factor` to the gains' own precision, where a whole
    // percent is too coarse (a gain to reach a loudness); saturating at the 32-bit limits.
    void EfScaleGain(std::int32_t start, std::int32_t end, double factor);

  private:
    void InsertSilenceWide(std::int64_t pos, std::int64_t frames);

    std::int32_t sample_rate_ = 44100;
    std::uint8_t channels_ = 1;
    LList<LCutRecord> records_;
};

}  // namespace sonvara
