// The edit commands as a user drives them: select, press the command's key, and find the document
// changed, back after Ctrl+Z and changed again after Ctrl+Y, with the menus naming the step.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <vector>

#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

// The stereo test file's frames.
class EditCommandsTest : public EditorTest {
  protected:
    // A copy on the system clipboard holds cut files of this test's tank, which goes with it.
    ~EditCommandsTest() override { QApplication::clipboard()->clear(); }

    // The stereo test file, at 8000 Hz.
    LSVFileWindow* OpenStereo() {
        frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
        return frame_->Rooms().workspace.CurrentFile();
    }

    // Selects as a drag would, and waits for the menus to follow.
    void Select(LSVFileWindow* file, std::int32_t from, std::int32_t to) {
        file->SetSelection(from, to);
        for (int waited = 0; waited < 2000 && Enabled(kCmCopy) != (from != to); waited += 10) {
            QTest::qWait(10);
        }
    }

    void Key(QKeyCombination key) {
        QTest::keyClick(frame_.get(), key.key(), key.keyboardModifiers());
    }

    bool Enabled(int id) { return frame_->Action(id)->isEnabled(); }
};

struct Step {
    std::int32_t from, to;  // the selection before the key
    QKeyCombination key;
};

struct EditCase {
    const char* name;
    std::vector<Step> steps;
    // What the last step makes of the original audio.
    Frames (*expected)(const Frames& original);
    const char* undo_name;
};

TEST_F(EditCommandsTest, EachKeyChangesTheDocumentAndUndoAndRedoFollow) {
    const std::vector<EditCase> cases = {
        {"cut",
         {{500, 1000, Qt::CTRL | Qt::Key_X}},
         [](const Frames& s) {
             return Join({Slice(s, 0, 500), Slice(s, 1000, kStereoFileFrames)});
         },
         "Cortar"},
        // The cut goes to the clipboard and comes back in at frame 100.
        {"cut and paste",
         {{500, 1000, Qt::CTRL | Qt::Key_X}, {100, 100, Qt::CTRL | Qt::Key_V}},
         [](const Frames& s) {
             return Join({Slice(s, 0, 100), Slice(s, 500, 1000), Slice(s, 100, 500),
                          Slice(s, 1000, kStereoFileFrames)});
         },
         "Pegar"},
        // A pasted copy takes the selection's place.
        {"copy and paste over a selection",
         {{0, 200, Qt::CTRL | Qt::Key_C}, {1000, 1500, Qt::CTRL | Qt::Key_V}},
         [](const Frames& s) {
             return Join({Slice(s, 0, 1000), Slice(s, 0, 200), Slice(s, 1500, kStereoFileFrames)});
         },
         "Pegar"},
        {"delete",
         {{0, 700, QKeyCombination(Qt::Key_Delete)}},
         [](const Frames& s) { return Slice(s, 700, kStereoFileFrames); },
         "Borrar"},
        {"trim",
         {{300, 900, Qt::CTRL | Qt::Key_T}},
         [](const Frames& s) { return Slice(s, 300, 900); },
         "Recortar"},
        {"trim end",
         {{300, 900, Qt::CTRL | Qt::Key_E}},
         [](const Frames& s) { return Slice(s, 0, 900); },
         "Finalizar recortar"},
    };
    for (const EditCase& edit : cases) {
        SCOPED_TRACE(edit.name);
        LSVFileWindow* file = OpenStereo();
        const Frames original = ReadList(file->Document().Audio());
        Frames before_last = original;
        for (const Step& step : edit.steps) {
            before_last = ReadList(file->Document().Audio());
            Select(file, step.from, step.to);
            Key(step.key);
        }
        const Frames after = edit.expected(original);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == after);
        EXPECT_EQ(frame_->Action(kCmUndo)->text().toStdString(),
                  std::string("Deshacer ") + edit.undo_name + "\tCtrl+Z");
        EXPECT_FALSE(Enabled(kCmRedo));

        Key(Qt::CTRL | Qt::Key_Z);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == before_last);
        EXPECT_EQ(frame_->Action(kCmRedo)->text().toStdString(),
                  std::string("Rehacer ") + edit.undo_name + "\tCtrl+Y");

        Key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == after);
        Key(Qt::CTRL | Qt::Key_Z);
        Key(Qt::CTRL | Qt::Key_Y);
        EXPECT_TRUE(ReadList(file->Document().Audio()) == after);

        file->Document().SetModified(false);
        ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
        Settle();
    }
}

