// The host against real plug-ins: the installed collections the tests' dependencies bring, and the
// tests' own (test_plugins/), whose results are known exactly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/memory_stream.h"
#include "audio/wav/wave_file.h"
#include "lv2/plugin_catalog.h"
#include "lv2/plugin_effect.h"
#include "lv2/plugin_settings.h"
#include "lv2/plugin_source.h"
#include "tests/document/document_fixture.h"
#include "tests/lv2/lv2_path.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

constexpr char kAmp[] = "http://plugin.org.uk/swh-plugins/amp";
constexpr char kDelay[] = "urn:sonvara:test:delay";

class PluginHostTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { testing::UseTestLv2Path(); }

    static const PluginDescription& Plugin(const std::string& uri) {
        const PluginDescription* found = PluginCatalog::Instance().Find(uri);
        EXPECT_NE(found, nullptr) << uri;
        static const PluginDescription kNone;
        return found != nullptr ? *found : kNone;
    }

    // `samples` (interleaved) through the plug-in with `settings`, read in uneven pieces.
    static std::vector<Sample> Run(const std::string& text, std::vector<Sample> samples,
                                   int channels, LSoundSourceRef* kept = nullptr) {
        const Result<PluginSettings> settings = ParsePluginSettings(text);
        EXPECT_TRUE(settings) << settings.Message();
        const PluginDescription& description = Plugin(settings->uri);
        const Result<std::vector<float>> controls = ControlValues(description, *settings);
        EXPECT_TRUE(controls) << controls.Message();
        const auto frames = static_cast<std::int32_t>(samples.size() / channels);
        LSoundSourceRef source(new LSRCPlugin(
            new LMemorySoundSource(std::move(samples), 44100, channels), description, *controls));
        std::vector<Sample> out(static_cast<std::size_t>(frames) * channels);
        for (std::int32_t at = 0; at < frames;) {
            const std::int32_t piece = std::min(frames - at, 777);
            source->Read(out.data() + static_cast<std::ptrdiff_t>(at) * channels, piece);
            at += piece;
        }
        if (kept != nullptr) {
            *kept = source;
        }
        return out;
    }

    static std::vector<Sample> Noise(std::size_t count, std::uint32_t seed = 7) {
        std::vector<Sample> samples;
        for (std::size_t i = 0; i < count; ++i) {
            seed = seed * 1664525u + 1013904223u;
            samples.push_back(static_cast<Sample>(seed >> 13) - (1 << 18));
        }
        return samples;
    }

    testing::ScratchFolder scratch_;
};

TEST_F(PluginHostTest, TheCatalogKeepsWhatItCanRunAndSaysWhyItLeavesTheRestOut) {
    PluginCatalog& catalog = PluginCatalog::Instance();
    const std::vector<PluginDescription>& all = catalog.All();
    EXPECT_TRUE(std::ranges::is_sorted(all, {}, &PluginDescription::name));
    for (const PluginDescription& plugin : all) {
        EXPECT_TRUE(plugin.Inputs() == 1 || plugin.Inputs() == 2) << plugin.uri;
        EXPECT_TRUE(plugin.Outputs() == plugin.Inputs() || plugin.Outputs() == 2) << plugin.uri;
    }
    const PluginDescription& amp = Plugin(kAmp);
    ASSERT_EQ(amp.controls.size(), 1u);
    EXPECT_EQ(amp.controls[0].symbol, "gain");
    EXPECT_EQ(amp.controls[0].minimum, -70);
    EXPECT_EQ(amp.controls[0].maximum, 70);
    EXPECT_EQ(amp.class_label, "Amplifier Plugin");
    EXPECT_EQ(Plugin(kDelay).latency_port, 2u);
    const auto midi = std::ranges::find(catalog.LeftOut(), std::string("urn:sonvara:test:midi"),
                                        &LeftOutPlugin::uri);
    ASSERT_NE(midi, catalog.LeftOut().end());
    EXPECT_EQ(midi->reason, "necesita MIDI");
    EXPECT_EQ(catalog.Find("urn:sonvara:test:midi"), nullptr);
}

