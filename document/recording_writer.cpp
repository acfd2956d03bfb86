#include "document/recording_writer.h"

#include <algorithm>

#include "document/cut_writer.h"

namespace sonvara {

LSNKRecordingWriter::LSNKRecordingWriter(std::int32_t sample_rate, int channels,
                                         LAudioCutTank& tank, std::int32_t limit_frames)
    : LSoundSinkBase(sample_rate, channels),
      tank_(tank),
      segment_frames_(GetSampleRate() * kSegmentSeconds),
      limit_frames_(std::max(limit_frames, 0)),
      kept_(GetSampleRate(), GetChannels()),
      journal_(tank) {}

void LSNKRecordingWriter::Write(const Sample* buffer, std::int32_t frames) {
    const bool reaches_limit = frames >= limit_frames_ - GetFramesWritten();
    frames = std::min(frames, limit_frames_ - GetFramesWritten());
    while (frames > 0 && !IsError()) {
        if (!writer_) {
            auto* segment = new LSNKCutListAudio(segment_, GetSampleRate(), GetChannels(), tank_);
            writer_ = LSoundSinkRef(segment);
            open_cut_ = segment->CutNumber();
            KeepForRecovery();
        }
        const std::int32_t n = std::min(frames, segment_frames_ - writer_->GetFramesWritten());
        writer_->Write(buffer, n);
        if (writer_->IsError()) {
            Fail(*writer_);
            return;
        }
        AddFramesWritten(n);
        buffer += static_cast<std::ptrdiff_t>(n) * GetChannels();
        frames -= n;
        if (writer_->GetFramesWritten() == segment_frames_) {
            FinishSegment();
        }
    }
    if (reaches_limit && !IsError()) {
        if (writer_) {
            FinishSegment();
        }
        if (!IsError()) {
            error_text_ = "llegó a la duración más larga que admite un archivo (" +
                          std::to_string(GetFramesWritten()) + " muestras)";
            SetError();
        }
    }
}

void LSNKRecordingWriter::Truncate(std::int32_t frames) {
    if (IsError()) {
        return;
    }
    frames = std::clamp(frames, 0, GetFramesWritten());
    const std::int32_t kept = kept_.GetLength();
    if (frames >= kept && writer_) {
        // Finished there, so that a segment's file never holds frames beyond what it keeps (a
        // recovery takes the segment being written up to the end of its file).
        writer_->Truncate(frames - kept);
        FinishSegment();
    } else if (frames < kept) {
        // The segment being written goes unfinished, and its files with it.
        writer_ = LSoundSinkRef();
        open_cut_ = kSilentCut;
        kept_.TrimEnd(frames);
        KeepForRecovery();
    }
    SetFramesWritten(frames);
}

bool LSNKRecordingWriter::Finish() {
    if (writer_ && !IsError()) {
        FinishSegment();
    }
    return !IsError();
}

void LSNKRecordingWriter::FinishSegment() {
    if (!writer_->Finish()) {
        Fail(*writer_);
        return;
    }
    kept_.Insert(kept_.GetLength(), segment_);
    segment_.Clear();
    writer_ = LSoundSinkRef();
    open_cut_ = kSilentCut;
    KeepForRecovery();
}

void LSNKRecordingWriter::Fail(const LSoundSinkBase& writer) {
    error_text_ = writer.ErrorText();
    writer_ = LSoundSinkRef();
    open_cut_ = kSilentCut;
    segment_.Clear();
    SetError();
    KeepForRecovery();
}

void LSNKRecordingWriter::KeepForRecovery() {
    journal_.Keep("Grabación", kept_, open_cut_);
}

}  // namespace sonvara
