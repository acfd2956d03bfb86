// The enabling of every command of the table, in the menus, on the tool bar and in the file
// window's context menu, checked against the editor's rules as stated here, by command id.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QToolBar>

#include "tests/editor/editor_fixture.h"

namespace sonvara {
namespace {

// What a command needs before it is enabled.
enum class Needs {
    kNothing,
    kFile,
    kModified,
    kUndo,
    kRedo,
    kStereo,
    kSelection,
    kClipboard,
    kLastEffect
};

Needs RuleOf(int id) {
    auto in = [id](int from, int to) { return id >= from && id <= to; };
    if (id == kCmSave) {
        return Needs::kModified;
    }
    if (id == kCmUndo) {
        return Needs::kUndo;
    }
    if (id == kCmRedo) {
        return Needs::kRedo;
    }
    if (id == kCmDisplayPosNeg || id == kCmDisplayLeftRight) {
        return Needs::kStereo;
    }
    if (id == kCmRepeatEffect) {
        return Needs::kLastEffect;
    }
    if (id == 2004 || id == 2005) {
        return Needs::kClipboard;
    }
    if (id == 2002 || id == 2003 || id == 2006 || id == 2009 || id == 2010 || id == 2014 ||
        id == 2021 || in(4001, 4018)) {
        return Needs::kSelection;
    }
    // Beyond these ranges, the player (3011) and the moves between windows (5050, 5051) act on
    // a file too.
    if (in(1003, 1009) || id == kCmFileProperties || in(2001, 2030) || in(3002, 3011) ||
        in(5001, 5012) || in(5040, 5051) || id == 7001 || id == 8001 || id == 8003 || id == 8004) {
        return Needs::kFile;
    }
    return Needs::kNothing;
}

struct State {
    const char* name;
    bool file = false;
    bool modified = false;
    bool undo = false;
    bool redo = false;
    bool stereo = false;
    bool selection = false;
    bool clipboard = false;    // at least a millisecond of audio
    bool last_effect = false;  // an effect has been applied, to repeat
};

bool Enables(Needs needs, const State& state) {
    switch (needs) {
        case Needs::kNothing:
            return true;
        case Needs::kFile:
            return state.file;
        case Needs::kModified:
            return state.file && state.modified;
        case Needs::kUndo:
            return state.file && state.undo;
        case Needs::kRedo:
            return state.file && state.redo;
        case Needs::kStereo:
            return state.file && state.stereo;
        case Needs::kSelection:
            return state.file && state.selection;
        case Needs::kClipboard:
            return state.file && state.clipboard;
        case Needs::kLastEffect:
            return state.file && state.selection && state.last_effect;
    }
    return false;
}

class MenuEnablingTest : public EditorTest {
  protected:
    ~MenuEnablingTest() override { QApplication::clipboard()->clear(); }

    void Expect(const State& state) {
        SCOPED_TRACE(state.name);
        for (const Command& command : Commands()) {
            EXPECT_EQ(frame_->Action(command.id)->isEnabled(), Enables(RuleOf(command.id), state))
                << command.id;
        }
        // The tool bar's buttons, the held ones of the winds included.
        for (QAction* entry : frame_->ToolBar()->actions()) {
            const int id = entry->property("commandId").toInt();
            if (id != 0) {
                EXPECT_EQ(frame_->ToolBar()->widgetForAction(entry)->isEnabled(),
                          Enables(RuleOf(id), state))
                    << id;
            }
        }
    }

    void Run(int id) { frame_->Action(id)->trigger(); }
};

TEST_F(MenuEnablingTest, EveryCommandFollowsTheRuleOfWhatItNeeds) {
    Expect({"no file"});

    WriteBool("Settings", "PromptSampleAndChannels", false);
    WriteBool("Settings", "AutoPlaybackAfterEffects", false);
    frame_->Rooms().files.CmNew();
    LSVFileWindow* mono = frame_->Rooms().workspace.CurrentFile();
    mono->Document().Audio() = FromSamples(std::vector<Sample>(8000, 0x1000), 1, 8000);
    mono->RefreshView();
    Expect({"a mono file", true});
    // The file window's context menu repeats every edit command.
    for (const Command& command : Commands()) {
        if (command.menu == CommandMenu::kEdit) {
            EXPECT_TRUE(mono->actions().contains(frame_->Action(command.id))) << command.id;
        }
    }

    frame_->Rooms().workspace.ModifySelection(0, 0, 500);
    Expect({"a selection of nothing at the start", true});
    frame_->Rooms().workspace.ModifySelection(5, 5, 500);
    Expect({"a selection of nothing inside", true});
    frame_->Rooms().workspace.ModifySelection(0, 7, 500);
    Expect({"a selection", true, false, false, false, false, true});
    Run(kCmCopy);  // 7 frames at 8000 Hz: less than a millisecond
    Expect({"too short a clipboard", true, false, false, false, false, true});

    frame_->Rooms().workspace.ModifySelection(0, 8, 500);
    Run(kCmCopy);
    Expect({"a clipboard", true, false, false, false, false, true, true});
    Run(kCmCut);
    Expect({"after a cut", true, true, true, false, false, false, true});
    Run(kCmUndo);
    Expect({"after its undo", true, false, false, true, false, true, true});

    frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
    Expect({"a stereo file", true, false, false, false, true, false, true});
}

}  // namespace
}  // namespace sonvara