TEST_F(PluginHostTest, AGainPluginAtSixDecibelsDoublesTheSamplesOfEachChannel) {
    // A mono plug-in on stereo sound runs once per channel.
    const std::vector<Sample> in = Noise(2 * 5000);
    const std::vector<Sample> out = Run(std::string(kAmp) + ":gain=6.0206", in, 2);
    for (std::size_t i = 0; i < in.size(); ++i) {
        ASSERT_NEAR(out[i], 2 * in[i], 2) << i;
    }
}

TEST_F(PluginHostTest, TheReportedLatencyIsTakenOffSoTheSoundStaysWhereItWas) {
    std::vector<Sample> in(3000, 0);
    in[1500] = 100000;
    in[2999] = -70000;  // the last frame comes out too, from past the end
    LSoundSourceRef source;
    EXPECT_EQ(Run(kDelay, in, 1, &source), in);
    // A seek starts the plug-in afresh there.
    source->Seek(1400);
    std::vector<Sample> after(200);
    source->Read(after.data(), 200);
    EXPECT_EQ(after[100], 100000);
    EXPECT_EQ(std::ranges::count(after, 0), 199);
    EXPECT_FALSE(source->IsError());
}

TEST_F(PluginHostTest, ValuesThatAreNotNumbersAreAnErrorNamingThePlugin) {
    LSoundSourceRef source;
    const std::vector<Sample> out = Run("urn:sonvara:test:nan:poison=1", Noise(3000), 1, &source);
    EXPECT_TRUE(source->IsError());
    EXPECT_NE(source->ErrorText().find("Sonvara test poison"), std::string::npos)
        << source->ErrorText();
    EXPECT_EQ(std::ranges::count(out, 0), 3000);
    EXPECT_FALSE(source->ErrorText().empty());
}

TEST_F(PluginHostTest, SettingsReadAndWriteTheirTextAndRefuseWhatThePluginLacks) {
    const Result<PluginSettings> parsed =
        ParsePluginSettings("http://gareus.org/oss/lv2/dpl#stereo:threshold=-3.5,enable=1");
    ASSERT_TRUE(parsed) << parsed.Message();
    EXPECT_EQ(parsed->uri, "http://gareus.org/oss/lv2/dpl#stereo");
    ASSERT_EQ(parsed->values.size(), 2u);
    EXPECT_EQ(parsed->values[0], std::make_pair(std::string("threshold"), -3.5f));
    EXPECT_EQ(PluginSettingsText(*parsed),
              "http://gareus.org/oss/lv2/dpl#stereo:threshold=-3.5,enable=1");
    const Result<PluginSettings> bare = ParsePluginSettings(kAmp);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->uri, kAmp);
    EXPECT_TRUE(bare->values.empty());
    EXPECT_FALSE(ParsePluginSettings(std::string(kAmp) + ":gain=loud"));
    EXPECT_FALSE(ParsePluginSettings(std::string(kAmp) + ":gain=1,=2"));

    // Values out of a control's range are brought into it; a port the plug-in lacks is refused.
    const Result<std::vector<float>> clamped =
        ControlValues(Plugin(kAmp), *ParsePluginSettings(std::string(kAmp) + ":gain=99"));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(*clamped, std::vector<float>{70});
    const Result<std::vector<float>> unknown =
        ControlValues(Plugin(kAmp), *ParsePluginSettings(std::string(kAmp) + ":volume=1"));
    EXPECT_EQ(unknown.Message(),
              "el complemento LV2 \"Simple amplifier\" no tiene el puerto \"volume\"");
}

