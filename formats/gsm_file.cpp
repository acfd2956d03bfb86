#include "formats/gsm_file.h"

#include <algorithm>
#include <limits>

#include "core/diagnostics.h"

namespace sonvara {

using gsm::kFrameBytes;
using gsm::kFrameSamples;

LGSMFileSource::LGSMFileSource(const std::string& path)
    : FileSoundSource(8000, 1, kPeak), bytes_(kFramesPerRead * kFrameBytes) {
    if (!file_.Open(path, FileAccess::kRead, FileSharing::kReadWrite,
                    FileDisposition::kOpenExisting)) {
        Diagnose("LGSMFileSource::LGSMFileSource Unable to open file: " + path);
        SetError();
        return;
    }
    const std::int64_t frames =
        std::min<std::int64_t>(file_.GetFileSizeBytes() / kFrameBytes,
                               std::numeric_limits<std::int32_t>::max() / kFrameSamples);
    length_ = static_cast<std::int32_t>(frames * kFrameSamples);
}

void LGSMFileSource::DecodeIntoStore() {
    std::uint8_t frame[kFrameBytes];
    if (file_.Read(frame, kFrameBytes) == kFrameBytes) {
        codec_.DecodeSamples(frame, store_.data());
    } else {
        store_.fill(0);
    }
    ++next_frame_;
    store_used_ = 0;
}

// Reads go on from where the last one ended: `first` is where the store and the file pointer
// stand.
std::int64_t LGSMFileSource::ReadFrames(std::int64_t /*first*/, Sample* out, std::int64_t count) {
    std::int64_t left = count;
    // What is left of the last decoded frame comes first.
    const auto from_store =
        static_cast<int>(std::min<std::int64_t>(left, kFrameSamples - store_used_));
    std::copy_n(store_.begin() + store_used_, from_store, out);
    store_used_ += from_store;
    out += from_store;
    left -= from_store;
    // Then whole frames straight into the buffer.
    while (left >= kFrameSamples) {
        const auto wanted =
            static_cast<std::int32_t>(std::min<std::int64_t>(left / kFrameSamples, kFramesPerRead));
        const std::size_t bytes = static_cast<std::size_t>(wanted) * kFrameBytes;
        const std::size_t arrived = file_.Read(bytes_.data(), bytes);
        const auto whole = static_cast<std::int32_t>(arrived / kFrameBytes);
        for (std::int32_t f = 0; f < whole; ++f) {
            codec_.DecodeSamples(bytes_.data() + static_cast<std::size_t>(f) * kFrameBytes, out);
            out += kFrameSamples;
        }
        next_frame_ += wanted;
        left -= std::int64_t{wanted} * kFrameSamples;
        if (whole < wanted) {
            // The file became shorter than it was: the rest is silence.
            std::fill_n(out, (wanted - whole) * kFrameSamples, 0);
            out += (wanted - whole) * kFrameSamples;
        }
    }
    // And the start of one more frame, whose rest the next read takes.
    if (left > 0) {
        DecodeIntoStore();
        std::copy_n(store_.begin(), left, out);
        store_used_ = static_cast<int>(left);
    }
    return count;
}

void LGSMFileSource::Seek(std::int32_t frame) {
    FileSoundSource::Seek(frame);
    codec_.Reset();
    store_used_ = kFrameSamples;
    if (IsError()) {
        return;
    }
    if (frame <= 0) {
        next_frame_ = 0;
    } else if (frame <= length_) {
        next_frame_ = frame / kFrameSamples;
    } else {
        next_frame_ = std::max<std::int64_t>(length_ / kFrameSamples - 1, 0);
    }
    file_.Seek(next_frame_ * kFrameBytes);
    if (frame > 0 && frame < length_) {
        DecodeIntoStore();
        store_used_ = frame % kFrameSamples;
    }
}

LGSMFileSink::LGSMFileSink(const std::string& path) : LSoundSinkBase(8000, 1) {
    bytes_.reserve(kFramesPerWrite * kFrameBytes);
    if (!file_.Open(path, FileAccess::kReadWrite, FileSharing::kRead,
                    FileDisposition::kCreateAlways)) {
        Diagnose("LGSMFileSink::LGSMFileSink unable to open file: " + path);
        SetError();
    }
}

bool LGSMFileSink::Finish() {
    if (store_filled_ > 0 && !IsError()) {
        std::fill(store_.begin() + store_filled_, store_.end(), 0);
        EncodeStore();
    }
    Flush();
    return !IsError();
}

void LGSMFileSink::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0 || IsError()) {
        return;
    }
    AddFramesWritten(frames);
    while (frames > 0) {
        const int take = std::min(frames, kFrameSamples - store_filled_);
        std::copy_n(buffer, take, store_.begin() + store_filled_);
        store_filled_ += take;
        buffer += take;
        frames -= take;
        if (store_filled_ == kFrameSamples) {
            EncodeStore();
        }
    }
}

void LGSMFileSink::Truncate(std::int32_t) {
    Diagnose("LGSMFileSink::Seek Function not implemented");
}

void LGSMFileSink::EncodeStore() {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + kFrameBytes);
    codec_.EncodeSamples(store_.data(), bytes_.data() + at);
    store_filled_ = 0;
    if (bytes_.size() >= kFramesPerWrite * kFrameBytes) {
        Flush();
    }
}

void LGSMFileSink::Flush() {
    if (!bytes_.empty() && !IsError() &&
        file_.Write(bytes_.data(), bytes_.size()) != bytes_.size()) {
        SetError();
    }
    bytes_.clear();
}

}  // namespace sonvara
