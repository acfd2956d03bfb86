// The batch run as a stream gives, byte for byte, what the run through a document gives, and
// tells the user what it tells: every command that streams, alone and in chains, into each
// output format.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "batch/batch_command.h"
#include "batch/batch_converter.h"
#include "core/settings.h"
#include "formats/format_table.h"
#include "platform/codec/codec_manager.h"
#include "tests/document/document_fixture.h"
#include "tests/support/run_process.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

struct StreamCase {
    std::vector<std::string> commands;  // as typed after --command
    int format;                         // into WrittenExtensions(); -1 for the input's own
    // The input: 16-bit PCM, whose length is known before it is read, or data whose reader
    // estimates its length until it reaches the end (IMA ADPCM in a WAV file, an MP3 file).
    enum Input { kPcm, kIma, kMp3 } input = kPcm;
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    for (const std::string& command : c.commands) {
        *out << command << " ";
    }
    *out << "-> "
         << (c.format < 0 ? "same" : WrittenExtensions()[static_cast<std::size_t>(c.format)])
         << (c.input == StreamCase::kIma   ? " (IMA input)"
             : c.input == StreamCase::kMp3 ? " (MP3 input)"
                                           : "");
}

class BatchStreamTest : public testing::DocumentTest,
                        public ::testing::WithParamInterface<StreamCase> {
  protected:
    BatchStreamTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~BatchStreamTest() override { UseSettingsStore(previous_store_); }

    // Loud stereo music: two tones and noise that an echo or a gain pushes past full scale, over
    // several blocks of the copy.
    std::string Music(StreamCase::Input input) {
        if (input == StreamCase::kMp3) {
            return SONVARA_MP3_DATA_DIR "/cbr128_stereo_44k.mp3";
        }
        const std::string path = scratch_.File("music.wav");
        constexpr std::int32_t kFrames = 30000;
        std::vector<Sample> samples;
        std::uint32_t noise = 12345;
        for (std::int32_t f = 0; f < kFrames; ++f) {
            for (int c = 0; c < 2; ++c) {
                noise = noise * 1664525u + 1013904223u;
                const double tone = 0.55 * std::sin(f * (0.031 + 0.004 * c)) +
                                    0.3 * std::sin(f * 0.4131) +
                                    0.1 * (static_cast<double>(noise >> 8) / (1 << 24) - 0.5);
                samples.push_back(static_cast<Sample>(tone * FULL_SCALE));
            }
        }
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(path, 44100, 0, 16, 2);
        if (input == StreamCase::kIma) {
            for (const FormatChoice& choice : CodecManager::Instance().ListFormats(2)) {
                if (choice.format.format_tag == WAVE_FORMAT_IMA_ADPCM) {
                    sink = LWaveFile::OpenSink(path, choice.format);
                    break;
                }
            }
        }
        sink->Write(samples.data(), kFrames);
        EXPECT_TRUE(sink->Finish());
        return path;
    }

    // The bytes of the run's one output, streamed or through the document.
    std::string Output(const std::string& input, const std::vector<LBatchCommandItem>& items,
                       int format, bool streaming, std::size_t& streamed) {
        const std::string folder = scratch_.File(streaming ? "streamed" : "document");
        std::filesystem::create_directories(folder);
        SVBatchConverter converter(
            {input}, items, BatchOutputSettings{format < 0, std::max(format, 0), false, folder});
        converter.SetStreaming(streaming);
        EXPECT_EQ(testing::RunProcess(converter, nullptr, &prompts_), PROCESS_DONE)
            << converter.FailedStep();
        streamed = converter.StreamedFiles();
        if (converter.Outputs().size() != 1) {
            return {};
        }
        std::string bytes;
        if (std::FILE* file = std::fopen(converter.Outputs()[0].c_str(), "rb")) {
            char block[65536];
            for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) {
                bytes.append(block, got);
            }
            std::fclose(file);
        }
        return bytes;
    }

    // The texts of the messages the run showed since the last call.
    std::vector<std::string> Told() {
        std::vector<std::string> texts;
        for (std::size_t i = told_; i < prompts_.Asked().size(); ++i) {
            texts.push_back(prompts_.Asked()[i].text);
        }
        told_ = prompts_.Asked().size();
        return texts;
    }

    testing::ScriptedPrompts prompts_;

  private:
    std::size_t told_ = 0;
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_P(BatchStreamTest, GivesTheDocumentsBytes) {
    const StreamCase& c = GetParam();
    std::vector<LBatchCommandItem> items;
    for (const std::string& text : c.commands) {
        Result<LBatchCommandItem> item = ParseBatchCommand(text);
        ASSERT_TRUE(item) << item.Message();
        items.push_back(*item);
    }
    ASSERT_TRUE(BatchListStreams(items));
    const std::string input = Music(c.input);
    std::size_t streamed = 0;
    const std::string through_document = Output(input, items, c.format, false, streamed);
    EXPECT_EQ(streamed, 0u);
    const std::vector<std::string> document_told = Told();
    const std::string as_stream = Output(input, items, c.format, true, streamed);
    ASSERT_GT(through_document.size(), 64u);
    EXPECT_TRUE(as_stream == through_document)
        << "sizes " << as_stream.size() << " and " << through_document.size();
    EXPECT_EQ(Told(), document_told);
    // A file whose length is known from the start always streams; one whose reader estimates it
    // may go through the document when the chain cannot follow a change of the estimate.
    if (c.input == StreamCase::kPcm) {
        EXPECT_EQ(streamed, 1u);
    }
}