// The same plug-in, with the same values, run by lilv's own command-line host on the same input:
// the results agree within the 16-bit file's resolution. Mono, stereo, and a mono reverb giving
// stereo (run here on stereo sound whose two channels are the other host's mono input).
TEST_F(PluginHostTest, APluginGivesWhatLilvsOwnHostGives) {
    for (const std::string text : {"http://plugin.org.uk/swh-plugins/lowpass_iir:cutoff=0.1",
                                   "http://drobilla.net/plugins/mda/Delay",
                                   "http://plugin.org.uk/swh-plugins/plate:time=1.5,wet=0.5"}) {
        SCOPED_TRACE(text);
        const Result<PluginSettings> settings = ParsePluginSettings(text);
        ASSERT_TRUE(settings);
        const PluginDescription& plugin = Plugin(settings->uri);
        const int channels = plugin.Inputs();
        std::vector<Sample> in = Noise(static_cast<std::size_t>(channels) * 20000, 11);
        for (Sample& s : in) {
            s = s / 4 & ~15;  // on 16-bit steps, well inside full scale: nothing clips
        }
        const std::string in_path = scratch_.File("in.wav");
        const std::string out_path = scratch_.File("out.wav");
        LSoundSinkRef sink = LWaveFile::OpenSinkPCM(in_path, 44100, 0, 16, channels);
        sink->Write(in.data(), 20000);
        ASSERT_TRUE(sink->Finish());
        std::string command = "lv2apply";  // its values come first
        for (const auto& [symbol, value] : settings->values) {
            command += " -c " + symbol + " " + std::to_string(value);
        }
        command += " -i '" + in_path + "' -o '" + out_path + "' '" + plugin.uri + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;

        std::vector<Sample> ours_in;
        for (const Sample sample : in) {
            ours_in.insert(ours_in.end(), plugin.Outputs() / channels, sample);
        }
        const std::vector<Sample> ours = Run(text, ours_in, plugin.Outputs());
        LSoundSourceRef theirs = LWaveFile::OpenSource(out_path);
        ASSERT_FALSE(theirs->IsError());
        ASSERT_EQ(theirs->GetLength(), 20000);
        std::vector<Sample> reference(ours.size());
        theirs->Read(reference.data(), 20000);
        double largest = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            // libsndfile writes floating point to 16 bits on a scale of 32767, not 32768.
            const double theirs_here = reference[i] * 32768.0 / 32767.0;
            largest = std::max(largest, std::fabs(ours[i] - theirs_here));
        }
        // Half a 16-bit step: the other host's output is written in 16 bits.
        EXPECT_LE(largest, 9);
        EXPECT_GT(std::ranges::count_if(reference, [](Sample s) { return s != 0; }), 10000);
    }
}

// On a document: the selection takes the plug-in's result as one effect; a plug-in that fails
// leaves the document as it was and says why.
class PluginEffectTest : public testing::DocumentTest {
  protected:
    static void SetUpTestSuite() { testing::UseTestLv2Path(); }
};

TEST_F(PluginEffectTest, TheSelectionTakesTheResultAndAFailureChangesNothing) {
    LCutListAudio document = Staircase(6000);
    const std::vector<Sample> before = ReadList(document);
    Result<PluginRun> run = ResolvePlugin("urn:sonvara:test:delay");
    ASSERT_TRUE(run) << run.Message();
    {
        // The delay's latency is taken off: the selection comes back as it was, in place.
        EfPlugin effect(document, {1000, 3000}, *run);
        ASSERT_EQ(testing::RunProcess(effect), PROCESS_DONE);
        EXPECT_EQ(ReadList(document), before);
    }
    run = ResolvePlugin("urn:sonvara:test:nan:poison=1");
    ASSERT_TRUE(run) << run.Message();
    testing::ScriptedPrompts prompts;
    EfPlugin effect(document, {1000, 3000}, *run);
    EXPECT_EQ(testing::RunProcess(effect, nullptr, &prompts), PROCESS_FAILED);
    EXPECT_EQ(ReadList(document), before);
    ASSERT_EQ(prompts.Asked().size(), 1u);
    EXPECT_EQ(prompts.Asked()[0].text,
              "El complemento LV2 \"Sonvara test poison\" dio valores que no son números o son "
              "infinitos.");
    EXPECT_EQ(ResolvePlugin("urn:sonvara:test:midi").Message(),
              "El complemento LV2 \"urn:sonvara:test:midi\" no está instalado en este equipo.");
}

}  // namespace
}  // namespace sonvara
