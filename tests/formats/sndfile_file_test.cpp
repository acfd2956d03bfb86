// The formats read and written through libsndfile, against files that other programs make (sox,
// flac, oggenc, opusenc, FFmpeg) and against FFmpeg's decodes of them.

#include "formats/sndfile_file.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/format_table.h"
#include "formats/load_save.h"
#include "tests/formats/format_test_util.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

using testing::FileBytes;

class SndfileTest : public ::testing::Test {
  protected:
    // Runs a shell command in the scratch folder; a failure fails the test.
    void Shell(const std::string& command) {
        const std::string line = "cd '" + scratch_.Path() + "' && " + command + " 2>/dev/null";
        ASSERT_EQ(std::system(line.c_str()), 0) << command;
    }
    std::string File(const std::string& name) { return scratch_.File(name); }

    // The 32-bit samples of a file as FFmpeg decodes it, on the internal scale (rounded to 20
    // bits). (sox scales floating-point files to their peak.)
    std::vector<Sample> FfmpegSamples(const std::string& name) {
        Shell("ffmpeg -v error -i '" + name + "' -f s32le '" + name + ".s32'");
        const std::vector<std::uint8_t> bytes = FileBytes(File(name + ".s32"));
        std::vector<Sample> samples;
        for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
            const auto value = static_cast<std::int32_t>(LoadLE32(&bytes[i]));
            samples.push_back(
                static_cast<Sample>(std::min<double>(std::lrint(value / 4096.0), FULL_SCALE)));
        }
        return samples;
    }

    testing::ScratchFolder scratch_;
};

double SnrDb(const std::vector<Sample>& reference, const std::vector<Sample>& test) {
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < std::min(reference.size(), test.size()); ++i) {
        signal += double(reference[i]) * reference[i];
        noise += (double(reference[i]) - test[i]) * (double(reference[i]) - test[i]);
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

// Wider and coded files that other programs write read as they decode them: 24 and 32-bit
// integers kept to the internal samples' 20 bits, floating point and the G.711 codings alike.
TEST_F(SndfileTest, FilesOtherProgramsWriteReadAsTheyDecodeThem) {
    Shell("sox -n -r 44100 -c 2 -b 24 tone24.wav synth 0.5 sine 440 sine 661 vol 0.7");
    const struct {
        const char* name;
        const char* make;
    } files[] = {
        {"a.flac", "flac -s -o a.flac tone24.wav"},
        {"b.aiff", "sox tone24.wav -b 24 b.aiff"},
        {"c.aiff", "sox tone24.wav -b 32 c.aiff"},
        {"d.aifc", "ffmpeg -v error -i tone24.wav -c:a pcm_mulaw -f aiff d.aifc"},
        {"d2.aifc", "ffmpeg -v error -i tone24.wav -c:a pcm_alaw -f aiff d2.aifc"},
        {"e.caf", "sox tone24.wav -b 24 e.caf"},
        {"f.w64", "sox tone24.wav -b 24 f.w64"},
        {"g.caf", "sox tone24.wav -e floating-point -b 32 g.caf"},
        {"g2.wav", "sox tone24.wav -e floating-point -b 32 g2.wav"},
        {"tone24.wav", "true"},
        {"h.rf64", "ffmpeg -v error -i tone24.wav -c:a pcm_s24le -rf64 always -f wav h.rf64"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        Shell(file.make);
        LSoundSourceRef source = OpenSourceForLoad(File(file.name), RawFileFormat{});
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetSampleRate(), 44100);
        EXPECT_EQ(source->GetChannels(), 2);
        EXPECT_EQ(source->GetLength(), 22050);
        const std::vector<Sample> ours = testing::ReadWhole(*source);
        const std::vector<Sample> ffmpeg = FfmpegSamples(file.name);
        ASSERT_EQ(ours.size(), ffmpeg.size());
        EXPECT_EQ(ours, ffmpeg);
    }
}

// The lossy codings read at their rate and length, within a codec's noise of FFmpeg's decode.
TEST_F(SndfileTest, VorbisAndOpusReadAsFfmpegDecodesThem) {
    Shell("sox -n -r 48000 -c 2 -b 16 tone.wav synth 1 sine 440 sine 661 vol 0.5");
    Shell("oggenc -Q -q 6 tone.wav -o tone.ogg");
    Shell("opusenc --quiet --bitrate 128 tone.wav tone.opus");
    for (const char* name : {"tone.ogg", "tone.opus"}) {
        SCOPED_TRACE(name);
        LSoundSourceRef source = OpenSourceForLoad(File(name), RawFileFormat{});
        ASSERT_FALSE(source->IsError());
        EXPECT_EQ(source->GetSampleRate(), 48000);
        EXPECT_EQ(source->GetChannels(), 2);
        EXPECT_EQ(source->GetLength(), 48000);
        Shell(std::string("ffmpeg -v error -i ") + name + " -f s32le " + name + ".s32");
        const std::vector<std::uint8_t> bytes = FileBytes(File(std::string(name) + ".s32"));
        std::vector<Sample> ffmpeg;
        for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
            ffmpeg.push_back(static_cast<std::int32_t>(LoadLE32(&bytes[i])) / 4096);
        }
        EXPECT_GE(SnrDb(ffmpeg, testing::ReadWhole(*source)), 60);
    }
}

