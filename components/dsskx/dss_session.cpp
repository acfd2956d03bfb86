#include "components/dsskx/dss_session.h"

#include <algorithm>

namespace sonvara::dsskx {

int DssSession::Init(const DSSDecoderConfig* config) {
    *this = DssSession();
    if (config == nullptr || config->version != kDSSDecoderVersion) {
        return 1;
    }
    initialised_ = true;
    return 0;
}

int DssSession::ActiveFolder(const char* folder) {
    if (!initialised_ || folder == nullptr) {
        return 1;
    }
    folder_ = folder;
    return 0;
}

int DssSession::ActiveFile(const char* path, DSSFileProperties* properties) {
    decoder_.reset();
    decoding_ = false;
    if (!initialised_ || path == nullptr || properties == nullptr || *path == '\0') {
        return 1;
    }
    std::string full = path;
    if (full[0] != '/' && !folder_.empty()) {
        full = folder_ + "/" + full;
    }
    auto decoder = AudioFileDecoder::Open(full, "dss", nullptr);
    if (decoder == nullptr || decoder->Channels() != 1 ||
        (decoder->Rate() != 8000 && decoder->Rate() != 11025)) {
        return 1;
    }
    const bool short_blocks = decoder->Rate() == 8000;
    *properties = DSSFileProperties{};
    properties->quality = short_blocks ? kDSSQuality8000Hz : 0;
    properties->length_ms =
        static_cast<std::uint32_t>(std::clamp<std::int64_t>(decoder->DurationMs(), 0, 0xFFFFFFFF));
    frame_type_ = short_blocks ? 1 : 0;
    block_samples_ = (short_blocks ? kDSSShortBlockBytes : kDSSLongBlockBytes) / 2;
    decoder_ = std::move(decoder);
    return 0;
}

int DssSession::StartDecoding() {
    if (decoder_ == nullptr || decoding_) {
        return 1;
    }
    decoding_ = true;
    pending_.clear();
    return 0;
}

const std::uint8_t* DssSession::DecodeToPCM(int* frame_type) {
    if (!decoding_ || frame_type == nullptr) {
        return nullptr;
    }
    while (pending_.size() < block_samples_ && decoder_->Decode(pending_)) {
    }
    if (pending_.empty()) {
        decoding_ = false;
        return nullptr;
    }
    // The last block is filled up with silence.
    const std::size_t taken = std::min(pending_.size(), block_samples_);
    block_.fill(0);
    std::copy_n(pending_.begin(), taken, block_.begin());
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(taken));
    *frame_type = frame_type_;
    return reinterpret_cast<const std::uint8_t*>(block_.data());
}

DssSession& Session() {
    static DssSession session;
    return session;
}

}  // namespace sonvara::dsskx
