#include "devices/mixer.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "devices/system_outputs.h"
#include "tests/support/captured_diagnostics.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using Values = std::map<std::string, std::vector<long>>;

// Cards of the stand-in mixer, reached through a private ~/.asoundrc. Volumes run 0..160; those
// with a dB scale run from -60 dB in steps of 0.5 dB (raw = 2 × dB + 120).
class MixerTest : public ::testing::Test {
  protected:
    MixerTest() { snd_config_update_free_global(); }
    ~MixerTest() override { snd_config_update_free_global(); }

    // Defines card `name` with `controls`; returns its device number.
    int AddCard(const std::string& name, const std::string& controls, const std::string& db = "",
                const std::string& sources = "") {
        std::ofstream rc(scratch_.File(".asoundrc"), std::ios::app);
        if (names_.empty()) {
            rc << "ctl_type.fakemix { lib \"" << SONVARA_FAKE_MIXER << "\" }\n";
        }
        rc << "ctl." << name << " { type fakemix max 160 state \"" << State(name)
           << "\" controls \"" << controls << "\" db \"" << db << "\" sources \"" << sources
           << "\" }\n";
        names_.push_back(name);
        snd_config_update_free_global();
        return static_cast<int>(names_.size()) - 1;
    }

    std::string State(const std::string& card) const { return scratch_.File(card + ".state"); }

    // Every control's values as the card holds them (written at each change).
    Values Read(const std::string& card) const {
        Values values;
        std::ifstream in(State(card));
        std::string line;
        while (std::getline(in, line)) {
            const auto equals = line.find('=');
            std::stringstream list(line.substr(equals + 1));
            std::string value;
            auto& into = values[line.substr(0, equals)];
            while (std::getline(list, value, ',')) {
                into.push_back(std::stol(value));
            }
        }
        return values;
    }

    // Starts the card at `values` (the rest as the plugin starts them).
    void Preset(const std::string& card, const Values& values) {
        std::ofstream out(State(card));
        for (const auto& [name, list] : values) {
            out << name << '=';
            for (std::size_t i = 0; i < list.size(); ++i) {
                out << (i > 0 ? "," : "") << list[i];
            }
            out << '\n';
        }
    }

    LMixer Mixer() const { return LMixer(names_); }

    testing::ScratchFolder scratch_;
    testing::ScopedEnv home_{"HOME", scratch_.Path()};
    std::vector<std::string> names_;
};

std::vector<long> Both(long value) {
    return {value, value};
}

TEST(MixerValueTest, FollowsTheFaderMappingAndItsLimits) {
    EXPECT_EQ(MixerValue(-127), 0);
    EXPECT_EQ(MixerValue(-36), 0);
    EXPECT_EQ(MixerValue(-35), 1424);
    EXPECT_EQ(MixerValue(0), 51264);
    EXPECT_EQ(MixerValue(10), 65504);
    EXPECT_EQ(MixerValue(12), 65535);
    EXPECT_EQ(MixerValue(127), 65535);
}

TEST(MixerValueTest, APcmNameLeadsToItsCardsMixer) {
    EXPECT_EQ(MixerControlName("hw:CARD=PCH,DEV=0"), "hw:PCH");
    EXPECT_EQ(MixerControlName("sysdefault:CARD=USB"), "hw:USB");
    EXPECT_EQ(MixerControlName("plughw:1,0"), "hw:1");
    EXPECT_EQ(MixerControlName("default"), "default");
    EXPECT_EQ(MixerControlName("pulse"), "pulse");
    EXPECT_EQ(MixerControlName("null"), "");
    EXPECT_EQ(MixerControlName(SystemWaveOutProvider::kNullOutputName), "");
}

TEST_F(MixerTest, OutputVolumeSetsMasterAndTheWaveOutputAndSwitchesThemOn) {
    const int device = AddCard("out",
                               "Master Playback Volume;Master Playback Switch;"
                               "PCM Playback Volume;PCM Playback Switch",
                               "PCM Playback Volume");
    Preset("out", {{"Master Playback Switch", Both(0)}, {"PCM Playback Switch", Both(0)}});

    // Master has no dB scale: 51264 / 65535 of 160. PCM is set in dB: -8 dB is raw 104.
    Mixer().SetOutVolume(device, -8, 0);
    Values v = Read("out");
    EXPECT_EQ(v["Master Playback Volume"], Both(125));
    EXPECT_EQ(v["PCM Playback Volume"], Both(104));
    EXPECT_EQ(v["Master Playback Switch"], Both(1));
    EXPECT_EQ(v["PCM Playback Switch"], Both(1));

    // Above the scale's top the dB element stays at its top; at -36 dB and below both go to the
    // bottom of their range.
    Mixer().SetOutVolume(device, 0, 40);
    EXPECT_EQ(Read("out")["PCM Playback Volume"], Both(160));
    EXPECT_EQ(Read("out")["Master Playback Volume"], Both(160));
    Mixer().SetOutVolume(device, 0, -36);
    EXPECT_EQ(Read("out")["PCM Playback Volume"], Both(0));
    EXPECT_EQ(Read("out")["Master Playback Volume"], Both(0));

    // No device, or one the list does not hold: nothing changes.
    const Values before = Read("out");
    testing::CapturedDiagnostics diagnostics;
    Mixer().SetOutVolume(-1, 0, 0);
    Mixer().SetOutVolume(5, 0, 0);
    EXPECT_EQ(Read("out"), before);
    EXPECT_TRUE(diagnostics.Contains("LMixer::SetOutVolume no mixer ERROR"));
}

