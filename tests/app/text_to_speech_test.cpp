#include "app/text_to_speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/wav/wave_file.h"
#include "core/settings.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using std::chrono::seconds;

struct Speech {
    std::int32_t rate = 0;
    int channels = 0;
    std::vector<Sample> samples;
    double Seconds() const { return rate > 0 ? static_cast<double>(samples.size()) / rate : 0; }
};

Speech ReadSpeech(const std::string& path) {
    Speech speech;
    LSoundSourceRef source = LWaveFile::OpenSource(path);
    if (source->IsError()) {
        return speech;
    }
    speech.rate = source->GetSampleRate();
    speech.channels = source->GetChannels();
    speech.samples.resize(static_cast<std::size_t>(source->GetLength()) * speech.channels);
    source->Read(speech.samples.data(), source->GetLength());
    return speech;
}

class TextToSpeechTest : public ::testing::Test {
  protected:
    TextToSpeechTest() { previous_ = UseSettingsStore(std::make_shared<MemorySettingsStore>()); }
    ~TextToSpeechTest() override { UseSettingsStore(previous_); }

    ProcessResult Speak(const std::string& program, const SpeechRequest& request) {
        LTextToSpeech speech(program, request, output_, seconds(60));
        return testing::RunProcess(speech, nullptr, &prompts_);
    }

    std::shared_ptr<SettingsStore> previous_;
    testing::ScratchFolder scratch_;
    testing::ScopedEnv temporary_{"TMPDIR", scratch_.Path()};
    std::string output_ = scratch_.File("speech.wav");
    testing::ScriptedPrompts prompts_;
};

TEST_F(TextToSpeechTest, ReadsATextAloudAtTheAskedRate) {
    const std::optional<std::string> synthesizer = FindSpeechSynthesizer();
    if (!synthesizer) {
        GTEST_SKIP() << "espeak-ng is not installed";
    }
    // The text goes through a file: what looks like options is read aloud like any other word.
    const std::string text = "-v xx --help. Uno, dos, tres, cuatro, cinco, seis, siete, ocho.";
    double slow_seconds = 0;
    for (int words_per_minute : {160, 320}) {
        SCOPED_TRACE(words_per_minute);
        ASSERT_EQ(Speak(*synthesizer, {text, "es", words_per_minute}), PROCESS_DONE);
        const Speech speech = ReadSpeech(output_);
        ASSERT_GT(speech.rate, 0);
        EXPECT_EQ(speech.channels, 1);
        // About fourteen words.
        const double expected = 14 * 60.0 / words_per_minute;
        EXPECT_GT(speech.Seconds(), expected * 0.5);
        EXPECT_LT(speech.Seconds(), expected * 2.0);
        // Speech, not silence: loud somewhere and busy a good part of the time.
        const Sample peak =
            *std::max_element(speech.samples.begin(), speech.samples.end(),
                              [](Sample a, Sample b) { return std::abs(a) < std::abs(b); });
        EXPECT_GT(std::abs(peak), FULL_SCALE / 8);
        const auto audible = std::count_if(speech.samples.begin(), speech.samples.end(),
                                           [](Sample s) { return std::abs(s) > FULL_SCALE / 100; });
        EXPECT_GT(static_cast<double>(audible) / static_cast<double>(speech.samples.size()), 0.2);
        if (words_per_minute == 160) {
            slow_seconds = speech.Seconds();
        } else {
            EXPECT_LT(speech.Seconds(), slow_seconds * 0.7);
        }
    }
    EXPECT_TRUE(prompts_.Asked().empty());
    // The temporary text file is gone.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch_.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(TextToSpeechTest, AMissingSynthesizerIsNamedAndLeavesNoFile) {
    ASSERT_EQ(Speak(scratch_.File("no-such-folder/espeak-ng"), {"Hola.", "es", 160}),
              PROCESS_FAILED);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error");
    EXPECT_EQ(prompts_.Asked()[0].text, SpeechSynthesizerMissingMessage());
    EXPECT_NE(prompts_.Asked()[0].text.find("apt install espeak-ng"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(output_));
}

TEST_F(TextToSpeechTest, ASynthesizerThatFailsOrWritesNothingIsReported) {
    struct Case {
        std::string program;
        std::string voice;
        std::string told;
    };
    std::vector<Case> cases{{"/bin/true", "es", "no escribió"}};
    if (const std::optional<std::string> synthesizer = FindSpeechSynthesizer()) {
        cases.push_back({*synthesizer, "zz-nada", "\"zz-nada\" (terminó con el estado 1)"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        testing::ScriptedPrompts prompts;
        // A file left by an earlier run must not pass for this one's.
        std::ofstream(output_) << std::string(1000, 'x');
        LTextToSpeech speech(c.program, {"Hola.", c.voice, 160}, output_, seconds(60));
        EXPECT_EQ(testing::RunProcess(speech, nullptr, &prompts), PROCESS_FAILED);
        ASSERT_EQ(prompts.Asked().size(), 1u);
        EXPECT_NE(prompts.Asked()[0].text.find(c.told), std::string::npos)
            << prompts.Asked()[0].text;
        EXPECT_FALSE(std::filesystem::exists(output_));
    }
}

TEST_F(TextToSpeechTest, ARequestIsCheckedBeforeTheSynthesizerRuns) {
    struct Case {
        SpeechRequest request;
        bool accepted;
    };
    for (const Case& c : {
             Case{{"Hola", "es", kSlowestSpeech}, true},
             Case{{"Hola", "en-us+f3", kFastestSpeech}, true},
             Case{{" \n\t", "es", 160}, false},
             Case{{"Hola", "-w", 160}, false},
             Case{{"Hola", "es es", 160}, false},
             Case{{"Hola", "", 160}, false},
             Case{{"Hola", "es", kSlowestSpeech - 1}, false},
             Case{{"Hola", "es", kFastestSpeech + 1}, false},
         }) {
        SCOPED_TRACE(c.request.voice + " " + std::to_string(c.request.words_per_minute));
        EXPECT_EQ(CheckSpeechRequest(c.request).empty(), c.accepted);
    }
    // The process refuses what the check refuses, before starting anything.
    EXPECT_EQ(Speak("/bin/true", {"", "es", 160}), PROCESS_FAILED);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text, "Escriba el texto que se ha de leer.");
}

}  // namespace
}  // namespace sonvara
