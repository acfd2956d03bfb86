// The equalizer and envelope dialogs: the stored list they show and write back on OK, point-list
// files through their buttons, the refusals of files that cannot be read or written, their
// read-outs, and a curve drawn while the preview plays (into an output the test paces, over a
// mono staircase: the 16-bit sample of document frame f is f itself).

#include <gtest/gtest.h>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "core/folders.h"
#include "core/paths.h"
#include "devices/recording_wave_out.h"
#include "editor/effects/envelope_dialog.h"
#include "editor/effects/equalizer_dialog.h"
#include "editor_model/effect_preview.h"
#include "effects/effect_sources.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/wait_until_qt.h"

namespace sonvara {
namespace {

using Points = std::vector<PointList::Point>;

Points PointsOf(const PointList& list) {
    return {list.points.begin(), list.points.begin() + list.Count()};
}

Points FileContent(const std::string& path) {
    PointList list;
    EXPECT_TRUE(list.Load(path)) << path;
    return PointsOf(list);
}

// A dialog whose file choosers answer with the path set (empty: cancelled).
template <typename Dialog>
class Answered : public Dialog {
  public:
    using Dialog::Dialog;
    QString answer;

  protected:
    QString AskOpenPath() override { return answer; }
    QString AskSavePath() override { return answer; }
};

class PointListDialogTest : public EditorTest {
  protected:
    PointListDialogTest() : EditorTest(true) {}

    std::unique_ptr<LPointListDlg> Make(bool equalizer, LEffectPreview* preview = nullptr) {
        std::unique_ptr<LPointListDlg> dialog;
        if (equalizer) {
            dialog = std::make_unique<Answered<LEqualizerDlg>>(prompts_, preview, frame_.get());
        } else {  // over 1 s to 3 s
            dialog = std::make_unique<Answered<LEnvelopeDlg>>(prompts_, kSelection, kRate, preview,
                                                              frame_.get());
        }
        dialog->resize(700, 500);
        dialog->show();
        return dialog;
    }
    static std::string Stored(bool equalizer) {
        return FilePathCat(GetFolder("Current"),
                           equalizer ? kEqualizerPointsFile : kEnvelopePointsFile);
    }
    static void Press(QWidget* dialog, const QString& name_or_text) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->objectName() == name_or_text || button->text() == name_or_text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << name_or_text.toStdString();
    }
    static QPoint At(LBrainWaveWindow& graph, int x, int y) {
        return graph.PixelOf({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)})
            .toPoint();
    }
    // The read-out with the pointer over (x, y).
    static QString ReadOut(LPointListDlg& dialog, int x, int y) {
        const QPointF at = At(dialog.Graph(), x, y);
        QMouseEvent hover(QEvent::MouseMove, at, dialog.Graph().mapToGlobal(at), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog.Graph(), &hover);
        return dialog.Graph().Caption();
    }

    // Lets the output play `frames` more frames and waits until the player has heard them.
    void Play(std::int32_t frames) {
        LSoundPlayer& player = frame_->Rooms().transport.Transport().Player();
        const std::int32_t target = player.HeardPosition() + frames;
        ASSERT_TRUE(recording_->Step(frames));
        EXPECT_TRUE(testing::PumpEventsUntil([&] { return player.HeardPosition() >= target; },
                                             std::chrono::seconds(5),
                                             std::chrono::milliseconds(5)));
    }
    std::vector<std::int16_t> Heard(std::size_t from) const {
        const std::vector<std::int16_t> samples = recording_->Samples();
        return {samples.begin() + static_cast<std::ptrdiff_t>(std::min(from, samples.size())),
                samples.end()};
    }
    // Frames [from, to) of the open document through the envelope of `points`.
    std::vector<std::int16_t> Enveloped(const PointList& points, std::int32_t from,
                                        std::int32_t to) {
        LSoundSourceRef source = EnvelopeSource(points, kSelection)(LSoundSourceRef(
            new LSRCCutListAudio(frame_->Rooms().workspace.CurrentFile()->Document().Audio())));
        source->Seek(from);
        std::vector<Sample> samples(static_cast<std::size_t>(to - from));
        source->Read(samples.data(), to - from);
        std::vector<std::int16_t> heard;
        for (const Sample sample : samples) {
            heard.push_back(SampleTo16(sample));
        }
        return heard;
    }

    const FrameRange kSelection{kRate, 3 * kRate};
};

TEST_F(PointListDialogTest, EachShowsTheStoredListAndWritesTheEditedOneBackOnlyOnOk) {
    for (const bool equalizer : {true, false}) {
        SCOPED_TRACE(equalizer ? "equalizer" : "envelope");
        PointList kept;
        kept.n_points = 3;
        kept.points = {{{0, 128}, {90, 200}, {255, 40}}};
        ASSERT_TRUE(kept.Save(Stored(equalizer)));
        for (const char* button : {"Cancelar", "Aceptar"}) {
            auto dialog = Make(equalizer);
            EXPECT_EQ(PointsOf(dialog->Points()), PointsOf(kept));
            QTest::mouseClick(&dialog->Graph(), Qt::LeftButton, {}, At(dialog->Graph(), 180, 60));
            ASSERT_EQ(dialog->Points().Count(), 4);
            Press(dialog.get(), button);
            EXPECT_EQ(FileContent(Stored(equalizer)),
                      PointsOf(button == std::string("Aceptar") ? dialog->Points() : kept));
        }
        // No stored list: the flat default is shown, and kept at once.
        std::filesystem::remove(Stored(equalizer));
        EXPECT_EQ(PointsOf(Make(equalizer)->Points()), PointsOf(PointList{}));
        EXPECT_EQ(FileContent(Stored(equalizer)), PointsOf(PointList{}));
    }
    EXPECT_TRUE(prompts_.Asked().empty());
}

