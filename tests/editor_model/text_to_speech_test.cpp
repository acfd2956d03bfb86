#include "editor_model/text_to_speech.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/wav/wave_file.h"
#include "core/settings.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

class TextToSpeechTest : public ::testing::Test {
  protected:
    TextToSpeechTest() { previous_ = UseSettingsStore(std::make_shared<MemorySettingsStore>()); }
    ~TextToSpeechTest() override { UseSettingsStore(previous_); }

    ProcessResult Speak(const std::string& program, const SpeechRequest& request) {
        prompts_ = {};
        LTextToSpeech speech(program, request, output_, std::chrono::seconds(60));
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
        LSoundSourceRef speech = LWaveFile::OpenSource(output_);
        ASSERT_FALSE(speech->IsError());
        std::vector<Sample> samples(static_cast<std::size_t>(speech->GetLength()));
        ASSERT_EQ(speech->GetChannels(), 1);
        speech->Read(samples.data(), speech->GetLength());
        // About fourteen words.
        const double seconds = static_cast<double>(samples.size()) / speech->GetSampleRate();
        const double expected = 14 * 60.0 / words_per_minute;
        EXPECT_GT(seconds, expected * 0.5);
        EXPECT_LT(seconds, expected * 2.0);
        // Speech, not silence: loud somewhere and audible a good part of the time.
        const auto loudest = std::max_element(samples.begin(), samples.end(), [](auto a, auto b) {
            return std::abs(a) < std::abs(b);
        });
        EXPECT_GT(std::abs(*loudest), FULL_SCALE / 8);
        const auto audible = std::count_if(samples.begin(), samples.end(),
                                           [](Sample s) { return std::abs(s) > FULL_SCALE / 100; });
        EXPECT_GT(static_cast<double>(audible), 0.2 * static_cast<double>(samples.size()));
        if (slow_seconds > 0) {
            EXPECT_LT(seconds, slow_seconds * 0.7);
        }
        slow_seconds = seconds;
    }
    EXPECT_TRUE(prompts_.Asked().empty());
    // The temporary text file is gone (the synthesizer may keep files of its own there).
    for (const auto& entry : std::filesystem::directory_iterator(scratch_.Path())) {
        EXPECT_EQ(entry.path().filename().string().find("_speech"), std::string::npos)
            << entry.path();
    }
}

TEST_F(TextToSpeechTest, EveryFailureIsToldAndLeavesNoFile) {
    struct Case {
        std::string program;
        SpeechRequest request;
        std::string told;
    };
    std::vector<Case> cases{
        {scratch_.File("nowhere/espeak-ng"), {"Hola.", "es", 160}, "apt install espeak-ng"},
        {"/bin/true", {"Hola.", "es", 160}, "no escribió"},
        {"/bin/true", {" \n", "es", 160}, "Escriba el texto"},
        {"/bin/true", {"Hola.", "-w", 160}, "no es un nombre de voz"},
        {"/bin/true", {"Hola.", "es", kFastestSpeech + 1}, "entre 80 y 450"},
    };
    if (const std::optional<std::string> synthesizer = FindSpeechSynthesizer()) {
        cases.push_back({*synthesizer, {"Hola.", "zz-nada", 160}, "(terminó con el estado 1)"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        // A file left by an earlier run must not pass for this one's.
        std::ofstream(output_) << std::string(1000, 'x');
        EXPECT_EQ(Speak(c.program, c.request), PROCESS_FAILED);
        ASSERT_EQ(prompts_.Asked().size(), 1u);
        EXPECT_NE(prompts_.Asked()[0].text.find(c.told), std::string::npos)
            << prompts_.Asked()[0].text;
        EXPECT_FALSE(std::filesystem::exists(output_));
    }
    EXPECT_TRUE(CheckSpeechRequest({"Hola", "en-us+f3", kSlowestSpeech}));
}

}  // namespace
}  // namespace sonvara
