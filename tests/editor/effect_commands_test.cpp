// The effect commands as a user drives them: select, choose the effect, fill in its dialog, and
// find the selection changed exactly as the effect's own process changes it, back after undo and
// changed again after redo; refused values keep the dialog open and store nothing; the last
// effect repeats with its values.

#include <QAction>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/common/preview_button.h"
#include "editor/effects/effect_dialog.h"
#include "editor/effects/point_list_dialog.h"
#include "effects/auto_gain.h"
#include "effects/compressor.h"
#include "effects/dc_offset.h"
#include "effects/echo.h"
#include "effects/envelope.h"
#include "effects/equalizer.h"
#include "effects/high_pass.h"
#include "effects/noise_gate.h"
#include "effects/normalize.h"
#include "effects/registry/effect_registry.h"
#include "effects/reverse.h"
#include "effects/speed_pitch.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/run_process.h"

namespace sonvara {
namespace {

// The values typed into a dialog's fields, by field name (the stored value's name).
using FieldValues = std::map<std::string, int>;
// The library's own run of an effect on a document's range (which a length change moves).
using LibraryRun = std::function<ProcessResult(LCutListAudio&, FrameRange&)>;

constexpr std::int32_t kEffectFileFrames = 2 * kRate;
constexpr FrameRange kSelection{3000, 11000};

// The speed changes move the range's end to the end of the changed audio.
LibraryRun SpeedLibrary(SpeedPitchParameters values) {
    return [values](LCutListAudio& document, FrameRange& range) {
        LEfChangeSpeedPitch change(document, range, values);
        const ProcessResult result = testing::RunProcess(change);
        range.end = change.SelectionEnd();
        return result;
    };
}

template <typename Process, typename... Values>
LibraryRun Library(Values... values) {
    return [values...](LCutListAudio& document, FrameRange& range) {
        Process process(document, range, values...);
        return testing::RunProcess(process);
    };
}

struct EffectCase {
    int id;
    const char* name;  // the undo step's, and the dialog's caption where there is one
    FieldValues fields;
    LibraryRun library;
    bool keeps_tail = true;                // the frames after the selection stay
    std::optional<PointList> points = {};  // drawn in a point-list dialog
};

PointList CurvePoints(std::initializer_list<PointList::Point> points) {
    PointList list;
    list.n_points = static_cast<std::uint8_t>(points.size());
    std::copy(points.begin(), points.end(), list.points.begin());
    return list;
}
const PointList kCurve = CurvePoints({{0, 128}, {60, 200}, {150, 60}, {255, 128}});
const PointList kEnvelope = CurvePoints({{0, 40}, {128, 230}, {255, 90}});

class EffectCommandsTest : public EditorTest {
  protected:
    EffectCommandsTest() {
        WriteBool("Settings", "AutoPlaybackAfterEffects", false);
        WriteBool("Settings", "PromptSampleAndChannels", false);
        WriteInt("Settings", "DefaultSampleRate", kRate);
        WriteInt("Settings", "DefaultChannels", 2);
    }

    // A new file holding two seconds of stereo: a tone over noise, louder towards the end, with
    // an offset on the left channel.
    LSVFileWindow* OpenSignal() {
        frame_->Rooms().files.CmNew();
        LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
        Frames samples;
        std::uint32_t noise = 12345;
        for (std::int32_t f = 0; f < kEffectFileFrames; ++f) {
            const double level = 20000.0 + 15.0 * f;
            for (int c = 0; c < 2; ++c) {
                noise = noise * 1103515245u + 12345u;
                samples.push_back(static_cast<Sample>(level * std::sin(f * (0.05 + 0.02 * c)) +
                                                      static_cast<double>(noise >> 20) - 2048 +
                                                      (c == 0 ? 3000 : 0)));
            }
        }
        file->Document().Audio() = FromSamples(samples, 2, kRate);
        return file;
    }

    // Selects as a drag would, and waits for the menus to follow.
    void Select(LSVFileWindow* file, FrameRange range) {
        file->SetSelection(range.start, range.end);
        const bool valid = range.start < range.end;
        for (int waited = 0; waited < 2000 && frame_->Action(kCmReverse)->isEnabled() != valid;
             waited += 10) {
            QTest::qWait(10);
        }
    }

