#include "formats/mp3_file.h"

#include <algorithm>
#include <cmath>

#include "audio/window_source.h"
#include "core/diagnostics.h"

namespace sonvara {
namespace {

// How far the search for a frame header looks, in starting places.
constexpr std::size_t kHeaderSearch = 16384;
// The read-ahead window: a few dozen frames.
constexpr std::int64_t kWindowBytes = 64 * 1024;
constexpr double kInternalScale = 524288.0;  // 2^19: a decoded 1.0

// A decoded value as an internal sample, to the nearest (halves away from zero). Real streams
// stay well within the bound the source declares (four times full scale); damaged ones can ask
// for any size and are held to it. All in single precision and exact: the scaling is by a power
// of two, the bound is a float, and the rounding adds one to the truncated value when the
// fraction left (itself exact) is at least a half, so that the loops over a frame vectorise
// eight wide.
Sample ToInternal(float value) {
    constexpr auto kBound = static_cast<float>(kUnknownMaxSample);
    float scaled = value * static_cast<float>(kInternalScale);
    scaled = scaled < -kBound ? -kBound : scaled;
    scaled = kBound < scaled ? kBound : scaled;
    const auto whole = static_cast<Sample>(scaled);
    const float fraction = scaled - static_cast<float>(whole);
    return whole + (fraction >= 0.5F ? 1 : 0) - (fraction <= -0.5F ? 1 : 0);
}

// The frame's channels interleaved as internal samples. Built for AVX2 (four conversions at
// once, the same operations) and any x86-64, chosen when the program starts.
__attribute__((target_clones("avx2", "default"))) void Interleave(const mp3::DecodedFrame& frame,
                                                                  std::size_t samples,
                                                                  Sample* out) {
    if (frame.channels == 2) {
        for (std::size_t i = 0; i < samples; ++i) {
            out[2 * i] = ToInternal(frame.pcm[0][i]);
            out[2 * i + 1] = ToInternal(frame.pcm[1][i]);
        }
    } else {
        for (std::size_t i = 0; i < samples; ++i) {
            out[i] = ToInternal(frame.pcm[0][i]);
        }
    }
}

// The rejection's log text, or nothing when `header` belongs to the stream of `first`.
const char* Mismatch(const mp3::FrameHeader& header, const mp3::FrameHeader& first) {
    if (header.version != first.version) {
        return "LMP3Source::DecodeHeader() Header rejected because version does not match";
    }
    if (header.sampling_index != first.sampling_index) {
        return "LMP3Source::DecodeHeader() Header rejected because sampling frequency does not "
               "match";
    }
    if (header.Channels() != first.Channels()) {
        return "LMP3Source::DecodeHeader() Header rejected because channels do not match";
    }
    return nullptr;
}

constexpr std::int64_t kId3v2HeaderBytes = 10;

// The bytes of an ID3v2 tag at the start (header, body and any footer), 0 when none is there.
std::int64_t Id3v2Bytes(std::span<const std::uint8_t> head) {
    if (head.size() < kId3v2HeaderBytes || head[0] != 'I' || head[1] != 'D' || head[2] != '3' ||
        ((head[6] | head[7] | head[8] | head[9]) & 0x80) != 0) {
        return 0;
    }
    const std::int64_t body = (std::int64_t{head[6]} << 21) | (head[7] << 14) | (head[8] << 7) |
                              head[9];  // seven bits a byte
    const bool footer = (head[5] & 0x10) != 0;
    return kId3v2HeaderBytes + body + (footer ? kId3v2HeaderBytes : 0);
}

}  // namespace

LMP3Source::LMP3Source(const std::string& path)
    : FileSoundSource(44100, 1, kUnknownMaxSample),
      decoder_(std::make_unique<mp3::LMP3FrameDecoder>()),
      decoded_(std::make_unique<mp3::DecodedFrame>()) {
    if (!file_.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                    FileDisposition::kOpenExisting)) {
        Diagnose("LMP3Source::LMP3Source Unable to open file: " + path);
        SetError();
        return;
    }
    // An ID3v1 tag ("TAG" and 125 bytes) at the end is not audio; without one the stream runs to
    // the end of the file, its last frame included.
    audio_bytes_ = file_.GetFileSizeBytes();
    if (audio_bytes_ >= kTrailingTagBytes) {
        const std::span<const std::uint8_t> tail = Bytes(audio_bytes_ - kTrailingTagBytes, 3);
        if (tail.size() == 3 && tail[0] == 'T' && tail[1] == 'A' && tail[2] == 'G') {
            audio_bytes_ -= kTrailingTagBytes;
        }
    }
    window_.clear();
    if (!ReadInitialHeaders()) {
        Diagnose("LMP3Source::LMP3Source DecodeInitialHeader FAILED so SetError");
        SetError();
        return;
    }
    SetSampleRate(first_.SampleRate());
    SetChannels(first_.Channels());
    store_.assign(static_cast<std::size_t>(samples_per_frame_ * first_.Channels()), 0);
    store_used_ = samples_per_frame_;
}