// Written and read back: the integer codings give back the internal samples exactly when they
// are at least 20 bits wide, and rounded to their step when narrower, as our own writers round.
TEST_F(SndfileTest, WrittenSamplesComeBackAtTheCodingsPrecision) {
    std::vector<Sample> samples;
    for (int i = 0; i < 4000; ++i) {
        samples.push_back(static_cast<Sample>(std::lrint(400000 * std::sin(i * 0.01))) + i % 7);
    }
    samples.push_back(FULL_SCALE);
    samples.push_back(-FULL_SCALE - 16);
    const struct {
        int format;
        int shift;
    } codings[] = {{SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 0}, {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 4},
                   {SF_FORMAT_WAV | SF_FORMAT_PCM_32, 0},  {SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 0},
                   {SF_FORMAT_CAF | SF_FORMAT_PCM_S8, 12}, {SF_FORMAT_W64 | SF_FORMAT_FLOAT, 0}};
    for (const auto& coding : codings) {
        SCOPED_TRACE(coding.format);
        const std::string path = File("out.bin");
        LSoundSinkRef sink = OpenSndfileSink(path, 22050, 1, {coding.format, std::nullopt});
        ASSERT_FALSE(sink->IsError()) << sink->ErrorText();
        sink->Write(samples.data(), static_cast<std::int32_t>(samples.size()));
        ASSERT_TRUE(sink->Finish());
        LSoundSourceRef source = OpenSndfileSource(path);
        ASSERT_FALSE(source->IsError());
        const std::vector<Sample> back = testing::ReadWhole(*source);
        ASSERT_EQ(back.size(), samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            // The nearest step of the coding, within its range.
            const int shift = coding.shift;
            const int top = (1 << (19 - shift)) - 1;
            const Sample expected =
                shift == 0
                    ? samples[i]
                    : std::clamp((samples[i] + (1 << shift) / 2) >> shift, -top - 1, top) << shift;
            ASSERT_EQ(back[i], std::min(expected, FULL_SCALE)) << i;
        }
    }
}

// A coding nobody reads is named in the message, not called unreadable data; a coding that does
// not take the rate says so when the writer opens.
TEST_F(SndfileTest, WhatCannotBeReadOrWrittenSaysWhy) {
    testing::Bytes comm;
    comm.BE16(1).BE32(100).BE16(16).Append({0x40, 0x0B, 0xFA, 0, 0, 0, 0, 0, 0, 0}).Text("XYZW");
    comm.U8(0).U8(0);
    testing::Bytes()
        .Text("FORM")
        .BE32(4 + 8 + 24 + 8 + 8)
        .Text("AIFC")
        .Chunk("COMM", comm.Get())
        .Chunk("SSND", std::vector<std::uint8_t>(8, 0))
        .WriteTo(File("odd.aifc"));
    LCutListAudio document;
    SVLoadFile load(File("odd.aifc"), document, false);
    testing::ScriptedPrompts prompts;
    EXPECT_EQ(testing::RunProcess(load, nullptr, &prompts), PROCESS_FAILED);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_EQ(prompts.Asked()[0].text, "No se puede abrir el archivo \"" + File("odd.aifc") +
                                           "\": AIFF-C con compresión 'XYZW' no se puede leer.");
    EXPECT_TRUE(load.ErrorShown());
    // Damaged data is not a coding to name.
    testing::Bytes().Text("FORM").BE32(4).Text("AIFF").WriteTo(File("short.aiff"));
    EXPECT_EQ(UnreadableCodingMessage(File("short.aiff")), std::nullopt);

    LSoundSinkRef sink =
        OpenSndfileSink(File("x.flac"), 700000, 2, {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, {}});
    EXPECT_TRUE(sink->IsError());
    EXPECT_NE(sink->ErrorText().find("700000 Hz"), std::string::npos) << sink->ErrorText();
    EXPECT_FALSE(sink->Finish());
}

}  // namespace
}  // namespace sonvara
