#include "components/rma_audio_sink.h"

#include "platform/codec/riff_header.h"

namespace sonvara {

RMAAudioSink::RMAAudioSink(const std::string& path) {
    error_ =
        !file_.Open(path, FileAccess::kWrite, FileSharing::kNone, FileDisposition::kCreateAlways);
}

RMAAudioSink::~RMAAudioSink() = default;

std::uint32_t RMAAudioSink::AddRef() {
    return ++references_;
}

std::uint32_t RMAAudioSink::Release() {
    const std::uint32_t left = --references_;
    if (left == 0) {
        delete this;
    }
    return left;
}

bool RMAAudioSink::WriteHeader() {
    const auto header = PcmRiffHeader(format_.channels, format_.samples_per_second,
                                      format_.bits_per_sample, data_size_);
    return file_.Seek(0) && file_.Write(header.data(), header.size()) == header.size();
}

RMAResult RMAAudioSink::Open(const RMAAudioFormat& format) {
    const bool usable = (format.channels == 1 || format.channels == 2) &&
                        (format.bits_per_sample == 8 || format.bits_per_sample == 16) &&
                        format.samples_per_second > 0 && format.samples_per_second <= 1000000;
    if (error_ || opened_ || !usable) {
        error_ = true;
        return RMA_FAIL;
    }
    format_ = format;
    opened_ = true;
    if (!WriteHeader()) {
        error_ = true;
        return RMA_FAIL;
    }
    return RMA_OK;
}

RMAResult RMAAudioSink::Write(const RMAAudioData& data) {
    if (error_ || !opened_) {
        error_ = true;
        return RMA_FAIL;
    }
    const std::uint32_t frame_bytes = format_.channels * (format_.bits_per_sample / 8u);
    if ((data.size > 0 && data.buffer == nullptr) || data.size % frame_bytes != 0 ||
        data.size > kMaxPcmRiffData - data_size_) {
        error_ = true;
        return RMA_FAIL;
    }
    if (file_.Write(data.buffer, data.size) != data.size) {
        error_ = true;
        return RMA_FAIL;
    }
    data_size_ += data.size;
    return RMA_OK;
}

RMAResult RMAAudioSink::Close() {
    return RMA_OK;
}

bool RMAAudioSink::Finish() {
    if (!file_.IsValid()) {
        return false;
    }
    const bool written = !error_ && opened_ && WriteHeader();
    file_.Close();
    error_ = error_ || !written;
    return written;
}

}  // namespace sonvara