TEST_F(MixerTest, RecordingSelectsOneLineThroughTheCaptureSource) {
    const int device = AddCard("rec",
                               "Capture Volume;Capture Switch;Mic Capture Volume;"
                               "Line Capture Volume;CD Capture Volume;Capture Source",
                               "", "Mic;Line;CD");
    Preset("rec", {{"Capture Switch", Both(0)}, {"Mic Capture Volume", Both(90)}});
    const LMixer mixer = Mixer();

    ASSERT_EQ(mixer.GetInputChannelCount(device), 3);
    std::vector<std::string> names;
    for (int line = -1; line < 3; ++line) {
        std::string name = "unchanged";
        mixer.GetInputChannelName(device, line, name);
        names.push_back(name);
    }
    // ALSA lists the lines in its own order.
    EXPECT_EQ(names, (std::vector<std::string>{"Mezclador de Grabación", "Line", "CD", "Mic"}));

    mixer.SetInputChannel(device, 0, -6);
    Values v = Read("rec");
    const long at_minus_6 = 104;  // 30 × 1424 / 65535 of 160
    EXPECT_EQ(v["Capture Volume"], Both(at_minus_6));
    EXPECT_EQ(v["Capture Switch"], Both(1));
    EXPECT_EQ(v["Line Capture Volume"], Both(at_minus_6));
    EXPECT_EQ(v["Mic Capture Volume"], Both(0));
    EXPECT_EQ(v["CD Capture Volume"], Both(0));
    EXPECT_EQ(v["Capture Source"], std::vector<long>{1});

    // Line -1 (the recording mixer as a whole) and a missing line change nothing.
    mixer.SetInputChannel(device, -1, 0);
    mixer.SetInputChannel(device, 3, 0);
    EXPECT_EQ(Read("rec"), v);

    std::string name = "unchanged";
    mixer.GetInputChannelName(device, 3, name);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(mixer.GetInputChannelCount(-1), 0);
}

TEST_F(MixerTest, WithoutACaptureSourceTheLinesSwitchesAndVolumesAreSet) {
    const int plain = AddCard("plain", "Mic Capture Volume;Line Capture Volume");
    const int switched = AddCard("switched",
                                 "Mic Capture Volume;Mic Capture Switch;Line Capture Volume;"
                                 "Line Capture Switch");
    Preset("plain", {{"Line Capture Volume", Both(77)}});
    const LMixer mixer = Mixer();

    // Line 0 is "Line", line 1 "Mic".
    mixer.SetInputChannel(plain, 1, 0);
    EXPECT_EQ(Read("plain"),
              (Values{{"Mic Capture Volume", Both(125)}, {"Line Capture Volume", Both(0)}}));

    mixer.SetInputChannel(switched, 0, 0);
    EXPECT_EQ(Read("switched"), (Values{{"Mic Capture Volume", Both(0)},
                                        {"Mic Capture Switch", Both(0)},
                                        {"Line Capture Volume", Both(125)},
                                        {"Line Capture Switch", Both(1)}}));
}

TEST_F(MixerTest, AuxiliaryOutputsAreThePlaybackLinesBesideMasterAndPcm) {
    const int device = AddCard("aux",
                               "Master Playback Volume;PCM Playback Volume;CD Playback Volume;"
                               "CD Playback Switch",
                               "CD Playback Volume");
    Preset("aux", {{"CD Playback Switch", Both(0)}});
    const LMixer mixer = Mixer();

    ASSERT_EQ(mixer.GetOutChannelAuxCount(device), 1);
    std::string name;
    mixer.GetOutChannelAuxName(device, 0, name);
    EXPECT_EQ(name, "CD");
    mixer.SetOutChannelAuxVolume(device, 0, -20);
    Values v = Read("aux");
    EXPECT_EQ(v["CD Playback Volume"], Both(80));  // -20 dB on the dB scale
    EXPECT_EQ(v["CD Playback Switch"], Both(1));
    EXPECT_EQ(v["Master Playback Volume"], Both(0));
}

}  // namespace
}  // namespace sonvara
