#include "document/cut_writer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include <unistd.h>

namespace sonvara {

static_assert(std::endian::native == std::endian::little,
              "cut files hold the samples as they lie in memory");

LSNKCutListAudio::LSNKCutListAudio(LCutListAudio& target, std::int32_t sample_rate, int channels,
                                   LAudioCutTank& tank)
    : LSoundSinkBase(sample_rate, channels),
      target_(target),
      tank_(tank),
      cut_(CutRef::Adopt(tank, tank.GetNewRefAndIncRef())),
      bytes_per_frame_(GetChannels() * static_cast<int>(sizeof(Sample))),
      high_(static_cast<std::size_t>(GetChannels()), 0),
      low_(static_cast<std::size_t>(GetChannels()), 0),
      squares_(static_cast<std::size_t>(GetChannels()), 0.0),
      piece_squares_(static_cast<std::size_t>(GetChannels()), 0.0) {
    // Without a number or files the audio cannot be kept. The level file is a help for the
    // view only: without it the peaks stand alone.
    if (cut_.IsSilent() ||
        !audio_.Open(tank.GetAudFilePath(cut_.Number()), FileAccess::kReadWrite, FileSharing::kNone,
                     FileDisposition::kCreateAlways) ||
        !graph_.Open(tank.GetGrfFilePath(cut_.Number()), FileAccess::kReadWrite, FileSharing::kNone,
                     FileDisposition::kCreateAlways)) {
        SetError();
        return;
    }
    levels_.Open(tank.GetRmsFilePath(cut_.Number()), FileAccess::kReadWrite, FileSharing::kNone,
                 FileDisposition::kCreateAlways);
}

bool LSNKCutListAudio::Finish() {
    if (block_fill_ != 0 && !IsError()) {
        graph_buffer_.clear();
        levels_buffer_.clear();
        WriteGraphRecord();
        WriteGraphBuffers();
    }
    if (IsError()) {
        return false;
    }
    FoldPeak();
    tank_.SetPeak(cut_.Number(), peak_);
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
    return true;
}

std::string LSNKCutListAudio::ErrorText() const {
    return "No se puede guardar el sonido en la carpeta de trabajo \"" + tank_.WorkingFolder() +
           "\" (no se puede crear, no se puede escribir o el disco está lleno).";
}

void LSNKCutListAudio::WriteOrFail(LFile& file, const void* bytes, std::size_t size) {
    if (!IsError() && file.Write(bytes, size) != size) {
        SetError();
    }
}

void LSNKCutListAudio::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0 || IsError()) {
        return;
    }
    AddFramesWritten(frames);
    WriteOrFail(audio_, buffer,
                static_cast<std::size_t>(frames) * static_cast<std::size_t>(bytes_per_frame_));
    graph_buffer_.clear();
    levels_buffer_.clear();
    FeedGraph(buffer, frames);
    WriteGraphBuffers();
}

void LSNKCutListAudio::WriteGraphBuffers() {
    WriteOrFail(graph_, graph_buffer_.data(), graph_buffer_.size());
    if (levels_.IsValid() &&
        levels_.Write(levels_buffer_.data(), levels_buffer_.size()) != levels_buffer_.size()) {
        // A half-written level file would show wrong levels: without it the peaks stand alone.
        const std::string path = tank_.GetRmsFilePath(cut_.Number());
        levels_.Close();
        ::unlink(path.c_str());
    }
}

namespace {

// Samples no larger than this in magnitude square to at most 2^44, so the squares of a whole graph
// block (256 frames a channel) sum to less than 2^53: every partial sum is an integer a double
// holds exactly, and any order of the additions gives the same sum.
constexpr Sample kExactSquareLimit = Sample{1} << 22;

constexpr std::size_t kLanes = 8;
using SampleLanes = std::int32_t __attribute__((vector_size(kLanes * sizeof(Sample))));
// The squares go in two halves of four lanes: eight doubles at once make poor code for AVX2.
using HalfSampleLanes = std::int32_t __attribute__((vector_size(kLanes / 2 * sizeof(Sample))));
using HalfSquareLanes = double __attribute__((vector_size(kLanes / 2 * sizeof(double))));

// The largest and smallest sample of each channel over `frames` interleaved frames, folded into
// `high` and `low`, and the squares of each channel's samples summed into `squares` (in an order
// of their own: exact only while every sample is within kExactSquareLimit). The samples run
// through eight lanes (a multiple of one and of two channels, so each lane always sees the same
// channel), folded into their channels at the end. Built for AVX2 and for any x86-64.
__attribute__((target_clones("avx2", "default"))) void PeaksAndSquaresOf(const Sample* buffer,
                                                                         std::int32_t frames,
                                                                         int channels, Sample* high,
                                                                         Sample* low,
                                                                         double* squares) {
    const std::size_t samples =
        static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels);
    std::size_t i = 0;
    if (kLanes % static_cast<std::size_t>(channels) == 0) {
        SampleLanes top{};
        SampleLanes bottom{};
        HalfSquareLanes first_sums{};
        HalfSquareLanes second_sums{};
        for (; i + kLanes <= samples; i += kLanes) {
            SampleLanes lanes;
            std::memcpy(&lanes, buffer + i, sizeof lanes);
            top = lanes > top ? lanes : top;
            bottom = lanes < bottom ? lanes : bottom;
            HalfSampleLanes first;
            HalfSampleLanes second;
            std::memcpy(&first, buffer + i, sizeof first);
            std::memcpy(&second, buffer + i + kLanes / 2, sizeof second);
            const auto first_wide = __builtin_convertvector(first, HalfSquareLanes);
            const auto second_wide = __builtin_convertvector(second, HalfSquareLanes);
            first_sums += first_wide * first_wide;
            second_sums += second_wide * second_wide;
        }
        for (std::size_t k = 0; k < kLanes; ++k) {
            const std::size_t c = k % static_cast<std::size_t>(channels);
            high[c] = std::max(high[c], top[k]);
            low[c] = std::min(low[c], bottom[k]);
            squares[c] += k < kLanes / 2 ? first_sums[k] : second_sums[k - kLanes / 2];
        }
    }
    for (; i < samples; ++i) {
        const std::size_t c = i % static_cast<std::size_t>(channels);
        high[c] = std::max(high[c], buffer[i]);
        low[c] = std::min(low[c], buffer[i]);
        const auto s = static_cast<double>(buffer[i]);
        squares[c] += s * s;
    }
}