// The formats' indexes: 0 .wav, 2 .gsm, 3 .vox, 4 .raw, 5 .aif, 6 .au.
INSTANTIATE_TEST_SUITE_P(
    EveryStreamFilter, BatchStreamTest,
    ::testing::Values(
        StreamCase{{}, 6}, StreamCase{{"3:150"}, -1}, StreamCase{{"5:250"}, -1},
        StreamCase{{"6"}, -1}, StreamCase{{"7:100,60"}, -1}, StreamCase{{"8:300,90"}, -1},
        StreamCase{{"9"}, -1}, StreamCase{{"11:-30"}, -1}, StreamCase{{"12:150"}, -1},
        StreamCase{{"13:80"}, -1}, StreamCase{{"14:120"}, -1}, StreamCase{{"15:-20,3,-2"}, -1},
        StreamCase{{"16:48000"}, -1}, StreamCase{{"16:8000"}, -1}, StreamCase{{"17:1"}, -1},
        // Gains fold as the document folds them, conversions limit their peaks.
        StreamCase{{"3:150", "3:70", "16:22050", "3:300"}, 5},
        StreamCase{{"3:200", "16:22050"}, -1}, StreamCase{{"12:130", "9", "7:50,90"}, 0},
        StreamCase{{"17:1", "7:50,90", "3:200"}, 2}, StreamCase{{"8:200,100"}, 3},
        StreamCase{{"16:11025", "6", "17:2"}, 4}, StreamCase{{"7:100,60"}, 0, StreamCase::kIma},
        StreamCase{{"3:80", "9"}, 0, StreamCase::kIma},
        StreamCase{{"16:8000", "9", "7:50,90"}, 6, StreamCase::kMp3},
        StreamCase{{"13:90"}, 0, StreamCase::kMp3},
        // A loudness gain measures the chain before it in a first pass; the ceiling binds the
        // second.
        StreamCase{{"18:-16,-1"}, -1}, StreamCase{{"7:100,60", "3:150", "18:-23,-1", "9"}, 0},
        StreamCase{{"18:-30,-20", "16:22050", "18:-14,-1"}, 5},
        StreamCase{{"13:90", "18:-16,-1", "7:50,90"}, 0, StreamCase::kMp3},
        StreamCase{{"18:-16,-1"}, 0, StreamCase::kIma},
        // LV2 plug-ins: a mono one per channel, a stereo one with its state.
        StreamCase{{"lv2:http://plugin.org.uk/swh-plugins/amp:gain=4", "3:80"}, -1},
        StreamCase{{"lv2:http://drobilla.net/plugins/mda/Delay", "16:22050"}, 0}));

}  // namespace
}  // namespace sonvara
