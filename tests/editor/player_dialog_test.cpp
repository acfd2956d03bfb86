// The player dialog: what it shows for a position, its buttons, the sound its Play sends to the
// output, a wind while a button is held, the device and volume it keeps and sets through the
// mixer, and handing the notifications back when it closes.

#include "editor/transport/player_dialog.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "core/settings.h"
#include "devices/recording_wave_out.h"
#include "document/edit_document.h"
#include "editor_model/transport.h"
#include "tests/document/document_fixture.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wait_until.h"
#include "tests/view/gui_test_app.h"
#include "view/db_edit.h"
#include "view/player_wave_window.h"

namespace sonvara {
namespace {

// Counts the notifications an owner gets.
class OwnerLog : public LSoundPlayerNotify {
  public:
    void EvPosition(std::uint32_t user, std::int32_t) override { positions += user == 5; }
    int positions = 0;
};

// Device 0 is the recording output; the names are what the mixer sees.
class NamedRecordingProvider : public RecordingWaveOutProvider {
  public:
    using RecordingWaveOutProvider::RecordingWaveOutProvider;
    std::vector<std::string> DeviceNames() const override { return names; }
    std::vector<std::string> names{RecordingWaveOutProvider::kName};
};

// Three seconds of a staircase at 8000 Hz: frame f reaches the output as the 16-bit value f.
class PlayerDialogTest : public testing::DocumentTest {
  protected:
    PlayerDialogTest() { player_.SetNotify(&owner_, 5); }
    ~PlayerDialogTest() override {
        player_.Stop();
        player_.SetNotify(nullptr);
    }

    std::unique_ptr<LPlayerBaseDlg> Open() {
        auto dialog =
            std::make_unique<LPlayerBaseDlg>(player_, outputs_, document_, &owner_, 5, &prompts_);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }

