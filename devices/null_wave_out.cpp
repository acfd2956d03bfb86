#include "devices/null_wave_out.h"

#include <algorithm>

#include "devices/clock_pacer.h"
#include "devices/queued_wave_out.h"

namespace sonvara {
namespace {

class NullWaveOut : public QueuedWaveOut {
  public:
    // Chunks of 10 ms keep the clock fine-grained and a Reset quick.
    NullWaveOut(const WaveOutFormat& format, LSignalObject& done_event)
        : QueuedWaveOut(format, done_event, std::max(format.sample_rate / 100, 1)),
          pacer_(format.sample_rate) {}
    ~NullWaveOut() override { Close(); }
    using QueuedWaveOut::StartWriter;

  protected:
    std::int32_t Consume(const std::int16_t* /*data*/, std::int32_t frames,
                         std::string& /*error*/) override {
        pacer_.Pace(frames);
        played_ += frames;
        return frames;
    }
    std::int64_t DevicePlayed() override { return played_; }

  private:
    ClockPacer pacer_;
    std::int64_t played_ = 0;  // writer thread only
};

}  // namespace

std::unique_ptr<WaveOut> OpenNullWaveOut(const WaveOutFormat& format, LSignalObject& done_event,
                                         std::string& error) {
    auto output = std::make_unique<NullWaveOut>(format, done_event);
    if (!output->StartWriter()) {
        error = "No se pudo iniciar la salida de sonido nula.";
        return nullptr;
    }
    return output;
}

}  // namespace sonvara
