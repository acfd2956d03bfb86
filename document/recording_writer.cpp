#include "document/recording_writer.h"

#include <sys/stat.h>

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
        const std::int32_t before = writer_->GetFramesWritten();
        const std::int32_t n = std::min(frames, segment_frames_ - before);
        writer_->Write(buffer, n);
        if (writer_->IsError()) {
            Fail(*writer_, before + n);
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
        Fail(*writer_, writer_->GetFramesWritten());
        return;
    }
    kept_.Insert(kept_.GetLength(), segment_);
    segment_.Clear();
    writer_ = LSoundSinkRef();
    open_cut_ = kSilentCut;
    KeepForRecovery();
}

void LSNKRecordingWriter::Fail(const LSoundSinkBase& writer, std::int32_t frames_sent) {
    error_text_ = writer.ErrorText();
    KeepWhatReachedTheDisk(frames_sent);
    writer_ = LSoundSinkRef();
    open_cut_ = kSilentCut;
    segment_.Clear();
    SetError();
    KeepForRecovery();
}

void LSNKRecordingWriter::KeepWhatReachedTheDisk(std::int32_t frames_sent) {
    if (open_cut_ == kSilentCut) {
        return;
    }
    // The frames of the segment's file, as far as whole frames reached it (not its graph: the
    // views draw that stretch as the cut's peak allows).
    struct stat status {};
    const std::int64_t bytes_per_frame = std::int64_t{sizeof(Sample)} * GetChannels();
    const std::string path = tank_.GetAudFilePath(open_cut_);
    const std::int64_t on_disk =
        ::stat(path.c_str(), &status) == 0
            ? std::min<std::int64_t>(status.st_size / bytes_per_frame, frames_sent)
            : 0;
    if (on_disk <= 0) {
        return;
    }
    tank_.IncRef(open_cut_);
    LCutListAudio reached(GetSampleRate(), GetChannels());
    reached.Records().Append(LCutRecord{CutRef::Adopt(tank_, open_cut_),
                                        static_cast<std::int32_t>(on_disk), kUnityGain, 0});
    kept_.Insert(kept_.GetLength(), reached);
}

void LSNKRecordingWriter::KeepForRecovery() {
    journal_.Keep("Grabación", kept_, open_cut_);
}

}  // namespace sonvara