    template <typename T>
    static T* Child(QWidget& dialog, const char* name) {
        T* child = dialog.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    // Card "fakeout" of the stand-in mixer, its values kept in `home`'s "state", with `controls`
    // (the plugin's options), reached through `home`'s ALSA configuration.
    static void UseFakeMixer(const testing::ScratchFolder& home, const std::string& controls) {
        std::ofstream(home.File(".asoundrc"))
            << "ctl_type.fakemix { lib \"" << SONVARA_FAKE_MIXER << "\" }\n"
            << "ctl.fakeout { type fakemix max 160 state \"" << home.File("state") << "\" "
            << controls << " }\n";
        snd_config_update_free_global();
    }

    // The player reports through loop_; the dialog's widgets through Qt's events.
    bool PumpUntil(const std::function<bool()>& done) {
        return testing::WaitUntil(done, std::chrono::seconds(5), std::chrono::milliseconds(5),
                                  [this](std::chrono::milliseconds step) {
                                      loop_.WaitAndPump(step);
                                      QApplication::processEvents();
                                  });
    }

    QApplication& app_ = testing::GuiApp();
    LCutListAudio document_ = Staircase(24000);
    QueueMessageLoop loop_;
    std::shared_ptr<WaveRecording> recording_ =
        std::make_shared<WaveRecording>(WaveRecording::Pace::kStepped);
    NamedRecordingProvider outputs_{recording_};
    LSoundPlayer player_{loop_, outputs_};
    OwnerLog owner_;
    testing::ScriptedPrompts prompts_;
};

TEST_F(PlayerDialogTest, APositionShowsAsTextOnTheSliderAndOnTheWaveDisplay) {
    auto dialog = Open();
    EXPECT_EQ(Child<QLabel>(*dialog, "position")->text(), "0:00:00.00");

    dialog->SetPosition(12000);
    EXPECT_EQ(Child<QLabel>(*dialog, "position")->text(), "0:00:01.50");
    EXPECT_EQ(Child<QSlider>(*dialog, "positionSlider")->value(), 50);
    auto* wave = Child<LWaveWindow>(*dialog, "LWaveWindow");
    EXPECT_EQ(wave->PositionStart(), 12000);
    EXPECT_EQ(wave->PositionWidth(), 0);  // not in cue mode
    ASSERT_TRUE(wave->WaitForColumns());
    EXPECT_EQ(wave->Mapping().Start(), 4000);  // a second either side
    EXPECT_EQ(wave->Mapping().Length(), 16000);

    const std::vector<std::pair<const char*, const char*>> tips = {
        {"play", "Reproducir (F9)"},      {"scrub", "Scrub (Space)"},
        {"stop", "Detener (Esc)"},        {"start", "Saltar al Inicio (Home)"},
        {"rewind", "Rebobinar (<-)"},     {"forward", "Avanzar Rapido (->)"},
        {"end", "Saltar al Final (End)"},
    };
    for (const auto& [name, tip] : tips) {
        EXPECT_EQ(Child<QToolButton>(*dialog, name)->toolTip(), tip);
    }
}

TEST_F(PlayerDialogTest, PlaySendsTheSoundFromThePositionAndClosingHandsTheNotificationsBack) {
    auto dialog = Open();
    dialog->SetPosition(8000);
    QTest::mouseClick(Child<QToolButton>(*dialog, "play"), Qt::LeftButton);
    ASSERT_FALSE(player_.IsIdle());
    ASSERT_TRUE(recording_->Step(2000));
    const std::vector<std::int16_t> heard = recording_->Samples();
    ASSERT_GE(heard.size(), 2000U);
    for (std::size_t i = 0; i < 2000; ++i) {
        ASSERT_EQ(heard[i], static_cast<std::int16_t>(8000 + i)) << i;
    }
    // The buffers that came back move the position on.
    ASSERT_TRUE(PumpUntil([&] { return dialog->Position() > 8000; }));
    EXPECT_EQ(owner_.positions, 0);
    // SONVARA_PLAYER_SCREENSHOT names a PNG file to keep a picture of the playing dialog in.
    if (const char* keep = std::getenv("SONVARA_PLAYER_SCREENSHOT")) {
        ASSERT_TRUE(Child<LWaveWindow>(*dialog, "LWaveWindow")->WaitForColumns());
        QApplication::processEvents();
        ASSERT_TRUE(dialog->grab().save(QString::fromLocal8Bit(keep), "PNG"));
    }

    dialog->accept();
    EXPECT_TRUE(player_.IsIdle());
    ASSERT_TRUE(player_.Start(new LSRCCutListAudio(document_)));
    ASSERT_TRUE(recording_->Step(2000));
    EXPECT_TRUE(PumpUntil([&] { return owner_.positions > 0; }));
}

TEST_F(PlayerDialogTest, WhenNoDeviceOpensTheUserIsTold) {
    auto dialog = Open();
    recording_->SetRefusingOpen(true);
    QTest::keyClick(dialog.get(), Qt::Key_F9);
    EXPECT_TRUE(player_.IsIdle());
    ASSERT_EQ(prompts_.Asked().size(), 1U);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Sonvara");
    EXPECT_EQ(prompts_.Asked()[0].text.rfind("Por favor, confirme que Usted", 0), 0U);
}

TEST_F(PlayerDialogTest, ForwardWindsWhileHeldAndStopsWhenReleased) {
    auto dialog = Open();
    auto* forward = Child<QToolButton>(*dialog, "forward");
    QTest::mousePress(forward, Qt::LeftButton);
    ASSERT_FALSE(player_.IsIdle());
    ASSERT_TRUE(recording_->Step(4000));
    // Half a second of output at 1.5 times and faster passes well over half a second of sound,
    // and the position shown is the frame heard last (the staircase's value there), within the
    // cross-fade of one stretch segment (about 11 ms).
    const std::int32_t heard = recording_->Samples().at(3999);
    EXPECT_GT(heard, 5000);
    EXPECT_LT(heard, 8000);
    ASSERT_TRUE(PumpUntil([&] { return std::abs(dialog->Position() - heard) <= 100; }))
        << dialog->Position() << " shown, " << heard << " heard";
    QTest::mouseRelease(forward, Qt::LeftButton);
    EXPECT_TRUE(player_.IsIdle());  // nothing was playing before
}

TEST_F(PlayerDialogTest, TheDeviceAndVolumeAreKeptAndTheVolumeIsSetAtOnce) {
    testing::ScratchFolder home;
    testing::ScopedEnv home_env("HOME", home.Path());
    UseFakeMixer(home, "controls \"Master Playback Volume\"");
    outputs_.names = {"fakeout", "elsewhere"};
    auto dialog = Open();

    auto* volume = Child<LDBEdit>(*dialog, "LDBEdit");
    volume->clear();
    QTest::keyClicks(volume, "-6");
    QTest::keyClick(volume, Qt::Key_Return);
    EXPECT_EQ(ReadInt("Player", "VolumeDB", 0), -6);
    std::string state;
    std::getline(std::ifstream(home.File("state")), state);
    EXPECT_EQ(state, "Master Playback Volume=104,104");  // 30 × 1424 / 65535 of 160

    Child<QComboBox>(*dialog, "devices")->setCurrentIndex(1);
    EXPECT_EQ(ReadInt("Player", "Device", 0), 1);
    dialog.reset();
    outputs_.names = {"fakeout", "elsewhere", "third"};
    dialog = Open();
    EXPECT_EQ(Child<QComboBox>(*dialog, "devices")->count(), 3);
    EXPECT_EQ(Child<QComboBox>(*dialog, "devices")->currentIndex(), 1);
    EXPECT_EQ(Child<LDBEdit>(*dialog, "LDBEdit")->text(), "-6dB");
    snd_config_update_free_global();
}

// With "ReduceVolWhenRewind", a wind plays at -8 dB and puts back the levels the output had,
// however it ends: released, stopped by a failing output, or failed to start.
TEST_F(PlayerDialogTest, AWindPutsTheOutputVolumeBackAsItWasHoweverItEnds) {
    testing::ScratchFolder home;
    testing::ScopedEnv home_env("HOME", home.Path());
    std::ofstream(home.File("state"))
        << "Master Playback Volume=100,90\nPCM Playback Volume=77,77\n";
    UseFakeMixer(home,
                 "controls \"Master Playback Volume;PCM Playback Volume\" db \"PCM Playback "
                 "Volume\" sources \"\"");
    outputs_.names = {"fakeout"};
    WriteBool("Settings", "ReduceVolWhenRewind", true);
    const auto state = [&] {
        std::stringstream text;
        text << std::ifstream(home.File("state")).rdbuf();
        return text.str();
    };
    const std::string before = state();
    struct QuietHost : TransportHost {
        void DeviceFailed(const std::string&) override {}
        void PlaybackEnded(const std::string&) override {}
        void LevelsChanged(const SoundLevels&) override {}
    } host;
    LTransport transport(player_, outputs_, host);
    transport.SetOutput(0, -20);  // what comes back only when the levels cannot be read
    LEditDocument document;
    document.Audio() = Staircase(8000);

    transport.PressWind(document, Wind::kForward);
    ASSERT_EQ(transport.Winding(), Wind::kForward);
    EXPECT_NE(state().find("PCM Playback Volume=104,104"), std::string::npos) << state();
    transport.ReleaseWind(Wind::kForward);
    EXPECT_EQ(state(), before);

    transport.PressWind(document, Wind::kForward);
    ASSERT_EQ(transport.Winding(), Wind::kForward);
    recording_->SetFailing(true);  // the output fails while the wind plays
    EXPECT_TRUE(PumpUntil([&] {
        recording_->Step(2000, std::chrono::milliseconds(20));
        return !transport.IsActive();
    }));
    EXPECT_EQ(state(), before);
    recording_->SetFailing(false);

    recording_->SetRefusingOpen(true);
    transport.PressWind(document, Wind::kRewind);
    EXPECT_EQ(transport.Winding(), Wind::kNone);
    EXPECT_EQ(state(), before);
    snd_config_update_free_global();
}

}  // namespace
}  // namespace sonvara