TEST_F(EditCommandsTest, AChangeAndItsUndoStopPlaybackFirst) {
    WriteBool("Settings", "AutoPlaybackAfterEffects", false);
    LSVFileWindow* file = OpenStereo();
    Select(file, 100, 400);
    for (QKeyCombination key : {Qt::CTRL | Qt::Key_X, Qt::CTRL | Qt::Key_Z}) {
        Key(QKeyCombination(Qt::Key_F9));
        ASSERT_TRUE(frame_->Rooms().transport.Transport().IsActive());
        Key(key);
        EXPECT_FALSE(frame_->Rooms().transport.Transport().IsActive());
    }
    EXPECT_EQ(file->Document().Audio().GetLength(), 2003);
}

TEST_F(EditCommandsTest, CommandsNeedAFileASelectionOrAClipboard) {
    const std::vector<int> edits = {kCmUndo,   kCmRedo, kCmCut,       kCmCopy,    kCmPaste,
                                    kCmDelete, kCmTrim, kCmTrimStart, kCmTrimEnd, kCmSilence};
    for (int id : edits) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    LSVFileWindow* file = OpenStereo();
    // The file window's context menu repeats them.
    for (int id : edits) {
        EXPECT_TRUE(file->actions().contains(frame_->Action(id))) << id;
    }
    EXPECT_TRUE(Enabled(kCmTrimStart));
    EXPECT_TRUE(Enabled(kCmTrimEnd));
    for (int id : {kCmUndo, kCmRedo, kCmCut, kCmCopy, kCmPaste, kCmDelete, kCmTrim, kCmSilence}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    Select(file, 0, 8);  // one millisecond at 8000 Hz
    for (int id : {kCmCut, kCmCopy, kCmDelete, kCmTrim, kCmSilence}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    Key(Qt::CTRL | Qt::Key_C);
    EXPECT_TRUE(Enabled(kCmPaste));
    EXPECT_FALSE(file->Document().CanUndo());  // a copy is no change

    // The clipboard outlives its file and pastes into another.
    file->Document().SetModified(false);
    ASSERT_TRUE(frame_->Rooms().files.CmCloseAll());
    Settle();
    file = OpenStereo();
    EXPECT_TRUE(Enabled(kCmPaste));
    frame_->Action(kCmPaste)->trigger();
    EXPECT_EQ(file->Document().Audio().GetLength(), 2011);
}

// The copy reaches the system clipboard as a WAV, which pastes back as the same samples; what is
// not audio is refused with a message and changes nothing.
TEST_F(EditCommandsTest, ACopyPastesBackThroughTheSystemClipboard) {
    LSVFileWindow* file = OpenStereo();
    const Frames original = ReadList(file->Document().Audio());
    Select(file, 0, 800);
    Key(Qt::CTRL | Qt::Key_C);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasFormat("audio/wav"));

    Select(file, 100, 100);
    frame_->Action(kCmPasteFromSystem)->trigger();
    EXPECT_TRUE(ReadList(file->Document().Audio()) ==
                Join({Slice(original, 0, 100), Slice(original, 0, 800),
                      Slice(original, 100, kStereoFileFrames)}));
    EXPECT_EQ(frame_->Action(kCmUndo)->text().toStdString(), "Deshacer Pegar\tCtrl+Z");
    EXPECT_TRUE(prompts_.Asked().empty());

    frame_->Action(kCmUndo)->trigger();
    auto* text = new QMimeData;
    text->setText("hola");
    QApplication::clipboard()->setMimeData(text);
    frame_->Action(kCmPasteFromSystem)->trigger();
    EXPECT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_TRUE(ReadList(file->Document().Audio()) == original);
    EXPECT_FALSE(file->Document().CanUndo());
}

// Copy to new: a new untitled window holding exactly the selection, marked modified, and no undo
// step in either file.
TEST_F(EditCommandsTest, CopyToNewOpensAWindowOfTheSelection) {
    LSVFileWindow* file = OpenStereo();
    const Frames original = ReadList(file->Document().Audio());
    EXPECT_FALSE(Enabled(kCmCopyToNew));
    Select(file, 300, 700);
    ASSERT_TRUE(Enabled(kCmCopyToNew));
    frame_->Action(kCmCopyToNew)->trigger();

    LSVFileWindow* copy = frame_->Rooms().workspace.CurrentFile();
    ASSERT_EQ(frame_->Rooms().workspace.Files().size(), 2u);
    ASSERT_NE(copy, file);
    EXPECT_TRUE(ReadList(copy->Document().Audio()) == Slice(original, 300, 700));
    EXPECT_EQ(copy->Document().Audio().GetSampleRate(), file->Document().Audio().GetSampleRate());
    EXPECT_TRUE(copy->parentWidget()->windowTitle().endsWith('*'));
    EXPECT_FALSE(copy->Document().CanUndo());
    EXPECT_FALSE(file->Document().CanUndo());
    EXPECT_TRUE(ReadList(file->Document().Audio()) == original);
}

}  // namespace
}  // namespace sonvara