std::span<const std::uint8_t> LMP3Source::Bytes(std::int64_t at, std::int64_t count) {
    count = std::min(count, audio_bytes_ - at);
    if (at < 0 || count <= 0) {
        return {};
    }
    const std::int64_t window_end = window_start_ + static_cast<std::int64_t>(window_.size());
    if (at < window_start_ || at + count > window_end) {
        window_.resize(
            static_cast<std::size_t>(std::min(std::max(kWindowBytes, count), audio_bytes_ - at)));
        window_start_ = at;
        const std::size_t read = file_.Seek(at) ? file_.Read(window_.data(), window_.size()) : 0;
        window_.resize(read);
        count = std::min<std::int64_t>(count, static_cast<std::int64_t>(read));
    }
    return {window_.data() + (at - window_start_), static_cast<std::size_t>(count)};
}

std::optional<mp3::FrameHeader> LMP3Source::FindNextHeader(std::int64_t& at) {
    const std::span<const std::uint8_t> bytes =
        Bytes(cursor_, static_cast<std::int64_t>(kHeaderSearch) + mp3::kHeaderBytes - 1);
    const std::optional<std::size_t> offset = mp3::FindHeader(bytes, 0, kHeaderSearch);
    if (!offset) {
        return std::nullopt;
    }
    at = cursor_ + static_cast<std::int64_t>(*offset);
    return mp3::ParseHeader(bytes.data() + *offset);
}

bool LMP3Source::ReadInitialHeaders() {
    // The average bitrate of up to eight frames, each found from where the one before ends,
    // after an ID3v2 tag (which may hold pictures far larger than the header search).
    double bitrates = 0;
    int found = 0;
    for (std::int64_t next = Id3v2Bytes(Bytes(0, kId3v2HeaderBytes)); found < 8; ++found) {
        cursor_ = next;
        std::int64_t at = 0;
        const std::optional<mp3::FrameHeader> header = FindNextHeader(at);
        if (!header) {
            break;
        }
        if (found == 0) {
            first_ = *header;
            first_frame_at_ = at;
        }
        bitrates += header->Bitrate();
        next = at + header->FrameBytes();
    }
    cursor_ = first_frame_at_;
    if (found == 0) {
        return false;
    }
    xing_ = mp3::ParseXingTag(Bytes(first_frame_at_, first_.FrameBytes()), first_);
    samples_per_frame_ = first_.SamplesPerFrame();
    average_frame_bytes_ =
        (first_.IsMpeg1() ? 144.0 : 72.0) * (bitrates / found) / first_.SampleRate();
    EstimateLength();
    return true;
}

void LMP3Source::Resynchronise() {
    std::optional<std::int64_t> first_found;
    for (int tries = 0; tries < 64; ++tries) {
        std::int64_t at = 0;
        const std::optional<mp3::FrameHeader> header = FindNextHeader(at);
        if (!header) {
            break;
        }
        first_found = first_found.value_or(at);
        const std::int64_t next_at = at + header->FrameBytes();
        const std::span<const std::uint8_t> next = Bytes(next_at, mp3::kHeaderBytes);
        cursor_ = at;
        if (next.size() < mp3::kHeaderBytes) {
            return;  // the last frame of the file: nothing follows to confirm it
        }
        const std::optional<mp3::FrameHeader> following = mp3::ParseHeader(next.data());
        if (mp3::SameStream(*header, first_) && following && mp3::SameStream(*following, first_)) {
            return;
        }
        cursor_ = at + 1;
    }
    // Nothing confirmed (a stream of single frames between junk): the first header found.
    cursor_ = first_found.value_or(cursor_);
}

void LMP3Source::EstimateLength() {
    if (length_known_) {
        return;
    }
    const double frames =
        std::trunc(static_cast<double>(audio_bytes_ - cursor_) / average_frame_bytes_ + 0.9);
    length_ = static_cast<std::int32_t>(std::min<double>(
        frames * samples_per_frame_ + static_cast<double>(decoded_end_), INT32_MAX));
}

