#include "components/ffmpeg/aac_file_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <array>

namespace sonvara {
namespace {

// The rates AAC takes, but 7350 Hz, which few players do.
constexpr std::array<int, 12> kAacRates = {8000,  11025, 12000, 16000, 22050, 24000,
                                           32000, 44100, 48000, 64000, 88200, 96000};

std::string LibavText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

}  // namespace

int AacRateFor(int rate) {
    const auto found = std::ranges::lower_bound(kAacRates, rate);
    return found == kAacRates.end() ? kAacRates.back() : *found;
}

// The library objects, each freed by its own function.
struct AacFileEncoder::Libav {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    bool file_open = false;

    ~Libav() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format != nullptr && file_open) {
            avio_closep(&format->pb);
        }
        avformat_free_context(format);
    }
};

AacFileEncoder::AacFileEncoder(std::unique_ptr<Libav> libav, int channels)
    : libav_(std::move(libav)), channels_(channels) {}

AacFileEncoder::~AacFileEncoder() = default;

std::unique_ptr<AacFileEncoder> AacFileEncoder::Open(const std::string& path, const char* muxer,
                                                     int rate, int channels, int bit_rate,
                                                     std::string* error) {
    auto libav = std::make_unique<Libav>();
    const auto fail = [&](const std::string& what, int code) {
        *error = code == 0 ? what : what + ": " + LibavText(code);
        return nullptr;
    };
    av_log_set_level(AV_LOG_QUIET);  // failures are reported here, in the user's words
    const AVCodec* aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (aac == nullptr) {
        return fail("FFmpeg no tiene codificador AAC", 0);
    }
    if (int code = avformat_alloc_output_context2(&libav->format, nullptr, muxer, path.c_str());
        code < 0) {
        return fail("FFmpeg no escribe archivos MP4", code);
    }
    AVStream* stream = avformat_new_stream(libav->format, nullptr);
    libav->codec = avcodec_alloc_context3(aac);
    libav->frame = av_frame_alloc();
    libav->packet = av_packet_alloc();
    if (stream == nullptr || libav->codec == nullptr || libav->frame == nullptr ||
        libav->packet == nullptr) {
        return fail("no hay memoria para el codificador", 0);
    }
    AVCodecContext& codec = *libav->codec;
    codec.sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec.sample_rate = rate;
    av_channel_layout_default(&codec.ch_layout, channels);
    codec.bit_rate = bit_rate;
    codec.time_base = AVRational{1, rate};
    if ((libav->format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        codec.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (int code = avcodec_open2(&codec, aac, nullptr); code < 0) {
        return fail("el codificador AAC no admite " + std::to_string(rate) + " Hz", code);
    }
    stream->time_base = codec.time_base;
    if (int code = avcodec_parameters_from_context(stream->codecpar, &codec); code < 0) {
        return fail("no se puede preparar el archivo MP4", code);
    }
    if (int code = avio_open(&libav->format->pb, path.c_str(), AVIO_FLAG_WRITE); code < 0) {
        return fail("no se puede crear el archivo", code);
    }
    libav->file_open = true;
    if (int code = avformat_write_header(libav->format, nullptr); code < 0) {
        return fail("no se puede escribir el archivo", code);
    }
    AVFrame& frame = *libav->frame;
    frame.format = AV_SAMPLE_FMT_FLTP;
    frame.sample_rate = rate;
    frame.nb_samples = codec.frame_size;
    av_channel_layout_copy(&frame.ch_layout, &codec.ch_layout);
    if (int code = av_frame_get_buffer(&frame, 0); code < 0) {
        return fail("no hay memoria para el codificador", code);
    }
    return std::unique_ptr<AacFileEncoder>(new AacFileEncoder(std::move(libav), channels));
}

bool AacFileEncoder::Fail(const std::string& what, int code) {
    if (error_.empty()) {
        error_ = what + ": " + LibavText(code);
    }
    return false;
}

bool AacFileEncoder::Write(const float* interleaved, int frames) {
    if (!error_.empty()) {
        return false;
    }
    pending_.insert(pending_.end(), interleaved,
                    interleaved + static_cast<std::ptrdiff_t>(frames) * channels_);
    const int frame_size = libav_->codec->frame_size;
    std::size_t used = 0;
    while (pending_.size() - used >= static_cast<std::size_t>(frame_size * channels_)) {
        if (!Encode(frame_size, used)) {
            return false;
        }
        used += static_cast<std::size_t>(frame_size * channels_);
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    return true;
}

bool AacFileEncoder::Finish() {
    if (!error_.empty()) {
        return false;
    }
    const int left = static_cast<int>(pending_.size()) / channels_;
    if ((left > 0 && !Encode(left, 0)) || !Encode(0, 0)) {
        return false;
    }
    if (int code = av_write_trailer(libav_->format); code < 0) {
        return Fail("no se puede completar el archivo", code);
    }
    libav_->file_open = false;
    if (int code = avio_closep(&libav_->format->pb); code < 0) {
        return Fail("no se puede completar el archivo", code);
    }
    return true;
}

bool AacFileEncoder::Encode(int frames, std::size_t from) {
    AVCodecContext& codec = *libav_->codec;
    AVFrame* frame = nullptr;
    if (frames > 0) {
        frame = libav_->frame;
        if (int code = av_frame_make_writable(frame); code < 0) {
            return Fail("no hay memoria para el codificador", code);
        }
        frame->nb_samples = frames;
        for (int channel = 0; channel < channels_; ++channel) {
            auto* plane = reinterpret_cast<float*>(frame->extended_data[channel]);
            for (int i = 0; i < frames; ++i) {
                plane[i] = pending_[from + static_cast<std::size_t>(i * channels_ + channel)];
            }
        }
        frame->pts = next_pts_;
        next_pts_ += frames;
    }
    if (int code = avcodec_send_frame(&codec, frame); code < 0) {
        return Fail("el codificador AAC falló", code);
    }
    AVStream* stream = libav_->format->streams[0];
    for (;;) {
        const int code = avcodec_receive_packet(&codec, libav_->packet);
        if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) {
            return true;
        }
        if (code < 0) {
            return Fail("el codificador AAC falló", code);
        }
        av_packet_rescale_ts(libav_->packet, codec.time_base, stream->time_base);
        libav_->packet->stream_index = stream->index;
        if (int written = av_interleaved_write_frame(libav_->format, libav_->packet); written < 0) {
            return Fail("no se puede escribir el archivo", written);
        }
    }
}

}  // namespace sonvara
