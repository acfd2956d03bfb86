#include "audio/wav/coded_file_sink.h"

#include <algorithm>
#include <cstring>

#include "core/byte_order.h"
#include "platform/codec/riff_header.h"

namespace sonvara {

LSNKACMFile::LSNKACMFile(const std::string& path, const WaveFormat& format)
    : LSoundSinkBase(static_cast<std::int32_t>(format.samples_per_sec), format.channels),
      format_(format) {
    if (!file_.Open(path, FileAccess::kReadWrite, FileSharing::kRead,
                    FileDisposition::kCreateAlways)) {
        SetError();
        return;
    }
    const WaveFormat pcm =
        WaveFormat::Pcm16(format.channels != 0 ? format.channels : 1, format.samples_per_sec);
    CodecManager& codecs = CodecManager::Instance();
    if (codecs.OpenStream(pcm, format, 0, &stream_) != CodecResult::kOk &&
        codecs.OpenStream(pcm, format, kStreamOpenNonRealtime, &stream_) != CodecResult::kOk) {
        SetError();
    } else {
        // 8192 frames, or one whole block when a codec's blocks are longer than that.
        std::size_t pcm_bytes =
            std::max<std::size_t>(std::size_t{8192} * pcm.block_align, stream_->InputBlockBytes());
        std::size_t coded_bytes = stream_->DestinationSizeFor(pcm_bytes);
        if (coded_bytes == 0) {
            SetError();
            stream_.reset();
        } else {
            pcm_.resize(pcm_bytes);
            coded_.resize(coded_bytes);
        }
    }
    WriteHeader(kSizeWhileWriting);
}

bool LSNKACMFile::Finish() {
    if (IsError()) {
        return false;
    }
    if (!EncodeBuffered(kConvertBlockAlign | kConvertEnd)) {
        SetError();
    }
    WriteHeader(coded_written_);
    return !IsError();
}

void LSNKACMFile::WriteHeader(std::uint64_t coded_bytes) {
    std::vector<std::uint8_t> header = MakeRiffHeader(format_.Serialize(), coded_bytes);
    if (!file_.Seek(0) || file_.Write(header.data(), header.size()) != header.size() ||
        !file_.Seek(static_cast<std::int64_t>(header.size() + coded_written_))) {
        SetError();
    }
}

std::optional<std::size_t> LSNKACMFile::EncodeBuffered(unsigned flags) {
    StreamHeader header;
    header.source = pcm_.data();
    header.source_length = pcm_fill_;
    header.destination = coded_.data();
    header.destination_length = coded_.size();
    if (!stream_->Convert(header, flags)) {
        return std::nullopt;
    }
    if (file_.Write(coded_.data(), header.destination_used) != header.destination_used) {
        SetError();
    }
    coded_written_ += header.destination_used;
    pcm_fill_ -= header.source_used;
    std::memmove(pcm_.data(), pcm_.data() + header.source_used, pcm_fill_);
    return header.source_used;
}

void LSNKACMFile::Write(const Sample* buffer, std::int32_t frames) {
    if (frames <= 0) {
        return;
    }
    AddFramesWritten(frames);
    if (IsError()) {
        return;
    }
    std::size_t remaining =
        static_cast<std::size_t>(frames) * static_cast<std::size_t>(GetChannels());
    while (remaining > 0 && !IsError()) {
        std::size_t count = std::min(remaining, (pcm_.size() - pcm_fill_) / 2);
        for (std::size_t i = 0; i < count; ++i) {
            StoreLE16(&pcm_[pcm_fill_ + 2 * i], static_cast<std::uint16_t>(SampleTo16(buffer[i])));
        }
        pcm_fill_ += 2 * count;
        buffer += count;
        remaining -= count;
        std::optional<std::size_t> consumed = EncodeBuffered(kConvertBlockAlign);
        if (!consumed || (*consumed == 0 && pcm_fill_ == pcm_.size())) {
            // The codec takes nothing from a full buffer: it is stuck, and the rest is dropped.
            SetError();
            return;
        }
    }
}

}  // namespace sonvara
