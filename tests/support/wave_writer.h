#pragma once
// Test input as a file: samples written as a 16-bit PCM WAV by our own writer. Header-only, since
// it needs the audio library that the support library does not link; tests that include it do.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"

namespace sonvara::testing {

// Writes the interleaved `samples`, `channels` to a frame, at `rate`; false when the writer
// failed.
inline bool WriteWave16(const std::string& path, const std::vector<Sample>& samples,
                        std::int32_t rate, int channels) {
    LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, rate, 0, 16, channels);
    if (!sink) {
        return false;
    }
    sink->Write(samples.data(),
                static_cast<std::int32_t>(samples.size() / static_cast<std::size_t>(channels)));
    return sink->Finish();
}

}  // namespace sonvara::testing
