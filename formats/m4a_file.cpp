#include "formats/m4a_file.h"

#include <strings.h>

#include <memory>
#include <vector>

#include "components/ffmpeg/aac_file_encoder.h"
#include "core/paths.h"

namespace sonvara {
namespace {

class M4aSink final : public LSoundSinkBase {
  public:
    M4aSink(const std::string& path, const char* muxer, std::int32_t rate, int channels, int kbps)
        : LSoundSinkBase(rate, channels),
          encoder_(AacFileEncoder::Open(path, muxer, rate, channels, kbps * 1000, &error_)) {
        if (encoder_ == nullptr) {
            SetError();
        }
    }

    void Write(const Sample* buffer, std::int32_t frames) override {
        if (IsError() || frames <= 0) {
            return;
        }
        floats_.resize(static_cast<std::size_t>(frames) * GetChannels());
        for (std::size_t i = 0; i < floats_.size(); ++i) {
            floats_[i] = FloatFromSample(buffer[i]);
        }
        if (!encoder_->Write(floats_.data(), frames)) {
            Failed();
            return;
        }
        AddFramesWritten(frames);
    }

    bool Finish() override {
        if (!IsError() && !encoder_->Finish()) {
            Failed();
        }
        return !IsError();
    }

    std::string ErrorText() const override { return error_; }

  private:
    void Failed() {
        error_ = encoder_->Error();
        SetError();
    }

    std::string error_;
    std::unique_ptr<AacFileEncoder> encoder_;
    std::vector<float> floats_;
};

}  // namespace

LSoundSinkRef OpenM4aSink(const std::string& path, const std::string& target, std::int32_t rate,
                          int channels, int kbps) {
    // The MP4 muxer names the file an MP4 file; "ipod" marks it as M4A audio.
    const bool mp4 = ::strcasecmp(GetFileExtension(target).c_str(), ".mp4") == 0;
    return LSoundSinkRef(new M4aSink(path, mp4 ? "mp4" : "ipod", rate, channels, kbps));
}

}  // namespace sonvara
