#pragma once
// Loading documents through the external decoders: a cut tank, a data folder and settings of the
// test's own, prompts that record the messages, and FFmpeg to make the coded files at test time.

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/external_program.h"
#include "core/settings.h"
#include "formats/load_save.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara::testing {

class DecoderTest : public DocumentTest {
  protected:
    DecoderTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~DecoderTest() override { UseSettingsStore(previous_store_); }

    ProcessResult Load(const std::string& path, LCutListAudio& document,
                       ProgressView* view = nullptr) {
        SVLoadFile load(path, document, false);
        return RunProcess(load, view, &prompts_);
    }

    // Runs FFmpeg with `arguments` after the usual quiet, overwrite options.
    static bool Ffmpeg(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"-hide_banner", "-loglevel", "error", "-y"});
        auto child = ChildProcess::Spawn("ffmpeg", arguments, false, nullptr);
        return child != nullptr && child->WaitFor(std::chrono::minutes(2)) &&
               child->ExitStatus() == 0;
    }

    // `seconds` of a 440 Hz tone at `rate` with `channels`, coded by FFmpeg's `codec` into `name`.
    std::string Tone(const std::string& name, int rate, int channels, double seconds,
                     const std::string& codec) {
        const std::string path = scratch_.File(name);
        EXPECT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                            "sine=frequency=440:sample_rate=" + std::to_string(rate) +
                                ":duration=" + std::to_string(seconds),
                            "-ac", std::to_string(channels), "-c:a", codec, path}))
            << name;
        return path;
    }

    // The root mean square of a document's samples, in 16-bit units.
    static double Loudness(const LCutListAudio& document) {
        const std::vector<Sample> samples = ReadList(document);
        double sum = 0.0;
        for (Sample sample : samples) {
            const double value = sample / 16.0;
            sum += value * value;
        }
        return samples.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(samples.size()));
    }

    // The files in the data folder, where the decoders' temporary WAV files go.
    std::vector<std::string> DataFolderFiles() const {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(data_folder_.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    names.push_back(name);
                }
            }
            ::closedir(dir);
        }
        return names;
    }

    // The errors shown so far, as text.
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const PromptMessage& message : prompts_.Asked()) {
            texts.push_back(message.text);
        }
        return texts;
    }

    static bool StartsWith(const std::string& text, const std::string& start) {
        return text.rfind(start, 0) == 0;
    }

    ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    std::string data_folder_ = scratch_.File("data/Vellumtone/Sonvara/Current");
    ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

}  // namespace sonvara::testing
