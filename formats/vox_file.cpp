#include "formats/vox_file.h"

#include <algorithm>
#include <array>
#include <limits>

#include "core/diagnostics.h"

namespace sonvara {
namespace {

constexpr std::array<std::int32_t, VoxAdpcm::kSteps> kStepSizes = {
    16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
    80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1411, 1552};
static_assert(kStepSizes.back() == VoxAdpcm::kLargestStep);

// The index moves down one step for the two smallest magnitudes and up for the larger ones.
constexpr std::array<int, 8> kIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8};

// The reconstruction factor of a code: odd multiples of 16, negative with the sign bit.
constexpr Sample Factor(int code) {
    const Sample factor = 16 * (2 * (code & 7) + 1);
    return (code & 8) != 0 ? -factor : factor;
}

}  // namespace

void VoxAdpcm::Apply(int code) {
    // step × factor ≤ 1552 × 240 and the predictor stays within kPeak: no overflow.
    predictor_ += kStepSizes[static_cast<std::size_t>(index_)] * Factor(code) - (predictor_ >> 6);
    index_ += kIndexAdjust[static_cast<std::size_t>(code & 7)];
}

Sample VoxAdpcm::Decode(int code) {
    index_ = std::clamp(index_, 0, kSteps - 1);
    Apply(code & 15);
    return predictor_;
}

int VoxAdpcm::Encode(Sample sample) {
    index_ = std::clamp(index_, 0, kSteps - 1);
    const std::int32_t step = kStepSizes[static_cast<std::size_t>(index_)];
    // The decision is taken against the predictor after its leak; the difference is taken in
    // 64 bits, as a sample far outside full scale minus the predictor may not fit in 32.
    const Sample leaked = predictor_ - (predictor_ >> 6);
    std::int64_t q = (std::int64_t{sample} - leaked) / step;
    int code = 0;
    if (q < 0) {
        code = 8;
        q = -q;
    }
    // Decision levels at 33, 66 and 99 steps: midway between the reconstruction levels 16, 48,
    // 80 and 112 (in sixteenths of a step, as the factor counts).
    if (q >= 132) {
        code |= 4;
        q -= 132;
    }
    if (q >= 66) {
        code |= 2;
        q -= 66;
    }
    if (q >= 33) {
        code |= 1;
    }
    Apply(code);
    return code;
}

LSRCVOX::LSRCVOX(const std::string& path, std::int32_t sample_rate)
    : FileSoundSource(sample_rate, 1, VoxAdpcm::kPeak), bytes_(kBufferBytes) {
    if (!file_.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                    FileDisposition::kOpenExisting)) {
        SetError();
        return;
    }
    length_ = static_cast<std::int32_t>(std::min<std::int64_t>(
        2 * file_.GetFileSizeBytes(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t LSRCVOX::ReadFrames(std::int64_t first, Sample* out, std::int64_t count) {
    // A read that starts on an odd sample starts with the low nibble of its byte: the nibble a
    // read ending after the high one left over.
    bool low_next = (first & 1) != 0;
    if (!file_.Seek(first / 2)) {
        return 0;
    }
    const Sample* const start = out;
    std::int64_t left = count;
    while (left > 0) {
        const auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>((left + (low_next ? 1 : 0) + 1) / 2, kBufferBytes));
        const std::size_t arrived = file_.Read(bytes_.data(), wanted);
        for (std::size_t i = 0; i < arrived && left > 0; ++i) {
            if (!low_next) {
                *out++ = codec_.Decode(bytes_[i] >> 4);
                if (--left == 0) {
                    break;
                }
            }
            *out++ = codec_.Decode(bytes_[i] & 15);
            --left;
            low_next = false;
        }
        if (arrived < wanted) {
            break;
        }
    }
    return out - start;
}

LSNKVOX::LSNKVOX(const std::string& path, std::int32_t sample_rate)
    : LSoundSinkBase(sample_rate, 1), bytes_(kBufferBytes) {
    if (!file_.Open(path, FileAccess::kReadWrite, FileSharing::kRead,
                    FileDisposition::kCreateAlways)) {
        Diagnose("LSNKVOX::LSNKVOX unable to open file: " + path);
        SetError();
    }
}

void LSNKVOX::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0 || IsError()) {
        return;
    }
    AddFramesWritten(frames);
    const Sample* const stop = buffer + frames;
    while (buffer < stop && !IsError()) {
        std::size_t filled = 0;
        while (buffer < stop && filled < kBufferBytes) {
            const int code = codec_.Encode(*buffer++);
            if (open_nibble_ < 0) {
                open_nibble_ = code;
            } else {
                bytes_[filled++] = static_cast<std::uint8_t>((open_nibble_ << 4) | code);
                open_nibble_ = -1;
            }
        }
        if (file_.Write(bytes_.data(), filled) != filled) {
            SetError();
        }
    }
}

}  // namespace sonvara
