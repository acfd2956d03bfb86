// The test frame's output, apart from the fixture so that the tests that include the codec
// manager's headers do not meet the wave output's.

#include "devices/recording_wave_out.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {

std::shared_ptr<WaveRecording> MakeRecording(bool stepped) {
    return std::make_shared<WaveRecording>(stepped ? WaveRecording::Pace::kStepped
                                                   : WaveRecording::Pace::kClock);
}

TestFrame::TestFrame(std::shared_ptr<WaveRecording> recording)
    : MainDialog(std::make_unique<RecordingWaveOutProvider>(
          recording != nullptr ? std::move(recording) : MakeRecording(false))) {
    Rooms().workspace.SetQuestions(this);
}

}  // namespace sonvara