    // Runs command `id`; when `fields` or `points` are given, a dialog is expected: they are
    // typed or drawn into it and it is accepted. Returns the dialog's caption.
    QString Run(int id, const FieldValues& fields,
                const std::optional<PointList>& points = std::nullopt) {
        QString caption;
        if (points) {
            QTimer::singleShot(0, [&] {
                auto* dialog = frame_->findChild<LPointListDlg*>();
                ASSERT_NE(dialog, nullptr);
                caption = dialog->windowTitle();
                EXPECT_NE(dialog->findChild<PreviewButton*>(), nullptr);
                dialog->Graph().SetPoints(*points);
                dialog->accept();
            });
        }
        if (!fields.empty()) {
            QTimer::singleShot(0, [&] {
                auto* dialog = frame_->findChild<LSVEffectDlg*>();
                ASSERT_NE(dialog, nullptr);
                caption = dialog->windowTitle();
                EXPECT_NE(dialog->findChild<PreviewButton*>(), nullptr);
                for (const auto& [name, value] : fields) {
                    if (QSpinBox* number = dialog->NumberField(name.c_str())) {
                        number->setValue(value);
                    } else {
                        dialog->findChild<QComboBox*>(QString::fromStdString(name))
                            ->setCurrentIndex(value);
                    }
                }
                dialog->accept();
            });
        }
        frame_->Action(id)->trigger();
        return caption;
    }
};

TEST_F(EffectCommandsTest, EachEffectChangesTheSelectionAsItsProcessDoes) {
    const std::vector<EffectCase> cases = {
        {kCmAmplify,
         "Amplificador",
         {{"AmplifyGain", 150}},
         [](LCutListAudio& document, FrameRange& range) {
             document.EfAmplify(range.start, range.end, 150);
             return PROCESS_DONE;
         }},
        {kCmNormalize,
         "Normalizador",
         {{"NormalizePeakLevel", 90}},
         Library<EfNormalize>(NormalizeParameters{90})},
        {kCmEcho,
         "Eco",
         {{"EchoTime", 120}, {"EchoGain", 40}},
         Library<EfEcho>(EchoParameters{120, 40})},
        {kCmReverb,
         "Reverb",
         {{"ReverbTime", 300}, {"ReverbLevel", 70}},
         Library<EfReverb>(ReverbParameters{300, 70})},
        {kCmFadeIn, "Fade In", {}, Library<EfFadeIn>()},
        {kCmFadeOut, "Fade Out", {}, Library<EfFadeOut>()},
        {kCmFadeOutAndTrim, "Oírse y recortar", {}, Library<EfFadeOutAndTrim>(), false},
        {kCmAutoGainControl, "Control Automático de Ganancia", {}, Library<EfAutoGainControl>()},
        {kCmNoiseReduction,
         "Reducción de Ruido",
         {{"NoiseGateLevel", -40}},
         Library<EfNoiseReduction>(NoiseGateParameters{-40})},
        {kCmLowCutFilter,
         "Filtro High-Pass",
         {{"LowCutFreq", 300}},
         Library<EfLowCutFilter>(LowCutParameters{300})},
        {kCmCompressor,
         "Compresor de Rango Dinámico",
         {{"CompressorThreshold", -20}, {"CompressorRatio", 3}, {"CompressorLimit", -2}},
         Library<EfCompressor>(CompressorParameters{-20, 3, -2})},
        {kCmSimpleSpeedPitch,
         "Cambio Simple de Velocidad y Tono",
         {{"SpSpeedPitch", 150}},
         SpeedLibrary(SpeedPitchParameters{150, kSpeedPitchSimple})},
        {kCmConstantPitchSpeed,
         "Cambio Constante de Tono y Velocidad",
         {{"ConstPitchSpeed", 70}},
         SpeedLibrary(SpeedPitchParameters{70, kSpeedPitchConstantPitch})},
        {kCmConstantSpeedPitch,
         "Cambio Constante de Velocidad y Tono",
         {{"ConstSpeedPitch", 120}},
         SpeedLibrary(SpeedPitchParameters{120, kSpeedPitchConstantSpeed})},
        {kCmDCOffsetCorrection, "Corrección DC Offset", {}, Library<EfDCOffsetCorrection>()},
        {kCmReverse, "Revertir", {}, Library<LEfReverse>()},
    };
    for (const EffectCase& effect : cases) {
        SCOPED_TRACE(effect.name);
        LSVFileWindow* file = OpenSignal();
        LEditDocument& document = file->Document();
        LCutListAudio expected_audio = document.Audio();
        FrameRange expected_range = kSelection;
        ASSERT_EQ(effect.library(expected_audio, expected_range), PROCESS_DONE);
        const Frames original = ReadList(document.Audio());
        const Frames expected = ReadList(expected_audio);
        ASSERT_NE(expected, original);  // the values make a difference

        Select(file, kSelection);
        const QString caption = Run(effect.id, effect.fields, effect.points);
        if (!effect.fields.empty() || effect.points) {
            EXPECT_EQ(caption.toStdString(), effect.name);
        }
        const Frames after = ReadList(document.Audio());
        EXPECT_TRUE(after == expected);
        EXPECT_TRUE(Slice(after, 0, kSelection.start) == Slice(original, 0, kSelection.start));
        if (effect.keeps_tail) {
            const auto tail =
                static_cast<std::int32_t>(after.size() / 2) - (kEffectFileFrames - kSelection.end);
            EXPECT_TRUE(Slice(after, tail, static_cast<std::int32_t>(after.size() / 2)) ==
                        Slice(original, kSelection.end, kEffectFileFrames));
        }
        EXPECT_EQ(document.Positions().selection_start, expected_range.start);
        EXPECT_EQ(document.Positions().selection_end, expected_range.end);
        EXPECT_EQ(document.Positions().cursor, kSelection.start);
        for (const auto& [name, value] : effect.fields) {
            EXPECT_EQ(ReadInt("StoredValues", name, value + 1), value) << name;
        }
        EXPECT_EQ(frame_->Action(kCmUndo)->text().toStdString(),
                  std::string("Deshacer ") + effect.name + "\tCtrl+Z");

        frame_->Action(kCmUndo)->trigger();
        EXPECT_TRUE(ReadList(document.Audio()) == original);
        frame_->Action(kCmRedo)->trigger();
        EXPECT_TRUE(ReadList(document.Audio()) == expected);
        EXPECT_TRUE(prompts_.Asked().empty());

        document.SetModified(false);
        ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
        Settle();
    }
}

TEST_F(EffectCommandsTest, ARefusedValueKeepsTheDialogOpenAndStoresNothing) {
    const std::string echo_gain =
        "La Ganancia de Eco deber ser menor que Echo 100%. Por favor, "
        "intente de nuevo.";
    const std::string speed = "El porcentaje del Cambio de Velocidad debe ser menor que 300.";
    struct Refusal {
        int id;
        FieldValues fields;
        std::string message;
        std::string label = {};  // of the first field, where it matters
    };
    const std::vector<Refusal> refusals = {
        {kCmAmplify,
         {{"AmplifyGain", 401}},
         "La Ganancia Amplificada debe ser menor que 400%. Por favor, intente de nuevo."},
        {kCmNormalize,
         {{"NormalizePeakLevel", 101}},
         "El nivel mas alto para Normalizar debe ser menor que 100%. Por favor, intente de "
         "nuevo ."},
        // The time is checked first: a bad gain shows only once the time is right.
        {kCmEcho,
         {{"EchoTime", 3000}, {"EchoGain", 100}},
         "El tiempo de Eco debe ser entre 10 y 3000ms. Por favor, intente de nuevo ."},
        {kCmEcho, {{"EchoTime", 10}, {"EchoGain", 100}}, echo_gain},
        {kCmReverb,
         {{"ReverbLevel", 101}, {"ReverbTime", 49}},
         "El nivel de la Reverberancia debe ser menor que 100. Por favor, intente de nuevo."},
        {kCmReverb,
         {{"ReverbLevel", 100}, {"ReverbTime", 1001}},
         "El tiempo de la Reverberancia debe ser entre 50 y 1000. Por favor, intente de nuevo."},
        {kCmSimpleSpeedPitch, {{"SpSpeedPitch", 301}}, speed, "Ajuste de Tono/Velocidad (%)"},
        {kCmConstantPitchSpeed, {{"ConstPitchSpeed", 301}}, speed, "Ajuste de Velocidad (%)"},
        {kCmConstantSpeedPitch, {{"ConstSpeedPitch", 301}}, speed, "Ajuste de Tono(%)"},
        {kCmCompressor, {{"CompressorRatio", -1}}, "El ratio debe ser de 0 a 6."},
    };
    LSVFileWindow* file = OpenSignal();
    const Frames original = ReadList(file->Document().Audio());
    Select(file, kSelection);
    // The file window's context menu reaches every effect through its "Efectos" submenu.
    const QList<QAction*> entries = file->actions();
    const auto effects = std::find_if(entries.begin(), entries.end(), [](QAction* entry) {
        return entry->menu() != nullptr && entry->text().remove('&') == "Efectos";
    });
    ASSERT_NE(effects, entries.end());
    for (int id = kCmAmplify; id <= kCmReverse; ++id) {
        bool found = false;
        for (QAction* group : (*effects)->menu()->actions()) {
            found = found || (group->menu() != nullptr &&
                              group->menu()->actions().contains(frame_->Action(id)));
        }
        EXPECT_TRUE(found) << id;
    }
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.message);
        bool open_after_refusal = false;
        QString label;
        std::size_t asked = prompts_.Asked().size();
        QTimer::singleShot(0, [&] {
            auto* dialog = frame_->findChild<LSVEffectDlg*>();
            ASSERT_NE(dialog, nullptr);
            for (const auto& [name, value] : refusal.fields) {
                if (QSpinBox* number = dialog->NumberField(name.c_str())) {
                    number->setValue(value);
                } else {
                    dialog->findChild<QComboBox*>(QString::fromStdString(name))
                        ->setCurrentIndex(value);
                }
            }
            if (auto* form = dialog->findChild<QFormLayout*>()) {
                if (QLayoutItem* item = form->itemAt(0, QFormLayout::LabelRole)) {
                    label = qobject_cast<QLabel*>(item->widget())->text();
                }
            }
            dialog->accept();
            open_after_refusal = dialog->isVisible();
            dialog->reject();
        });
        frame_->Action(refusal.id)->trigger();
        EXPECT_TRUE(open_after_refusal);
        ASSERT_EQ(prompts_.Asked().size(), asked + 1);
        EXPECT_EQ(prompts_.Asked().back().text, refusal.message);
        EXPECT_EQ(prompts_.Asked().back().caption, "Valor no válido");
        if (!refusal.label.empty()) {
            EXPECT_EQ(label.toStdString(), refusal.label);
        }
        for (const auto& [name, value] : refusal.fields) {
            EXPECT_EQ(ReadString("StoredValues", name, ""), "") << name;
        }
    }
    EXPECT_TRUE(ReadList(file->Document().Audio()) == original);
    EXPECT_FALSE(file->Document().CanUndo());
}

