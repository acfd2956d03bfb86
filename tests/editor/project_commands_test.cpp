// Bookmarks, regions and projects as a user drives them: the names typed, the questions
// answered, the windows and what the views draw.

#include <QAction>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "audio/wav/wave_file_format.h"
#include "editor/places/assemble_region_dialog.h"
#include "editor/places/bookmark_dialog.h"
#include "editor/places/place_controller.h"
#include "editor/places/region_dialog.h"
#include "project/record_fields.h"
#include "tests/editor/editor_fixture.h"
#include "view/wave_window.h"

namespace sonvara {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

class ProjectCommandsTest : public EditorTest {
  protected:
    PlaceLists& Places() { return frame_->Rooms().places.Places(); }
    // The frame's own caption, without the maximized file window's name that Qt adds.
    QString Caption() const { return frame_->windowTitle().section(" - [", 0, 0); }

    void Run(int command) {
        QAction* action = frame_->Action(command);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << command;
        action->trigger();
        Settle();
    }

    // A bookmark named `name` at `frame` of the current file.
    void SetBookMark(const std::string& name, std::int32_t frame) {
        frame_->Rooms().workspace.ModifySelection(frame, frame, frame);
        frame_->name_answers.push_back(name);
        Run(kCmSetBookMark);
    }

    std::vector<std::string> BookMarkNames() {
        std::vector<std::string> names;
        for (const LSVBookMark& mark : Places().bookmarks) {
            names.push_back(mark.name);
        }
        return names;
    }
};

// Two files, three bookmarks and a region saved as a project, the project closed with No (its
// files go without a question each) and opened again: the same files, audio, positions (the
// zoom among them), current file, bookmarks and region, drawn in the views; the caption names
// the project while it is open.
TEST_F(ProjectCommandsTest, AProjectComesBackAsItWasSaved) {
    const std::string stereo = Copy("in_stereo.wav");
    const std::string mono = Copy("in_mono.wav");
    frame_->Rooms().files.OpenFiles({Q(stereo), Q(mono)});
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    LSVFileWindow* first = frame_->Rooms().workspace.Files()[0];
    frame_->Rooms().workspace.Activate(first);
    SetBookMark("uno", 800);
    SetBookMark("dos", 1600);
    first->ZoomIn();
    frame_->Rooms().workspace.ModifySelection(400, 1200, 400);
    frame_->name_answers.push_back("estrofa");
    Run(kCmSetRegion);
    LSVFileWindow* second = frame_->Rooms().workspace.Files()[1];
    frame_->Rooms().workspace.Activate(second);
    SetBookMark("tres", 40);

    struct Kept {
        std::string path;
        LEditPositions positions;
        std::vector<Sample> audio;
    };
    std::vector<Kept> kept;
    for (LSVFileWindow* file : frame_->Rooms().workspace.Files()) {
        kept.push_back(
            {file->Path(), file->Document().Positions(), ReadList(file->Document().Audio())});
    }
    const std::vector<Sample> region_audio = ReadList(Places().regions.at(0).audio);
    EXPECT_EQ(region_audio.size(), 2u * 800u);

    const std::string project = scratch_.File("sesión.svp");
    frame_->project_answers.push_back(Q(project));
    Run(kCmSaveProjectAs);
    EXPECT_EQ(Caption(), "Sonvara - sesión");

    const std::size_t asked = prompts_.Asked().size();
    prompts_.QueueAnswer(PromptAnswer::kNo);
    Run(kCmCloseProject);
    ASSERT_EQ(prompts_.Asked().size(), asked + 1);  // the modified files asked nothing
    EXPECT_EQ(prompts_.Asked().back().text, "¿Guardar los cambios del actual proyecto?");
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_TRUE(Places().bookmarks.empty());
    EXPECT_TRUE(Places().regions.empty());
    EXPECT_EQ(Caption(), "Sonvara");

    frame_->project_answers.push_back(Q(project));
    Run(kCmOpenProject);
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        LSVFileWindow* file = frame_->Rooms().workspace.Files()[i];
        EXPECT_EQ(file->Path(), kept[i].path);
        EXPECT_EQ(file->Document().Positions(), kept[i].positions);
        EXPECT_EQ(ReadList(file->Document().Audio()), kept[i].audio);
        EXPECT_EQ(file->View().end - file->View().start,
                  kept[i].positions.view_end - kept[i].positions.view_start);
    }
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), frame_->Rooms().workspace.Files()[1]);
    EXPECT_EQ(BookMarkNames(), (std::vector<std::string>{"uno", "dos", "tres"}));
    ASSERT_EQ(Places().regions.size(), 1u);
    EXPECT_EQ(Places().regions[0].name, "estrofa");
    EXPECT_EQ(Places().regions[0].file, stereo);
    EXPECT_EQ(ReadList(Places().regions[0].audio), region_audio);
    EXPECT_EQ(Caption(), "Sonvara - sesión");

    // The views draw the first file's marks by name, the region as a span, at their frames.
    LSVWaveWindow* view = frame_->Rooms().workspace.Files()[0]->WaveView();
    std::vector<QString> drawn;
    for (const WavePlace& place : view->Places()) {
        drawn.push_back(place.name);
    }
    EXPECT_EQ(drawn, (std::vector<QString>{"estrofa", "uno", "dos"}));
    EXPECT_EQ(view->Places()[0].start, 400);
    EXPECT_EQ(view->Places()[0].end, 1200);
    EXPECT_EQ(frame_->Rooms().workspace.Files()[1]->Overview()->Places().size(), 1u);

    // Files that still hold the project's audio are no change; one whose file on disk holds other
    // audio since is a change that closing asks about.
    EXPECT_FALSE(frame_->Rooms().workspace.Files()[0]->IsModified());
    EXPECT_FALSE(frame_->Rooms().workspace.Files()[1]->IsModified());
    prompts_.QueueAnswer(PromptAnswer::kNo);
    Run(kCmCloseProject);
    std::filesystem::copy_file(stereo, mono, std::filesystem::copy_options::overwrite_existing);
    frame_->project_answers.push_back(Q(project));
    Run(kCmOpenProject);
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    EXPECT_FALSE(frame_->Rooms().workspace.Files()[0]->IsModified());
    EXPECT_TRUE(frame_->Rooms().workspace.Files()[1]->IsModified());
}

