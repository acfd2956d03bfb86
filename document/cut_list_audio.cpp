#include "document/cut_list_audio.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sonvara {
namespace {

using Iterator = LList<LCutRecord>::Iterator;

std::int32_t ClampFrames(std::int64_t frames) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(frames, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

LCutRecord SilentRecord(std::int32_t frames) {
    LCutRecord record;
    record.length = frames;
    return record;
}

// Splits the iterator's record `offset` frames in (0 < offset < length): a copy holding the head
// goes before it and the record keeps the tail, so that inserting before the iterator puts
// records between the two parts.
void SplitAt(LList<LCutRecord>& records, const Iterator& it, std::int32_t offset) {
    LCutRecord& record = it.Current();
    LCutRecord head = record;
    head.length = offset;
    record.start += offset;
    record.length -= offset;
    records.InsertBefore(it, std::move(head));
}

// Walks to `pos` (>= 0): returns an iterator on the record that starts there (after splitting
// the record that holds it), or an invalid one with `*short_by` set to how far the list ends
// before `pos`.
Iterator WalkTo(LList<LCutRecord>& records, std::int64_t pos, std::int64_t* short_by) {
    std::int64_t p = 0;
    Iterator it = records.First();
    while (it.Valid()) {
        const std::int32_t length = it.Current().length;
        if (pos == p) {
            return it;
        }
        if (pos < p + length) {
            SplitAt(records, it, static_cast<std::int32_t>(pos - p));
            return it;
        }
        p += length;
        it.Next();
    }
    *short_by = pos - p;
    return it;
}

}  // namespace

void LCutListAudio::SetFormat(std::int32_t sample_rate, int channels) {
    sample_rate_ = sample_rate;
    channels_ = static_cast<std::uint8_t>(channels);
}

std::int32_t LCutListAudio::GetLength() const {
    std::int64_t length = 0;
    for (const LCutRecord& record : records_) {
        length += record.length;
    }
    return ClampFrames(length);
}

void LCutListAudio::EfDelete(std::int32_t start, std::int32_t end) {
    if (end < start || end < 0) {
        return;
    }
    const std::int64_t s = std::max(start, 0);
    std::int64_t stop = end;
    std::int64_t p = 0;  // the first frame of the current record; never beyond s
    Iterator it = records_.First();
    while (it.Valid()) {
        LCutRecord& record = it.Current();
        const std::int64_t record_end = p + record.length;
        if (s >= record_end) {
            p = record_end;
            it.Next();
        } else if (stop >= record_end) {
            // The record's part from s on goes, and everything after it moves left.
            stop -= record_end - s;
            if (p < s) {
                record.length = static_cast<std::int32_t>(s - p);
                p = s;
                it.Next();
            } else {
                records_.Delete(it);
            }
        } else {
            if (p < s) {
                // s and the end both lie inside: keep [p, s), then the part from the end on.
                SplitAt(records_, it, static_cast<std::int32_t>(s - p));
            }
            const auto k = static_cast<std::int32_t>(stop - s);
            it.Current().start += k;
            it.Current().length -= k;
            return;
        }
    }
}

void LCutListAudio::InsertSilence(std::int32_t pos, std::int32_t frames) {
    InsertSilenceWide(pos, frames);
}

void LCutListAudio::InsertSilenceWide(std::int64_t pos, std::int64_t frames) {
    if (pos < 0) {
        if (frames < -pos) {
            return;
        }
        frames += pos;
        pos = 0;
    }
    if (frames <= 0 && pos <= GetLength()) {
        return;
    }
    std::int64_t short_by = 0;
    Iterator it = WalkTo(records_, pos, &short_by);
    // Beyond the end the silence also fills the gap up to `pos`.
    const std::int32_t length = ClampFrames(frames + short_by);
    if (length > 0) {
        records_.InsertBefore(it, SilentRecord(length));
    }
}

void LCutListAudio::Insert(std::int32_t pos, const LCutListAudio& other) {
    if (&other == this) {
        // Pasting a list into itself would walk into the records it is inserting.
        const LCutListAudio copy = other;
        Insert(pos, copy);
        return;
    }
    std::int64_t short_by = 0;
    Iterator it = WalkTo(records_, std::max(pos, 0), &short_by);
    if (short_by > 0) {
        records_.InsertBefore(it, SilentRecord(ClampFrames(short_by)));
    }
    for (const LCutRecord& record : other.records_) {
        records_.InsertBefore(it, record);
    }
    // Pasting before frame 0 puts the pasted audio first and as much silence after it.
    if (pos < 0 && it.Valid()) {
        records_.InsertBefore(it, SilentRecord(ClampFrames(-std::int64_t{pos})));
    }
}

void LCutListAudio::EfCopy(std::int32_t start, std::int32_t end, LCutListAudio& destination) const {
    if (start > end) {
        return;
    }
    // Only the records that overlap [start, end) are copied, so a copy costs time in proportion
    // to what it takes, not to the whole list. Parts of the range outside the list are silence.
    const std::int64_t width = std::int64_t{end} - start;
    LList<LCutRecord> copied;
    std::int64_t filled = std::clamp<std::int64_t>(-std::int64_t{start}, 0, width);
    if (filled > 0) {
        copied.Append(SilentRecord(ClampFrames(filled)));
    }
    const std::int64_t from = std::max(start, 0);
    std::int64_t p = 0;
    for (const LCutRecord& record : records_) {
        if (p >= end) {
            break;
        }
        const std::int64_t record_end = p + record.length;
        const std::int64_t first = std::max(p, from);
        const std::int64_t last = std::min<std::int64_t>(record_end, end);
        if (last > first) {
            LCutRecord piece = record;
            piece.start = ClampFrames(piece.start + (first - p));
            piece.length = ClampFrames(last - first);
            copied.Append(std::move(piece));
            filled += last - first;
        }
        p = record_end;
    }
    if (filled < width) {
        copied.Append(SilentRecord(ClampFrames(width - filled)));
    }
    destination.SetFormat(sample_rate_, channels_);
    destination.records_ = std::move(copied);
}

void LCutListAudio::Cut(std::int32_t start, std::int32_t end, LCutListAudio& destination) {
    EfCopy(start, end, destination);
    EfDelete(start, end);
}

void LCutListAudio::Replace(std::int32_t start, std::int32_t end, const LCutListAudio& other) {
    EfDelete(start, end);
    Insert(start, other);
}

void LCutListAudio::Silence(std::int32_t start, std::int32_t end) {
    EfDelete(start, end);
    // In 64 bits: end - start need not fit in 32.
    InsertSilenceWide(start, std::int64_t{end} - start);
}

void LCutListAudio::TrimToRange(std::int32_t start, std::int32_t end) {
    std::int32_t removed = 0;
    if (start >= 1) {
        EfDelete(0, start);
        removed = start;
    }
    EfDelete(ClampFrames(std::int64_t{end} - removed), GetLength());
}

void LCutListAudio::TrimStart(std::int32_t pos) {
    if (pos > 0) {
        EfDelete(0, pos);
    }
}

void LCutListAudio::TrimEnd(std::int32_t pos) {
    EfDelete(pos, GetLength());
}

void LCutListAudio::Repeat(std::int32_t start, std::int32_t end, int times) {
    LCutListAudio stretch;
    EfCopy(start, end, stretch);
    for (int i = 0; i < times; ++i) {
        Insert(start, stretch);
    }
}

void LCutListAudio::EfAmplify(std::int32_t start, std::int32_t end, std::int32_t percent) {
    if (end < start || percent == 100) {
        return;
    }
    LCutListAudio stretch;
    Cut(start, end, stretch);
    stretch.EfAmplifyAll(percent);
    Insert(start, stretch);
}

void LCutListAudio::EfScaleGain(std::int32_t start, std::int32_t end, double factor) {
    if (end < start || factor == 1.0) {
        return;
    }
    LCutListAudio stretch;
    Cut(start, end, stretch);
    for (LCutRecord& record : stretch.records_) {
        const double scaled = std::round(static_cast<double>(record.gain) * factor);
        record.gain = ClampFrames(static_cast<std::int64_t>(std::clamp(scaled, -9.0e18, 9.0e18)));
    }
    Insert(start, stretch);
}

void LCutListAudio::EfAmplifyAll(std::int32_t percent) {
    if (percent == 100) {
        return;
    }
    for (LCutRecord& record : records_) {
        // Dividing first is what every stored gain was made with (1.0 at 50 % gives 8388600,
        // not 8388608). The product saturates at the 32-bit limits and nowhere else, so a
        // saturated gain still follows a later cut.
        record.gain = ClampFrames(std::int64_t{record.gain / 100} * percent);
    }
}

}  // namespace sonvara