TEST_F(EffectCommandsTest, ACancelledEffectLeavesTheFileAsItWas) {
    frame_->Rooms().files.CmNew();
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    // Two minutes of 44.1 kHz: long enough for the cancel to come first.
    Frames noise(120 * 44100);
    for (std::size_t f = 0; f < noise.size(); ++f) {
        noise[f] = static_cast<Sample>((f * 7919) % 4096) * 64;
    }
    file->Document().Audio() = FromSamples(noise, 1, 44100);
    Select(file, {0, 120 * 44100});
    QTimer canceller;
    canceller.setInterval(1);
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (QDialog* progress = frame_->Rooms().workspace.ProgressDialog().Dialog()) {
            canceller.stop();
            QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
        }
    });
    canceller.start();
    frame_->Action(kCmFadeIn)->trigger();
    EXPECT_TRUE(ReadList(file->Document().Audio()) == noise);
    EXPECT_FALSE(file->IsModified());
    EXPECT_FALSE(file->Document().CanUndo());
    // A cancelled effect is not the one to repeat.
    EXPECT_FALSE(frame_->Action(kCmRepeatEffect)->isEnabled());
}

TEST_F(EffectCommandsTest, TheLastEffectRepeatsWithItsValuesOnTheNewSelection) {
    LSVFileWindow* file = OpenSignal();
    QAction* repeat = frame_->Action(kCmRepeatEffect);
    Select(file, kSelection);
    EXPECT_FALSE(repeat->isEnabled());

    LCutListAudio expected = file->Document().Audio();
    FrameRange first = kSelection;
    FrameRange second{12000, 15000};
    ASSERT_EQ(Library<EfEcho>(EchoParameters{200, 60})(expected, first), PROCESS_DONE);
    ASSERT_EQ(Library<EfEcho>(EchoParameters{200, 60})(expected, second), PROCESS_DONE);

    Run(kCmEcho, {{"EchoTime", 200}, {"EchoGain", 60}});
    // A dialog cancelled afterwards applies nothing and leaves the echo to repeat.
    QTimer::singleShot(0, [&] { frame_->findChild<LSVEffectDlg*>()->reject(); });
    frame_->Action(kCmAmplify)->trigger();
    EXPECT_TRUE(repeat->isEnabled());
    EXPECT_EQ(repeat->text().toStdString(), "Repetir Eco\tCtrl+Alt+R");

    // The stored values change; the repeat keeps those it ran with.
    WriteInt("StoredValues", "EchoGain", 10);
    Select(file, second);
    // The dialogs took the activation; a window manager gives it back to the frame.
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
    QTest::keyClick(frame_.get(), Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(ReadList(file->Document().Audio()) == ReadList(expected));
    EXPECT_EQ(frame_->Action(kCmUndo)->text().toStdString(), "Deshacer Eco\tCtrl+Z");

    // Without a selection there is nothing to repeat on.
    Select(file, {0, 0});
    EXPECT_FALSE(repeat->isEnabled());
}

// The Efectos menu is the registry's: each effect is a row of its group with its label, in the
// registry's order, and the ids the code names them by are their entries' ids.
TEST_F(EffectCommandsTest, EachRegisteredEffectIsAnEntryOfItsMenuGroup) {
    const std::map<EffectGroup, QString> titles = {{EffectGroup::kVolume, "Volumen"},
                                                   {EffectGroup::kFilters, "Filtros"},
                                                   {EffectGroup::kDynamics, "Dinámica"},
                                                   {EffectGroup::kTimePitch, "Tiempo y Tono"},
                                                   {EffectGroup::kDelay, "Retardo"}};
    std::map<const QMenu*, int> last_place;
    for (const EffectEntry& effect : Effects().All()) {
        SCOPED_TRACE(effect.id);
        QAction* action = frame_->Action(effect.menu.command);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text().toStdString(), effect.names.menu);
        const auto* group = qobject_cast<const QMenu*>(action->parent());
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->title(), titles.at(effect.menu.group));
        const int place = static_cast<int>(group->actions().indexOf(action));
        EXPECT_GT(place, last_place.contains(group) ? last_place[group] : -1);
        last_place[group] = place;
    }
    const std::map<int, std::string> named = {{kCmAmplify, "amplify"},
                                              {kCmNormalize, "normalize"},
                                              {kCmEqualizer, "equalizer"},
                                              {kCmEcho, "echo"},
                                              {kCmReverb, "reverb"},
                                              {kCmFadeIn, "fade-in"},
                                              {kCmFadeOut, "fade-out"},
                                              {kCmEnvelope, "envelope"},
                                              {kCmAutoGainControl, "auto-gain"},
                                              {kCmNoiseReduction, "noise-reduction"},
                                              {kCmLowCutFilter, "high-pass"},
                                              {kCmCompressor, "compressor"},
                                              {kCmFadeOutAndTrim, "fade-out-trim"},
                                              {kCmSimpleSpeedPitch, "speed"},
                                              {kCmConstantPitchSpeed, "tempo"},
                                              {kCmConstantSpeedPitch, "pitch"},
                                              {kCmDCOffsetCorrection, "dc-offset"},
                                              {kCmReverse, "reverse"}};
    for (const auto& [command, id] : named) {
        ASSERT_NE(Effects().FindByCommand(command), nullptr) << id;
        EXPECT_EQ(Effects().FindByCommand(command)->id, id);
    }
}

}  // namespace
}  // namespace sonvara