// Untitled files are numbered anew when a project opens; their bookmarks follow them.
TEST_F(ProjectCommandsTest, TheBookMarksOfUntitledFilesFollowThemThroughSaveAndLoad) {
    WriteBool("Settings", "PromptSampleAndChannels", false);
    WriteInt("Settings", "DefaultSampleRate", kRate);
    for (int i = 0; i < 3; ++i) {
        Run(kCmNew);
        frame_->Rooms().workspace.CurrentFile()->Document().Audio() = Staircase(4000);
    }
    // "Sin título 2" and "Sin título 3" are left, the bookmark on the second; opened again they
    // are numbered 1 and 2.
    frame_->Rooms().workspace.Activate(frame_->Rooms().workspace.Files()[0]);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    Run(kCmClose);
    frame_->Rooms().workspace.Activate(frame_->Rooms().workspace.Files()[1]);
    SetBookMark("b", 1000);
    const std::string project = scratch_.File("untitled.svp");
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE(cycle);
        frame_->project_answers.push_back(Q(project));
        Run(cycle == 0 ? kCmSaveProjectAs : kCmSaveProject);
        prompts_.QueueAnswer(PromptAnswer::kNo);
        Run(kCmCloseProject);
        frame_->project_answers.push_back(Q(project));
        Run(kCmOpenProject);
        const std::vector<LSVFileWindow*>& files = frame_->Rooms().workspace.Files();
        ASSERT_EQ(files.size(), 2u);
        ASSERT_EQ(Places().bookmarks.size(), 1u);
        EXPECT_EQ(Places().bookmarks[0].file, files[1]->DisplayName());
        EXPECT_NE(files[0]->DisplayName(), files[1]->DisplayName());
        EXPECT_EQ(files[1]->WaveView()->Places().size(), 1u);
    }
}