TEST_F(PointListDialogTest, ListsGoToFilesAndBackAndFailuresAreTold) {
    auto dialog = Make(true);
    auto& answered = static_cast<Answered<LEqualizerDlg>&>(*dialog);
    QTest::mouseClick(&dialog->Graph(), Qt::LeftButton, {}, At(dialog->Graph(), 40, 230));
    const Points drawn = PointsOf(dialog->Points());
    answered.answer = QString::fromStdString(scratch_.File("bass.dat"));
    Press(dialog.get(), "savePoints");
    EXPECT_EQ(FileContent(scratch_.File("bass.dat")), drawn);
    Press(dialog.get(), "flatPoints");
    EXPECT_EQ(PointsOf(dialog->Points()), PointsOf(PointList{}));
    Press(dialog.get(), "openPoints");
    EXPECT_EQ(PointsOf(dialog->Points()), drawn);
    EXPECT_TRUE(prompts_.Asked().empty());

    // A file that cannot be opened leaves the curve; a folder cannot be written, not even as
    // the stored list, and OK is refused then.
    const std::string missing = scratch_.File("missing.dat");
    answered.answer = QString::fromStdString(missing);
    Press(dialog.get(), "openPoints");
    EXPECT_EQ(PointsOf(dialog->Points()), drawn);
    answered.answer = QString::fromStdString(scratch_.File("data"));
    Press(dialog.get(), "savePoints");
    std::filesystem::remove(Stored(true));
    std::filesystem::create_directory(Stored(true));
    Press(dialog.get(), "Aceptar");
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(prompts_.Asked().size(), 3U);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error de Archivo");
    EXPECT_EQ(prompts_.Asked()[0].text, "No se puede abrir el archivo \"" + missing + "\".");
    EXPECT_EQ(prompts_.Asked()[1].text,
              "No se puede escribir el archivo \"" + scratch_.File("data") + "\".");
    EXPECT_EQ(prompts_.Asked()[2].text,
              "No se puede guardar la lista de puntos en el archivo \"" + Stored(true) + "\".");
}

TEST_F(PointListDialogTest, TheReadOutsGiveFrequencyOrTimeAndLevel) {
    for (const bool equalizer : {true, false}) {
        auto dialog = Make(equalizer);
        if (equalizer) {
            EXPECT_EQ(ReadOut(*dialog, 255, 128), "20000 Hz, 100 %");
            EXPECT_EQ(ReadOut(*dialog, 51, 255), "4000 Hz, 199 %");
        } else {
            EXPECT_EQ(ReadOut(*dialog, 255, 128), "(0:00:03.00, 100 %)");
            EXPECT_EQ(ReadOut(*dialog, 51, 255), "(0:00:01.40, 200 %)");
        }
        // SONVARA_SCREENSHOT=name keeps name-equalizer.png and name-envelope.png.
        if (const char* name = std::getenv("SONVARA_SCREENSHOT")) {
            PointList curve;
            curve.n_points = 5;
            curve.points = {{{0, 96}, {40, 180}, {110, 128}, {190, 60}, {255, 100}}};
            dialog->Graph().SetPoints(curve);
            ReadOut(*dialog, 40, 180);
            dialog->grab().save(
                QString("%1-%2.png").arg(name, equalizer ? "equalizer" : "envelope"));
        }
    }
}

TEST_F(PointListDialogTest, APreviewPlaysTheCurveAndACurveDrawnWhileItPlaysIsHeard) {
    WriteBool("Settings", "PromptSampleAndChannels", false);
    WriteInt("Settings", "DefaultSampleRate", kRate);
    frame_->Rooms().files.CmNew();
    frame_->Rooms().workspace.CurrentFile()->Document().Audio() = Staircase(4 * kRate);
    frame_->Rooms().workspace.CurrentFile()->SetSelection(kSelection.start, kSelection.end);
    std::unique_ptr<LEffectPreview> preview = frame_->Rooms().transport.MakeEffectPreview();
    ASSERT_NE(preview, nullptr);
    auto dialog = Make(false, preview.get());

    const std::size_t from = recording_->Samples().size();
    Press(dialog.get(), "preview");
    ASSERT_TRUE(preview->IsPlaying());
    Play(1600);
    EXPECT_EQ(Heard(from), Enveloped(dialog->Points(), 8000, 9600));

    // The end dragged down to silence is heard once the changes are gathered.
    LBrainWaveWindow& graph = dialog->Graph();
    QTest::mousePress(&graph, Qt::LeftButton, {}, At(graph, 255, 128));
    QTest::mouseMove(&graph, At(graph, 255, 60));
    QTest::mouseMove(&graph, At(graph, 255, 0));
    QTest::mouseRelease(&graph, Qt::LeftButton, {}, At(graph, 255, 0));
    ASSERT_EQ(PointsOf(dialog->Points()), (Points{{0, 128}, {255, 0}}));
    QTest::qWait(3 * LPointListDlg::kPreviewDelayMs);
    Play(800);
    EXPECT_EQ(Heard(from + 1600), Enveloped(dialog->Points(), 9600, 10400));
    EXPECT_NE(Heard(from + 1600), Enveloped(PointList{}, 9600, 10400));
    if (const char* name = std::getenv("SONVARA_SCREENSHOT")) {
        dialog->grab().save(QString("%1-envelope-preview.png").arg(name));
    }
    dialog->reject();  // closing the dialog stops the preview
    EXPECT_FALSE(preview->IsPlaying());
}

}  // namespace
}  // namespace sonvara
