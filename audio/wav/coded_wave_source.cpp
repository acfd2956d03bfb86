#include "audio/wav/coded_wave_source.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "audio/wav/data_reading.h"

namespace sonvara {
namespace {

constexpr std::int32_t kBufferFrames = 8192;

std::int32_t ToFrameCount(std::int64_t frames) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(frames, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

LSRCACMWave::LSRCACMWave(LFile file, const WaveFormat& format, std::uint32_t data_bytes)
    : FileSoundSource(static_cast<std::int32_t>(format.samples_per_sec), format.channels,
                      FULL_SCALE),
      file_(std::move(file)),
      rate_(format.samples_per_sec),
      avg_bytes_per_sec_(format.avg_bytes_per_sec != 0 ? format.avg_bytes_per_sec
                                                       : format.samples_per_sec) {
    if (!file_.IsValid() || IsError()) {
        SetError();
        return;
    }
    data_start_ = file_.Tell();
    data_bytes_ = HeldDataBytes(file_, data_start_, data_bytes);

    const WaveFormat pcm = WaveFormat::Pcm16(GetChannels(), format.samples_per_sec);
    CodecManager& codecs = CodecManager::Instance();
    if (codecs.OpenStream(format, pcm, 0, &stream_) != CodecResult::kOk &&
        codecs.OpenStream(format, pcm, kStreamOpenNonRealtime, &stream_) != CodecResult::kOk) {
        SetError();
        return;
    }
    // 8192 frames, or one decoded block when a codec's blocks are longer than that.
    std::size_t pcm_bytes = std::max<std::size_t>(
        static_cast<std::size_t>(kBufferFrames) * pcm.block_align, stream_->OutputBlockBytes());
    std::size_t compressed_bytes = stream_->SourceSizeFor(pcm_bytes);
    if (compressed_bytes == 0) {
        SetError();
        return;
    }
    pcm_.resize(pcm_bytes);
    compressed_.resize(compressed_bytes);
}

std::int64_t LSRCACMWave::DecodedFrames(const ReadStart& start, std::int64_t end) {
    return end - start.first;
}

std::int64_t LSRCACMWave::ReadFrames(std::int64_t /*first*/, Sample* out, std::int64_t count) {
    const int channels = GetChannels();
    std::int64_t missing = count;
    for (;;) {
        std::int64_t deliver = std::min(missing, pcm_frames_waiting_);
        std::int64_t samples = deliver * channels;
        for (std::int64_t i = 0; i < samples; ++i) {
            std::int16_t value;
            std::memcpy(&value, pcm_.data() + pcm_offset_ + 2 * static_cast<std::size_t>(i), 2);
            out[i] = SampleFrom16(value);
        }
        out += samples;
        pcm_offset_ += static_cast<std::size_t>(samples) * 2;
        pcm_frames_waiting_ -= deliver;
        missing -= deliver;
        if (missing == 0 || end_ >= 0) {
            return count - missing;
        }
        Decode(missing);
    }
}

void LSRCACMWave::Decode(std::int64_t missing) {
    const std::int64_t consumed = compressed_read_ - static_cast<std::int64_t>(compressed_fill_);
    if (stream_->VariableBlocks() && consumed > checkpoints_.back().offset) {
        checkpoints_.push_back({consumed, ToFrameCount(GetPosition() - missing)});
    }
    std::size_t space = compressed_.size() - compressed_fill_;
    std::size_t wanted = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(space), data_bytes_ - compressed_read_));
    std::size_t arrived =
        wanted > 0 ? file_.Read(compressed_.data() + compressed_fill_, wanted) : 0;
    compressed_read_ += static_cast<std::int64_t>(arrived);
    compressed_fill_ += arrived;
    const bool exhausted = arrived < space;