// A project file of another version shows the version message and the load message, and opens
// nothing.
TEST_F(ProjectCommandsTest, AProjectOfAnotherVersionOpensNothing) {
    const std::string project = scratch_.File("nueva.svp");
    std::ofstream(project, std::ios::binary) << std::string("\x01\x00\x00\x00\x00", 5);
    frame_->project_answers.push_back(Q(project));
    Run(kCmOpenProject);
    ASSERT_EQ(prompts_.Asked().size(), 2u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Error de Archivo");
    EXPECT_EQ(prompts_.Asked()[0].text, kStoredVersionMessage);
    EXPECT_EQ(prompts_.Asked()[1].caption, "Error");
    EXPECT_TRUE(frame_->Rooms().workspace.Files().empty());
    EXPECT_EQ(Caption(), "Sonvara");
}

// A second bookmark of the same name: No keeps both, Yes replaces the old one, Cancel adds
// none. The bookmark window lists them; going to one moves the cursor there and counts the
// visit; going to one of a closed file only counts the visit. Saving the file writes its list
// file, which brings the marks back when the file opens again.
TEST_F(ProjectCommandsTest, BookMarksAreKeptVisitedAndStoredBesideTheFile) {
    const std::string stereo = Copy("in_stereo.wav");
    frame_->Rooms().files.OpenFiles({Q(stereo)});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    SetBookMark("a", 800);
    prompts_.QueueAnswer(PromptAnswer::kNo);
    SetBookMark("a", 1600);
    EXPECT_EQ(BookMarkNames(), (std::vector<std::string>{"a", "a"}));
    prompts_.QueueAnswer(PromptAnswer::kYes);
    SetBookMark("a", 400);
    EXPECT_EQ(Places().bookmarks.size(), 2u);
    EXPECT_EQ(Places().bookmarks.back().position_ms, 50u);  // frame 400 at 8000 Hz
    prompts_.QueueAnswer(PromptAnswer::kCancel);
    SetBookMark("a", 0);
    EXPECT_EQ(Places().bookmarks.size(), 2u);
    EXPECT_TRUE(file->IsModified());

    Places().bookmarks.push_back({"lejos", "cerrado.wav", 10, 1, 1});
    Run(kCmOpenBookMark);
    BookMarkDlg* window = Places().bookmark_window;
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->List()->topLevelItemCount(), 3);
    EXPECT_EQ(window->List()->topLevelItem(1)->text(1), "0:00:00.050");
    window->List()->setCurrentItem(window->List()->topLevelItem(1));
    frame_->Rooms().workspace.ModifySelection(10, 20, 10);
    window->CmGoTo();
    EXPECT_EQ(file->Document().Positions().cursor, 400);
    EXPECT_EQ(file->WaveView()->PositionStart(), 400);
    EXPECT_EQ(Places().bookmarks[1].visits, 2);
    window->List()->setCurrentItem(window->List()->topLevelItem(2));
    window->CmGoTo();
    EXPECT_EQ(Places().bookmarks[2].visits, 2);
    EXPECT_GT(Places().bookmarks[2].last_visit, 1u);
    EXPECT_EQ(file->Document().Positions().cursor, 400);
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile(), file);

    Run(kCmSave);
    const std::string list = scratch_.File("in_stereo.wbm");
    ASSERT_TRUE(std::filesystem::exists(list));
    EXPECT_EQ(std::filesystem::file_size(list), 2 + 2 * kBookMarkBytes);
    Run(kCmClose);
    EXPECT_EQ(BookMarkNames(), (std::vector<std::string>{"lejos"}));
    frame_->Rooms().files.OpenFiles({Q(stereo)});
    EXPECT_EQ(BookMarkNames(), (std::vector<std::string>{"lejos", "a", "a"}));
}

