// The equalizer and envelope dialogs: the stored list they show and write back on OK, point-list
// files read and written through their buttons, the refusals of files that cannot be read or
// written, and their read-outs.

#include <gtest/gtest.h>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/dialogs/envelope_dialog.h"
#include "app/dialogs/equalizer_dialog.h"
#include "core/folders.h"
#include "core/paths.h"
#include "core/settings.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"
#include "tests/view/gui_test_app.h"
#include "view/point_graph.h"

namespace sonvara {
namespace {

using Point = PointList::Point;

std::vector<Point> PointsOf(const PointList& list) {
    return {list.points.begin(), list.points.begin() + list.Count()};
}

std::vector<Point> FileContent(const std::string& path) {
    PointList list;
    EXPECT_TRUE(list.Load(path)) << path;
    return PointsOf(list);
}

// A dialog whose file choosers answer from queues (an empty queue is a cancel).
template <typename Dialog>
class Answered : public Dialog {
  public:
    using Dialog::Dialog;
    std::deque<QString> open_answers;
    std::deque<QString> save_answers;

  protected:
    QString AskOpenPath() override { return Next(open_answers); }
    QString AskSavePath() override { return Next(save_answers); }

  private:
    static QString Next(std::deque<QString>& queue) {
        if (queue.empty()) {
            return {};
        }
        QString answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

class PointListDialogTest : public ::testing::Test {
  protected:
    PointListDialogTest() {
        previous_settings_ = UseSettingsStore(std::make_shared<MemorySettingsStore>());
    }
    ~PointListDialogTest() override { UseSettingsStore(previous_settings_); }

    std::unique_ptr<LPointListDlg> Make(bool equalizer) {
        if (equalizer) {
            return std::make_unique<Answered<LEqualizerDlg>>(prompts_, nullptr);
        }
        return std::make_unique<Answered<LEnvelopeDlg>>(prompts_, FrameRange{44100, 132300}, 44100,
                                                        nullptr);
    }
    static std::string Stored(bool equalizer) {
        return FilePathCat(GetFolder("Current"),
                           equalizer ? kEqualizerPointsFile : kEnvelopePointsFile);
    }
    static void Press(QWidget* dialog, const char* name) {
        auto* button = dialog->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }
    static void PressText(QWidget* dialog, const QString& text) {
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    // A click on the graph at (x, y).
    static void ClickGraph(LBrainWaveWindow& graph, int x, int y) {
        const QPointF at =
            graph.PixelOf({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
        QTest::mouseClick(&graph, Qt::LeftButton, {}, at.toPoint());
    }

    QApplication& app_ = testing::GuiApp();
    testing::ScratchFolder scratch_;
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    std::shared_ptr<SettingsStore> previous_settings_;
    testing::ScriptedPrompts prompts_;
};

TEST_F(PointListDialogTest, EachShowsTheStoredListAndWritesTheEditedOneBackOnlyOnOk) {
    for (const bool equalizer : {true, false}) {
        SCOPED_TRACE(equalizer ? "equalizer" : "envelope");
        const std::string stored = Stored(equalizer);
        PointList kept;
        kept.n_points = 3;
        kept.points[1] = {90, 200};
        kept.points[2] = {255, 40};
        ASSERT_TRUE(kept.Save(stored));

        auto dialog = Make(equalizer);
        dialog->resize(700, 500);
        dialog->show();
        EXPECT_EQ(PointsOf(dialog->Points()), PointsOf(kept));
        ClickGraph(dialog->Graph(), 180, 60);
        ASSERT_EQ(dialog->Points().Count(), 4);
        PressText(dialog.get(), "Cancelar");
        EXPECT_EQ(FileContent(stored), PointsOf(kept));

        dialog = Make(equalizer);
        dialog->resize(700, 500);
        dialog->show();
        ClickGraph(dialog->Graph(), 180, 60);
        const std::vector<Point> edited = PointsOf(dialog->Points());
        ASSERT_EQ(edited.size(), 4U);
        PressText(dialog.get(), "Aceptar");
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(FileContent(stored), edited);

        // No stored list: the flat default is shown, and kept at once.
        std::filesystem::remove(stored);
        dialog = Make(equalizer);
        EXPECT_EQ(PointsOf(dialog->Points()), PointsOf(PointList{}));
        EXPECT_EQ(FileContent(stored), PointsOf(PointList{}));
    }
    EXPECT_TRUE(prompts_.Asked().empty());
}

TEST_F(PointListDialogTest, ListsAreWrittenToFilesAndReadBackAndFailuresAreTold) {
    Answered<LEqualizerDlg> dialog(prompts_, nullptr);
    dialog.resize(700, 500);
    dialog.show();
    ClickGraph(dialog.Graph(), 40, 230);
    ClickGraph(dialog.Graph(), 120, 20);
    const std::vector<Point> drawn = PointsOf(dialog.Points());
    ASSERT_EQ(drawn.size(), 4U);

    const QString file = QString::fromStdString(scratch_.File("bass.dat"));
    dialog.save_answers.push_back(file);
    Press(&dialog, "savePoints");
    EXPECT_EQ(FileContent(file.toStdString()), drawn);
    Press(&dialog, "flatPoints");
    EXPECT_EQ(PointsOf(dialog.Points()), PointsOf(PointList{}));
    dialog.open_answers.push_back(file);
    Press(&dialog, "openPoints");
    EXPECT_EQ(PointsOf(dialog.Points()), drawn);
    EXPECT_TRUE(prompts_.Asked().empty());

    // A file that cannot be opened leaves the curve; one that cannot be written is told.
    const QString missing = QString::fromStdString(scratch_.File("missing.dat"));
    dialog.open_answers.push_back(missing);
    Press(&dialog, "openPoints");
    EXPECT_EQ(PointsOf(dialog.Points()), drawn);
    const QString folder = QString::fromStdString(scratch_.File("data"));
    dialog.save_answers.push_back(folder);
    Press(&dialog, "savePoints");
    ASSERT_EQ(prompts_.Asked().size(), 2U);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error de Archivo");
    EXPECT_EQ(prompts_.Asked()[0].text,
              "No se puede abrir el archivo \"" + missing.toStdString() + "\".");
    EXPECT_EQ(prompts_.Asked()[1].text,
              "No se puede escribir el archivo \"" + folder.toStdString() + "\".");
}

TEST_F(PointListDialogTest, OkIsRefusedWhenTheListCannotBeKept) {
    // A folder where the stored list should be: it can be neither read nor replaced.
    std::filesystem::create_directories(Stored(false));
    Answered<LEnvelopeDlg> dialog(prompts_, FrameRange{0, 8000}, 8000, nullptr);
    dialog.show();
    PressText(&dialog, "Aceptar");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompts_.Asked().size(), 1U);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error de Archivo");
    EXPECT_EQ(prompts_.Asked()[0].text,
              "No se puede guardar la lista de puntos en el archivo \"" + Stored(false) + "\".");
}

TEST_F(PointListDialogTest, TheReadOutsGiveFrequencyOrTimeAndLevel) {
    auto read_out = [](LPointListDlg& dialog, int x, int y) {
        LBrainWaveWindow& graph = dialog.Graph();
        const QPointF at =
            graph.PixelOf({static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)});
        QMouseEvent hover(QEvent::MouseMove, at, graph.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&graph, &hover);
        return graph.Caption();
    };
    for (const bool equalizer : {true, false}) {
        auto dialog = Make(equalizer);
        dialog->resize(700, 500);
        dialog->show();
        if (equalizer) {
            EXPECT_EQ(read_out(*dialog, 255, 128), "20000 Hz, 100 %");
            EXPECT_EQ(read_out(*dialog, 51, 64), "4000 Hz, 50 %");
            EXPECT_EQ(read_out(*dialog, 0, 255), "0 Hz, 199 %");
        } else {
            // The selection runs from 1 s to 3 s.
            EXPECT_EQ(read_out(*dialog, 255, 128), "(0:00:03.00, 100 %)");
            EXPECT_EQ(read_out(*dialog, 0, 255), "(0:00:01.00, 200 %)");
            EXPECT_EQ(read_out(*dialog, 51, 0), "(0:00:01.40, 0 %)");
        }
        // SONVARA_SCREENSHOT=name keeps a picture of each dialog as name-equalizer.png and
        // name-envelope.png, with a curve drawn and the read-out of its second point.
        if (const char* name = std::getenv("SONVARA_SCREENSHOT")) {
            PointList curve;
            curve.n_points = 5;
            curve.points = {{{0, 96}, {40, 180}, {110, 128}, {190, 60}, {255, 100}}};
            dialog->Graph().SetPoints(curve);
            read_out(*dialog, 40, 180);
            dialog->grab().save(
                QString("%1-%2.png").arg(name, equalizer ? "equalizer" : "envelope"));
        }
    }
}

}  // namespace
}  // namespace sonvara
