#include "document/cut_writer.h"

#include <algorithm>
#include <bit>

namespace sonvara {

static_assert(std::endian::native == std::endian::little,
              "cut files hold the samples as they lie in memory");

LSNKCutListAudio::LSNKCutListAudio(LCutListAudio& target, std::int32_t sample_rate, int channels,
                                   LAudioCutTank& tank)
    : LSoundSinkBase(sample_rate, channels),
      target_(target),
      cut_(CutRef::Adopt(tank, tank.GetNewRefAndIncRef())),
      bytes_per_frame_(GetChannels() * static_cast<int>(sizeof(Sample))),
      high_(static_cast<std::size_t>(GetChannels()), 0),
      low_(static_cast<std::size_t>(GetChannels()), 0) {
    // Without a number or files the audio is lost and the cut reads as silence.
    if (!cut_.IsSilent()) {
        audio_.Open(tank.GetAudFilePath(cut_.Number()), FileAccess::kReadWrite, FileSharing::kNone,
                    FileDisposition::kCreateAlways);
        graph_.Open(tank.GetGrfFilePath(cut_.Number()), FileAccess::kReadWrite, FileSharing::kNone,
                    FileDisposition::kCreateAlways);
    }
}

LSNKCutListAudio::~LSNKCutListAudio() {
    if (block_fill_ != 0) {
        graph_buffer_.clear();
        WriteGraphRecord();
        graph_.Write(graph_buffer_.data(), graph_buffer_.size());
    }
    target_.Clear();
    // A writer that got nothing leaves an empty document rather than a record of no frames,
    // which no edit could remove.
    if (GetFramesWritten() > 0) {
        LCutRecord record;
        record.cut = cut_;
        record.length = GetFramesWritten();
        target_.Records().Append(std::move(record));
    }
    target_.SetFormat(GetSampleRate(), GetChannels());
    audio_.Close();
    graph_.Close();
}

void LSNKCutListAudio::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    AddFramesWritten(frames);
    audio_.Write(buffer,
                 static_cast<std::size_t>(frames) * static_cast<std::size_t>(bytes_per_frame_));
    graph_buffer_.clear();
    FeedGraph(buffer, frames);
    graph_.Write(graph_buffer_.data(), graph_buffer_.size());
}

void LSNKCutListAudio::FeedGraph(const Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    while (frames > 0) {
        const std::int32_t piece = std::min(frames, kGraphBlockFrames - block_fill_);
        for (int c = 0; c < channels; ++c) {
            Sample high = high_[static_cast<std::size_t>(c)];
            Sample low = low_[static_cast<std::size_t>(c)];
            for (std::int32_t f = 0; f < piece; ++f) {
                const Sample s = buffer[static_cast<std::ptrdiff_t>(f) * channels + c];
                high = std::max(high, s);
                low = std::min(low, s);
            }
            high_[static_cast<std::size_t>(c)] = high;
            low_[static_cast<std::size_t>(c)] = low;
        }
        buffer += static_cast<std::ptrdiff_t>(piece) * channels;
        frames -= piece;
        block_fill_ += piece;
        if (block_fill_ == kGraphBlockFrames) {
            WriteGraphRecord();
        }
    }
}

void LSNKCutListAudio::WriteGraphRecord() {
    for (std::size_t c = 0; c < high_.size(); ++c) {
        graph_buffer_.push_back(GraphByte(high_[c]));
        graph_buffer_.push_back(GraphByte(low_[c]));
    }
    std::fill(high_.begin(), high_.end(), 0);
    std::fill(low_.begin(), low_.end(), 0);
    block_fill_ = 0;
}

void LSNKCutListAudio::Truncate(std::int32_t frames) {
    frames = std::max(frames, 0);
    SetFramesWritten(frames);
    if (audio_.IsValid() && graph_.IsValid()) {
        audio_.Seek(std::int64_t{frames} * bytes_per_frame_);
        graph_.Seek(std::int64_t{frames / kGraphBlockFrames} * GetChannels() * 2);
    }
    std::fill(high_.begin(), high_.end(), 0);
    std::fill(low_.begin(), low_.end(), 0);
    block_fill_ = frames % kGraphBlockFrames;
}

}  // namespace sonvara