// Regions: the window enables "Guardar" and "Copiar en Nuevo" for one selected region, copies
// one into a new modified file and saves one as a WAV; the assemble dialog's order puts three
// one-second regions together into 3.6 s with the 300 ms gap, 3 s without it.
TEST_F(ProjectCommandsTest, RegionsAreCopiedSavedAndAssembled) {
    for (Sample first : {0, 100000, 200000}) {
        Places().regions.push_back(
            {"r" + std::to_string(first), "", 0, 1000, Staircase(8000, 1, first)});
    }
    Run(kCmOpenRegionLibrary);
    RegionDlg* window = Places().region_window;
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->List()->topLevelItemCount(), 3);
    window->List()->topLevelItem(0)->setSelected(true);
    window->List()->topLevelItem(2)->setSelected(true);
    EXPECT_FALSE(window->SaveButton()->isEnabled());
    EXPECT_FALSE(window->CopyButton()->isEnabled());
    window->List()->clearSelection();
    window->List()->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(window->CopyButton()->isEnabled());
    window->CmCopyToNew();
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 1u);
    EXPECT_TRUE(frame_->Rooms().workspace.CurrentFile()->IsModified());
    EXPECT_EQ(ReadList(frame_->Rooms().workspace.CurrentFile()->Document().Audio()),
              ReadList(Places().regions[2].audio));

    const std::string saved = scratch_.File("region.wav");
    frame_->region_answers.push_back(Q(saved));
    prompts_.QueueFormatChoice(LWaveFileFormat::PcmFormat(8000, 1));
    window->CmSave();
    EXPECT_EQ(LoadedLength(saved), 8000);

    AssembleRegionDlg dialog(frame_->Rooms().places);
    dialog.Regions()->item(2)->setSelected(true);
    dialog.CmAdd();
    dialog.Regions()->clearSelection();
    dialog.Regions()->item(0)->setSelected(true);
    dialog.Regions()->item(1)->setSelected(true);
    dialog.CmAdd();
    EXPECT_EQ(dialog.Order(), (std::vector<std::size_t>{2, 0, 1}));
    ASSERT_TRUE(frame_->Rooms().places.AssembleRegions(dialog.Order()));
    const LCutListAudio& assembled = frame_->Rooms().workspace.CurrentFile()->Document().Audio();
    EXPECT_EQ(assembled.GetLength(), 28800);
    EXPECT_EQ(ReadList(assembled)[10400], 0 * 16);
    EXPECT_EQ(ReadList(assembled)[10401], 1 * 16);
    EXPECT_EQ(ReadList(assembled)[0], 200000 * 16);

    WriteBool("Settings", "AutoGap", false);
    ASSERT_TRUE(frame_->Rooms().places.AssembleRegions({0, 1, 2}));
    EXPECT_EQ(frame_->Rooms().workspace.CurrentFile()->Document().Audio().GetLength(), 24000);
    EXPECT_EQ(frame_->Rooms().workspace.Files().size(), 3u);
}

// A bookmark's name in the main view, dragged with the mouse, moves the bookmark where it is let
// go; the file becomes modified.
TEST_F(ProjectCommandsTest, ABookMarkDraggedByItsNameMoves) {
    frame_->Rooms().files.OpenFiles({Q(Copy("in_stereo.wav"))});
    LSVFileWindow* file = frame_->Rooms().workspace.CurrentFile();
    SetBookMark("marca", 400);
    file->Document().SetModified(false);
    LSVWaveWindow* view = file->WaveView();
    ASSERT_TRUE(view->WaitForColumns());
    ASSERT_EQ(view->Places().size(), 1u);
    const QRectF label = view->PlaceLabel(view->Places()[0]);
    ASSERT_FALSE(label.isEmpty());
    // The flag is drawn in the bookmark's colour where the view says.
    const QImage drawn = view->grab().toImage();
    const QColor flag = drawn.pixelColor(label.center().toPoint() + QPoint(0, 0));
    EXPECT_GT(flag.red(), flag.blue()) << flag.name().toStdString();

    const QPoint from = label.topLeft().toPoint() + QPoint(2, 3);
    const int step = view->width() / 4;
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, from + QPoint(step, 0));
    QTest::mouseRelease(view, Qt::LeftButton, {}, from + QPoint(step, 0));
    Settle();
    const double expected_frame =
        view->FrameAtX(from.x() + step) - (view->FrameAtX(from.x()) - 400);
    EXPECT_NEAR(Places().bookmarks[0].position_ms, expected_frame / 8, 2);
    EXPECT_GT(Places().bookmarks[0].position_ms, 60u);
    EXPECT_TRUE(file->IsModified());
    EXPECT_EQ(view->Places()[0].start, static_cast<std::int32_t>(MillisecondsToFrames(
                                           Places().bookmarks[0].position_ms, 8000)));
}

}  // namespace
}  // namespace sonvara
