// LV2 plug-ins in the editor, with plug-ins of the collections the tests install: the Efectos
// menu's "Complementos LV2" in groups by class, a plug-in applied through the dialog made from
// its ports as one undoable step with its values kept, and the dialog's kinds of controls and
// presets.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QMenu>
#include <QSlider>
#include <QTimer>
#include <cmath>

#include "editor/effects/plugin_dialog.h"
#include "editor/frame/plugin_menu.h"
#include "lv2/plugin_catalog.h"
#include "lv2/plugin_settings.h"
#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

constexpr char kAmp[] = "http://plugin.org.uk/swh-plugins/amp";

class PluginEffectsTest : public EditorTest {
  protected:
    PluginEffectsTest() {
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteInt("Settings", "DefaultSampleRate", kRate);
        WriteInt("Settings", "DefaultChannels", 2);
    }

    static const PluginDescription& Plugin(const std::string& uri) {
        const PluginDescription* found = PluginCatalog::Instance().Find(uri);
        EXPECT_NE(found, nullptr) << uri;
        static const PluginDescription kNone;
        return found != nullptr ? *found : kNone;
    }

    // The entry of the plug-in `uri` in the menu, with the title of its group.
    std::pair<QAction*, QString> MenuEntry(const std::string& uri) {
        auto* plugins = frame_->findChild<QMenu*>("pluginsMenu");
        EXPECT_NE(plugins, nullptr);
        emit plugins->aboutToShow();  // as when the user opens it
        for (QAction* group : plugins->actions()) {
            for (QAction* entry :
                 group->menu() != nullptr ? group->menu()->actions() : QList<QAction*>{}) {
                if (entry->data().toString().toStdString() == uri) {
                    return {entry, group->text()};
                }
            }
        }
        return {nullptr, {}};
    }
};

TEST_F(PluginEffectsTest, APluginFromTheMenuChangesTheSelectionAsOneStepWithItsValuesKept) {
    frame_->Rooms().files.CmNew();
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    Frames samples;
    for (std::int32_t f = 0; f < kRate; ++f) {
        const auto x = static_cast<Sample>(40000 * std::sin(f * 0.03));
        samples.insert(samples.end(), {x, -x});
    }
    file->Document().Audio() = FromSamples(samples, 2, kRate);
    file->SetSelection(2000, 6000);

    const auto [entry, group] = MenuEntry(kAmp);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(QString(group).remove(QChar('&')), "Dinámica");
    EXPECT_EQ(entry->text(), "Simple amplifier...");
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* dialog = frame_->findChild<LPluginDlg*>();
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        dialog->findChild<QDoubleSpinBox*>("gain")->setValue(-6);
        dialog->accept();
    });
    entry->trigger();
    EXPECT_EQ(caption, "Simple amplifier");

    // 6 dB quieter inside the selection, as it was outside.
    const double kHalf = std::pow(10.0, -6.0 / 20);
    const Frames after = ReadList(file->Document().Audio());
    ASSERT_EQ(after.size(), samples.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool inside = i >= 2 * 2000 && i < 2 * 6000;
        ASSERT_NEAR(after[i], inside ? samples[i] * kHalf : samples[i], inside ? 2 : 0) << i;
    }
    EXPECT_EQ(ReadString("LV2", kAmp, ""), "gain=-6");
    EXPECT_EQ(frame_->Action(kCmUndo)->text().toStdString(), "Deshacer Simple amplifier\tCtrl+Z");
    frame_->Action(kCmUndo)->trigger();
    EXPECT_EQ(ReadList(file->Document().Audio()), samples);

    // The repeat applies it again with the same values, without the dialog.
    file->SetSelection(2000, 6000);
    frame_->Action(kCmRepeatEffect)->trigger();
    EXPECT_NEAR(ReadList(file->Document().Audio())[2 * 3000], samples[2 * 3000] * kHalf, 2);
}

TEST_F(PluginEffectsTest, TheDialogIsMadeFromThePortsAndOffersThePluginsPresets) {
    // The equalizer: on/off sections as check boxes, frequencies on a logarithmic slider.
    const PluginDescription& equalizer = Plugin("http://gareus.org/oss/lv2/fil4#stereo");
    {
        LPluginDlg dialog(equalizer, prompts_, nullptr, frame_.get());
        EXPECT_NE(dialog.findChild<QCheckBox*>("HighPass"), nullptr);
        auto* slider = dialog.findChild<QSlider*>("HPfreqSlider");
        ASSERT_NE(slider, nullptr);
        slider->setValue(slider->maximum() / 2);
        const PluginControl& frequency = *equalizer.FindControl("HPfreq");
        EXPECT_NEAR(dialog.findChild<QDoubleSpinBox*>("HPfreq")->value(),
                    std::sqrt(frequency.minimum * frequency.maximum), 0.5);
        // The values as text hold every control, and read back as they stand.
        const Result<PluginSettings> text = ParsePluginSettings(dialog.Values().text);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->values.size(), equalizer.controls.size());
        EXPECT_EQ(*ControlValues(equalizer, *text), dialog.ControlValues());
    }
    // Named values as a list.
    {
        LPluginDlg dialog(Plugin("http://drobilla.net/plugins/mda/Bandisto"), prompts_, nullptr,
                          frame_.get());
        auto* mode = dialog.findChild<QComboBox*>("mode");
        ASSERT_NE(mode, nullptr);
        EXPECT_EQ(mode->count(), 2);
        EXPECT_EQ(mode->itemText(1), "Unipolar");
    }
    // The presets, after the plug-in's defaults: choosing one shows its values.
    const PluginDescription& detune = Plugin("http://drobilla.net/plugins/mda/Detune");
    const std::vector<PluginPreset> presets = PluginPresets(detune.uri);
    ASSERT_GE(presets.size(), 2u);
    LPluginDlg dialog(detune, prompts_, nullptr, frame_.get());
    auto* list = dialog.findChild<QComboBox*>("presets");
    ASSERT_EQ(list->count(), static_cast<int>(presets.size()) + 1);
    EXPECT_EQ(list->itemText(2).toStdString(), presets[1].label);
    emit list->activated(2);
    for (const auto& [symbol, value] : presets[1].values) {
        const PluginControl* control = detune.FindControl(symbol);
        ASSERT_NE(control, nullptr) << symbol;
        EXPECT_NEAR(
            dialog.ControlValues()[static_cast<std::size_t>(control - detune.controls.data())],
            control->Clamp(value), 0.01)
            << symbol;
    }
    emit list->activated(0);
    for (std::size_t c = 0; c < detune.controls.size(); ++c) {
        EXPECT_NEAR(dialog.ControlValues()[c], detune.controls[c].default_value, 0.01);
    }
}

}  // namespace
}  // namespace sonvara