// Adds the squares of each channel's samples over `frames` interleaved frames to `squares`, in
// the order the level files have always been summed in (lanes of eight, each lane's additions in
// sample order, then the lanes in turn): for blocks whose squares a double cannot hold exactly.
void SquaresOf(const Sample* buffer, std::int32_t frames, int channels, double* squares) {
    std::array<double, kLanes> lane{};
    const std::size_t samples =
        static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels);
    std::size_t i = 0;
    if (kLanes % static_cast<std::size_t>(channels) == 0) {
        for (; i + kLanes <= samples; i += kLanes) {
            for (std::size_t k = 0; k < kLanes; ++k) {
                const auto s = static_cast<double>(buffer[i + k]);
                lane[k] += s * s;
            }
        }
        for (std::size_t k = 0; k < kLanes; ++k) {
            squares[k % static_cast<std::size_t>(channels)] += lane[k];
        }
    }
    for (; i < samples; ++i) {
        const auto s = static_cast<double>(buffer[i]);
        squares[i % static_cast<std::size_t>(channels)] += s * s;
    }
}

}  // namespace

std::uint8_t LevelByte(double squares, std::int32_t frames) {
    if (frames <= 0) {
        return 0;
    }
    const double rms = std::sqrt(squares / frames);
    return static_cast<std::uint8_t>(std::min(rms / 2048.0, 255.0));
}

void LSNKCutListAudio::FeedPiece(const Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    std::fill(piece_squares_.begin(), piece_squares_.end(), 0.0);
    PeaksAndSquaresOf(buffer, frames, channels, high_.data(), low_.data(), piece_squares_.data());
    // high_ and low_ now hold the extremes of the whole block so far, this piece included.
    const bool exact =
        std::all_of(high_.begin(), high_.end(),
                    [](Sample high) { return high <= kExactSquareLimit; }) &&
        std::all_of(low_.begin(), low_.end(), [](Sample low) { return low >= -kExactSquareLimit; });
    if (exact) {
        for (std::size_t c = 0; c < squares_.size(); ++c) {
            squares_[c] += piece_squares_[c];
        }
    } else {
        SquaresOf(buffer, frames, channels, squares_.data());
    }
    squared_frames_ += frames;
}

void LSNKCutListAudio::FeedGraph(const Sample* buffer, std::int32_t frames) {
    const int channels = GetChannels();
    while (frames > 0) {
        const std::int32_t piece = std::min(frames, kGraphBlockFrames - block_fill_);
        FeedPiece(buffer, piece);
        buffer += static_cast<std::ptrdiff_t>(piece) * channels;
        frames -= piece;
        block_fill_ += piece;
        if (block_fill_ == kGraphBlockFrames) {
            WriteGraphRecord();
        }
    }
}

void LSNKCutListAudio::FoldPeak() {
    for (std::size_t c = 0; c < high_.size(); ++c) {
        const std::int64_t low = -std::int64_t{low_[c]};
        peak_ = std::max(
            {peak_, high_[c], static_cast<Sample>(std::min<std::int64_t>(low, kUnknownPeakLimit))});
    }
}

void LSNKCutListAudio::WriteGraphRecord() {
    FoldPeak();
    for (std::size_t c = 0; c < high_.size(); ++c) {
        graph_buffer_.push_back(GraphByte(high_[c]));
        graph_buffer_.push_back(GraphByte(low_[c]));
        levels_buffer_.push_back(LevelByte(squares_[c], squared_frames_));
    }
    ClearBlock();
    block_fill_ = 0;
}

void LSNKCutListAudio::ClearBlock() {
    std::fill(high_.begin(), high_.end(), 0);
    std::fill(low_.begin(), low_.end(), 0);
    std::fill(squares_.begin(), squares_.end(), 0.0);
    squared_frames_ = 0;
}

void LSNKCutListAudio::Truncate(std::int32_t frames) {
    frames = std::max(frames, 0);
    SetFramesWritten(frames);
    // The samples kept before the new position may include some of this block.
    FoldPeak();
    if (!IsError() &&
        (!audio_.Seek(std::int64_t{frames} * bytes_per_frame_) ||
         !graph_.Seek(std::int64_t{frames / kGraphBlockFrames} * GetChannels() * 2))) {
        SetError();
    }
    if (levels_.IsValid()) {
        levels_.Seek(std::int64_t{frames / kGraphBlockFrames} * GetChannels());
    }
    ClearBlock();
    block_fill_ = frames % kGraphBlockFrames;
}

}  // namespace sonvara
