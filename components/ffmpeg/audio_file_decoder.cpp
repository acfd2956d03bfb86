#include "components/ffmpeg/audio_file_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <string_view>

namespace sonvara {
namespace {

// Every file a decoder opens, the one named and any its container refers to, goes through here:
// a file that is not regular is refused before FFmpeg opens it.
using IoOpen = int (*)(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**);

IoOpen LibraryIoOpen() {
    static const IoOpen library_open = [] {
        AVFormatContext* context = avformat_alloc_context();
        const IoOpen found = context != nullptr ? context->io_open : nullptr;
        avformat_free_context(context);
        return found;
    }();
    return library_open;
}

int OpenRegularFile(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                    AVDictionary** options) {
    std::string_view path = url;
    if (path.starts_with("file:")) {
        path.remove_prefix(5);
    }
    if ((flags & AVIO_FLAG_WRITE) != 0 || !IsRegularFile(std::string(path))) {
        return AVERROR(EACCES);
    }
    return LibraryIoOpen()(context, io, url, flags, options);
}

int Interrupted(void* opaque) {
    const auto* interrupt = static_cast<const DecodeInterrupt*>(opaque);
    return interrupt->stop(interrupt->context) ? 1 : 0;
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The library objects, each freed by its own function.
struct AudioFileDecoder::Libav {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    AVSampleFormat input_format = AV_SAMPLE_FMT_NONE;
    int input_channels = 0;
    DecodeInterrupt interrupt;  // the format context holds its address

    ~Libav() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&resampler);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

AudioFileDecoder::AudioFileDecoder(std::unique_ptr<Libav> libav) : libav_(std::move(libav)) {}

AudioFileDecoder::~AudioFileDecoder() = default;

std::unique_ptr<AudioFileDecoder> AudioFileDecoder::Open(const std::string& path,
                                                         const std::string& container,
                                                         std::string* error,
                                                         DecodeInterrupt interrupt) {
    auto fail = [error](const std::string& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return nullptr;
    };
    av_log_set_level(AV_LOG_QUIET);
    if (!IsRegularFile(path)) {
        return fail("not a regular file");
    }
    // A named container is read by its demuxer alone: no other demuxer looks at the file.
    const AVInputFormat* demuxer =
        container.empty() ? nullptr : av_find_input_format(container.c_str());
    if (!container.empty() && demuxer == nullptr) {
        return fail("no demuxer for " + container);
    }
    auto libav = std::make_unique<Libav>();
    libav->format = avformat_alloc_context();
    if (libav->format == nullptr || LibraryIoOpen() == nullptr) {
        return fail("out of memory");
    }
    libav->format->io_open = OpenRegularFile;
    if (interrupt.stop != nullptr) {
        libav->interrupt = interrupt;
        libav->format->interrupt_callback = {Interrupted, &libav->interrupt};
    }
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    // The "file:" prefix keeps a name with a colon from being taken for another protocol.
    const int opened =
        avformat_open_input(&libav->format, ("file:" + path).c_str(), demuxer, &options);
    av_dict_free(&options);
    if (opened < 0) {  // the context is freed
        return fail(opened == AVERROR_EXIT ? "stopped" : "cannot open or recognise the file");
    }
    if (avformat_find_stream_info(libav->format, nullptr) < 0) {
        return fail("cannot read the file's streams");
    }
    const AVCodec* codec = nullptr;
    libav->stream = av_find_best_stream(libav->format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (libav->stream < 0 || codec == nullptr) {
        return fail("the file holds no audio this program can decode");
    }
    const AVStream* stream = libav->format->streams[libav->stream];
    libav->codec = avcodec_alloc_context3(codec);
    if (libav->codec == nullptr ||
        avcodec_parameters_to_context(libav->codec, stream->codecpar) < 0 ||
        avcodec_open2(libav->codec, codec, nullptr) < 0) {
        return fail("cannot start the audio decoder");
    }
    AVCodecContext* context = libav->codec;
    const int input_channels = context->ch_layout.nb_channels;
    if (context->sample_rate <= 0 || input_channels <= 0) {
        return fail("the audio stream has no usable format");
    }
    if (context->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_uninit(&context->ch_layout);
        av_channel_layout_default(&context->ch_layout, input_channels);
    }
    const int output_channels = std::min(input_channels, 2);
    AVChannelLayout output_layout;
    av_channel_layout_default(&output_layout, output_channels);
    int status = swr_alloc_set_opts2(&libav->resampler, &output_layout, AV_SAMPLE_FMT_S16,
                                     context->sample_rate, &context->ch_layout, context->sample_fmt,
                                     context->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&output_layout);
    if (status < 0 || swr_init(libav->resampler) < 0) {
        return fail("cannot convert the decoded samples");
    }
    libav->input_format = context->sample_fmt;
    libav->input_channels = input_channels;
    libav->packet = av_packet_alloc();
    libav->frame = av_frame_alloc();
    if (libav->packet == nullptr || libav->frame == nullptr) {
        return fail("out of memory");
    }

    std::unique_ptr<AudioFileDecoder> decoder(new AudioFileDecoder(std::move(libav)));
    decoder->rate_ = context->sample_rate;
    decoder->channels_ = output_channels;
    decoder->codec_name_ = codec->name;
    if (stream->duration > 0 && stream->time_base.den > 0) {
        decoder->duration_ms_ = av_rescale_q(stream->duration, stream->time_base, {1, 1000});
    } else if (decoder->libav_->format->duration > 0) {
        decoder->duration_ms_ = decoder->libav_->format->duration / (AV_TIME_BASE / 1000);
    }
    return decoder;
}

bool AudioFileDecoder::Convert(std::vector<std::int16_t>& samples) {
    const AVFrame* frame = libav_->frame;
    // A stream that changes its format midway would be misread by the converter set up at the
    // start; such a file is refused rather than turned into noise.
    if (frame->format != libav_->input_format ||
        frame->ch_layout.nb_channels != libav_->input_channels || frame->sample_rate != rate_) {
        failed_ = true;
        return false;
    }
    const int capacity = swr_get_out_samples(libav_->resampler, frame->nb_samples);
    if (capacity < 0) {
        failed_ = true;
        return false;
    }
    const std::size_t before = samples.size();
    samples.resize(before + static_cast<std::size_t>(capacity) * channels_);
    auto* output = reinterpret_cast<std::uint8_t*>(samples.data() + before);
    const int converted =
        swr_convert(libav_->resampler, &output, capacity,
                    const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    if (converted < 0) {
        samples.resize(before);
        failed_ = true;
        return false;
    }
    samples.resize(before + static_cast<std::size_t>(converted) * channels_);
    return true;
}

bool AudioFileDecoder::Decode(std::vector<std::int16_t>& samples) {
    if (failed_) {
        return false;
    }
    for (;;) {
        int status = avcodec_receive_frame(libav_->codec, libav_->frame);
        if (status == 0) {
            const bool converted = Convert(samples);
            av_frame_unref(libav_->frame);
            return converted;
        }
        if (status == AVERROR_EOF) {
            return false;
        }
        if (status != AVERROR(EAGAIN)) {
            failed_ = true;
            return false;
        }
        if (draining_) {
            return false;
        }
        status = av_read_frame(libav_->format, libav_->packet);
        if (status == AVERROR_EXIT) {  // interrupted: not the end of the stream
            failed_ = true;
            return false;
        }
        if (status < 0) {
            // The end of the file, or a file cut short: what was read so far is the audio.
            draining_ = true;
            avcodec_send_packet(libav_->codec, nullptr);
            continue;
        }
        if (libav_->packet->stream_index == libav_->stream) {
            status = avcodec_send_packet(libav_->codec, libav_->packet);
            // A damaged packet is skipped as a player would; running out of memory is fatal.
            if (status == AVERROR(ENOMEM)) {
                av_packet_unref(libav_->packet);
                failed_ = true;
                return false;
            }
        }
        av_packet_unref(libav_->packet);
    }
}

}  // namespace sonvara
