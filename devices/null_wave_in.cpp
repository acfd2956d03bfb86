#include "devices/null_wave_in.h"

#include <algorithm>
#include <cstring>

#include "devices/clock_pacer.h"
#include "devices/queued_wave_in.h"

namespace sonvara {
namespace {

class NullWaveIn : public QueuedWaveIn {
  public:
    // Chunks of 10 ms keep a Reset quick.
    NullWaveIn(const WaveInFormat& format, LSignalObject& done_event)
        : QueuedWaveIn(format, done_event, std::max(format.sample_rate / 100, 1)),
          pacer_(format.sample_rate) {}
    ~NullWaveIn() override { Close(); }
    using QueuedWaveIn::StartReader;

  protected:
    std::int32_t Capture(std::int16_t* data, std::int32_t frames, std::string& /*error*/) override {
        pacer_.Pace(frames);
        std::memset(data, 0, static_cast<std::size_t>(frames) * Format().channels * 2);
        return frames;
    }

  private:
    ClockPacer pacer_;
};

}  // namespace

std::unique_ptr<WaveIn> OpenNullWaveIn(const WaveInFormat& format, LSignalObject& done_event,
                                       std::string& error) {
    auto input = std::make_unique<NullWaveIn>(format, done_event);
    if (!input->StartReader()) {
        error = "No se pudo iniciar la entrada de sonido nula.";
        return nullptr;
    }
    return input;
}

}  // namespace sonvara