bool LMP3Source::DecodeFrame() {
    for (int mismatches = 0;;) {
        std::int64_t at = 0;
        const std::optional<mp3::FrameHeader> header = FindNextHeader(at);
        if (!header) {
            return false;
        }
        if (const char* why = Mismatch(*header, first_)) {
            Diagnose(why);
            if (mismatches++ == kMismatchesSkipped) {
                return false;
            }
            cursor_ = at + mp3::kHeaderBytes;
            continue;
        }
        const auto frame_bytes = static_cast<std::int64_t>(header->FrameBytes());
        const std::span<const std::uint8_t> frame = Bytes(at, frame_bytes);
        if (static_cast<std::int64_t>(frame.size()) < frame_bytes ||
            decoder_->Decode(frame, *decoded_) == mp3::DecodeStatus::kBadFrame) {
            return false;
        }
        cursor_ = at + frame_bytes;
        Interleave(*decoded_, static_cast<std::size_t>(samples_per_frame_), store_.data());
        store_used_ = 0;
        decoded_end_ += samples_per_frame_;
        return true;
    }
}

// The length is an estimate: a read that starts before it decodes all it asks for, and one that
// starts at or past it finds the end there.
std::int64_t LMP3Source::DecodedFrames(const ReadStart& start, std::int64_t end) {
    if (start.lead == 0 && start.first >= length_) {
        length_known_ = true;  // read up to its end: the length is what it is now
        return 0;
    }
    return end - start.first;
}

std::int64_t LMP3Source::ReadFrames(std::int64_t /*first*/, Sample* out, std::int64_t count) {
    const int channels = GetChannels();
    std::int64_t left = count;
    while (left > 0) {
        if (store_used_ == samples_per_frame_) {
            if (!DecodeFrame()) {
                if (!length_known_ && decoded_end_ < length_) {
                    Diagnose("LMP3Source::Read DecodeFrame failed so end");
                    length_ = static_cast<std::int32_t>(decoded_end_);
                }
                length_known_ = true;
                return count - left;
            }
            EstimateLength();
        }
        const auto frames = static_cast<std::int32_t>(
            std::min<std::int64_t>(left, samples_per_frame_ - store_used_));
        out = std::copy_n(store_.begin() + store_used_ * channels, frames * channels, out);
        store_used_ += frames;
        left -= frames;
    }
    return count;
}

void LMP3Source::Seek(std::int32_t frame) {
    FileSoundSource::Seek(frame);
    if (IsError()) {
        return;
    }
    const std::int64_t target = std::clamp<std::int64_t>(frame, 0, length_);
    const std::int64_t index = target / samples_per_frame_;
    const std::int64_t first = std::max<std::int64_t>(index - kSeekPreroll, 0);
    const double estimate = static_cast<double>(first_frame_at_) +
                            (static_cast<double>(first) - 0.5) * average_frame_bytes_;
    cursor_ = std::clamp<std::int64_t>(std::llround(estimate), first_frame_at_, audio_bytes_);
    if (first > 0) {
        Resynchronise();
    }
    decoder_->Reset();
    decoded_end_ = first * samples_per_frame_;
    store_used_ = samples_per_frame_;
    for (std::int64_t k = first; k < index; ++k) {
        if (!DecodeFrame()) {
            return;  // nothing to hand out
        }
    }
    if (DecodeFrame()) {
        store_used_ = static_cast<std::int32_t>(target % samples_per_frame_);
    }
}

LSoundSourceRef OpenMp3Source(const std::string& path) {
    auto* decoder = new LMP3Source(path);
    LSoundSourceRef source(decoder);
    if (decoder->IsError() || !decoder->Xing()) {
        return source;
    }
    const mp3::XingTag& tag = *decoder->Xing();
    const std::int64_t per_frame = decoder->SamplesPerFrame();
    std::int64_t lead = per_frame;  // the tag's own frame
    std::int64_t trimmed = 0;       // the samples the tag says are not sound
    std::int64_t trim_end = 0;
    if (tag.encoder_delay && tag.padding) {
        lead += *tag.encoder_delay + mp3::kDecoderDelay;
        trimmed = *tag.encoder_delay + *tag.padding;
        trim_end = std::max(*tag.padding - mp3::kDecoderDelay, 0);
    }
    // The tag's frame count makes the length exact from the start, where the file's size allows
    // it: no real stream has more than eight samples a byte, and a damaged or crafted count must
    // not make a small file hours of silence.
    std::optional<std::int32_t> length;
    if (tag.frames && std::int64_t{*tag.frames} * per_frame <= 8 * decoder->AudioBytes()) {
        length = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(*tag.frames * per_frame - trimmed, 0, INT32_MAX));
    }
    return new LWindowSource(source, static_cast<std::int32_t>(lead), length,
                             static_cast<std::int32_t>(trim_end));
}

}  // namespace sonvara