    StreamHeader header;
    header.source = compressed_.data();
    header.source_length = compressed_fill_;
    header.destination = pcm_.data();
    header.destination_length = pcm_.size();
    bool converted = stream_->Convert(header, kConvertBlockAlign);
    if (converted && header.destination_used == 0 && exhausted) {
        // The data is all read and no whole block is left: decode the shorter last block.
        converted = stream_->Convert(header, kConvertBlockAlign | kConvertEnd);
    }
    if (!converted || (header.destination_used == 0 && header.source_used == 0)) {
        // Bytes used without samples (skipped junk, a frame cut short) still move decoding on.
        FoundEnd(missing);
        return;
    }
    compressed_fill_ -= header.source_used;
    std::memmove(compressed_.data(), compressed_.data() + header.source_used, compressed_fill_);
    pcm_offset_ = 0;
    pcm_frames_waiting_ = static_cast<std::int64_t>(header.destination_used) / (2 * GetChannels());
    if (compressed_fill_ == 0 && compressed_read_ == data_bytes_) {
        // Every byte of the data is decoded: the end is right after the frames now waiting.
        end_ = ToFrameCount(GetPosition() - missing + pcm_frames_waiting_);
        length_ = end_;
    }
}

void LSRCACMWave::FoundEnd(std::int64_t missing) {
    end_ = ToFrameCount(GetPosition() - missing);
    length_ = end_;
    compressed_fill_ = 0;
}

std::int32_t LSRCACMWave::GetLength() const {
    if (IsError()) {
        return 0;
    }
    if (length_ >= 0) {
        return length_;
    }
    std::int64_t consumed = compressed_read_ - static_cast<std::int64_t>(compressed_fill_);
    std::int64_t undecoded = std::max<std::int64_t>(data_bytes_ - consumed, 0);
    std::int64_t known = std::int64_t{std::max(GetPosition(), 0)} + pcm_frames_waiting_;
    // Callers read until the position reaches the length. An estimate at or below the frames
    // already known would end them before the decoder has found the real end, and lose the
    // rest; one frame more keeps them reading until it has.
    return ToFrameCount(std::max(known + undecoded * rate_ / avg_bytes_per_sec_, known + 1));
}

void LSRCACMWave::Seek(std::int32_t frame) {
    if (IsError()) {
        return;
    }
    stream_->Reset();
    compressed_fill_ = 0;
    pcm_frames_waiting_ = 0;
    pcm_offset_ = 0;
    end_ = -1;
    if (length_ >= 0 && frame >= length_) {
        // Past the known end (which a damaged block may have set before the end of the data):
        // nothing to decode.
        end_ = length_;
        SetPosition(frame);
        return;
    }
    if (stream_->VariableBlocks()) {
        SeekCheckpoint(frame);
    } else {
        SeekBlock(frame);
    }
    if (frame > GetPosition()) {
        std::vector<Sample> discard(static_cast<std::size_t>(kBufferFrames) *
                                    static_cast<std::size_t>(GetChannels()));
        // Decoding may meet the end of the data before the target: the frames still waiting up
        // to it are dropped too.
        while (GetPosition() < frame && (end_ < 0 || GetPosition() < end_)) {
            Read(discard.data(), std::min(frame - GetPosition(), kBufferFrames));
        }
    }
    SetPosition(frame);
}

// Decoding restarts at the block that holds `frame` (the last block when `frame` lies past the
// data); the frames from the block's start up to `frame` are then decoded and dropped.
void LSRCACMWave::SeekBlock(std::int32_t frame) {
    const std::int64_t block_bytes = static_cast<std::int64_t>(stream_->InputBlockBytes());
    const std::int64_t block_frames =
        static_cast<std::int64_t>(stream_->OutputBlockBytes()) / (2 * GetChannels());
    std::int64_t block = 0;
    if (frame > 0 && data_bytes_ > 0) {
        block = std::min<std::int64_t>(frame / block_frames, (data_bytes_ - 1) / block_bytes);
    }
    compressed_read_ = block * block_bytes;
    file_.Seek(data_start_ + compressed_read_);
    SetPosition(ToFrameCount(block * block_frames));
}

void LSRCACMWave::SeekCheckpoint(std::int32_t frame) {
    const std::int64_t start =
        std::int64_t{frame} - static_cast<std::int64_t>(stream_->SeekPrerollFrames());
    auto after = std::upper_bound(
        checkpoints_.begin(), checkpoints_.end(), start,
        [](std::int64_t target, const Checkpoint& point) { return target < point.frame; });
    const Checkpoint& point = after == checkpoints_.begin() ? checkpoints_.front() : *(after - 1);
    compressed_read_ = point.offset;
    file_.Seek(data_start_ + compressed_read_);
    SetPosition(point.frame);
}

}  // namespace sonvara
