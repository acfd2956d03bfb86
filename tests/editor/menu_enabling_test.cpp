// The enabling of every command of the table, in the menus, on the tool bar and in the file
// window's context menu, checked against the editor's rules as stated here, by command id.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>

#include <map>
#include <set>

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
        id == 2021 || in(4001, 4019)) {
        return Needs::kSelection;
    }
    // Beyond these ranges, the player (3011) and the moves between windows (5050, 5051) act on
    // a file too.
    if (in(1003, 1009) || id == kCmFileProperties || in(2001, 2030) || in(3002, 3011) ||
        in(5001, 5012) || in(5040, 5051) || id == 7001 || id == kCmLoudnessAnalysis || id == 8001 ||
        id == 8003 || id == 8004) {
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

// Every entry of every menu, once each menu has opened, as "menu: entry".
void CollectEntries(QMenu* menu, QStringList& entries, std::map<QMenu*, QStringList>& by_menu) {
    emit menu->aboutToShow();
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        by_menu[menu] << action->text();
        if (action->menu() != nullptr) {
            CollectEntries(action->menu(), entries, by_menu);
        }
    }
}

TEST_F(MenuEnablingTest, EveryMenuEntryHasAnAccessLetterOfItsOwnAndKeepsItsText) {
    frame_->Rooms().files.OpenFiles({QString::fromStdString(kDataFolder + "in_stereo.wav")});
    frame_->Rooms().workspace.ModifySelection(0, 8, 500);
    Run(kCmCut);  // the undo entry names its step
    std::map<int, QString> before;
    for (const Command& command : Commands()) {
        before[command.id] = frame_->Action(command.id)->text();
    }
    QStringList entries;
    std::map<QMenu*, QStringList> by_menu;
    for (QAction* menu : frame_->menuBar()->actions()) {
        CollectEntries(menu->menu(), entries, by_menu);
    }
    ASSERT_GT(by_menu.size(), 10U);
    // A letter is shared only where one of the entries sharing it had no free letter.
    for (const auto& [menu, texts] : by_menu) {
        std::multiset<QChar> letters;
        std::map<QChar, bool> unavoidable;
        auto letter_of = [](const QString& label) {
            return label[label.indexOf(QRegularExpression("&[^&]")) + 1].toLower();
        };
        for (const QString& text : texts) {
            const QString label = text.section('\t', 0, 0);
            ASSERT_TRUE(label.contains(QRegularExpression("&[^&]"))) << text.toStdString();
            letters.insert(letter_of(label));
        }
        for (const QString& text : texts) {
            const QString label = text.section('\t', 0, 0);
            bool all_taken = true;
            for (const QChar other : label) {
                all_taken =
                    all_taken && (!other.isLetterOrNumber() || letters.count(other.toLower()) > 0);
            }
            unavoidable[letter_of(label)] |= all_taken;
        }
        for (const QChar letter : letters) {
            EXPECT_TRUE(letters.count(letter) == 1 || unavoidable[letter])
                << menu->title().toStdString() << ": " << QString(letter).toStdString();
        }
    }
    // The texts are the same but for the letter; those that had one keep it.
    for (const Command& command : Commands()) {
        const QString text = frame_->Action(command.id)->text();
        if (before[command.id].contains('&')) {
            EXPECT_EQ(text, before[command.id]);
        } else {
            EXPECT_EQ(QString(text).remove('&'), before[command.id]);
        }
    }
    EXPECT_EQ(frame_->Action(kCmUndo)->text(), "&Deshacer Cortar\tCtrl+Z");
    EXPECT_EQ(frame_->Action(kCmOpenProject)->text(), "A&brir Proyecto...");
}

}  // namespace
}  // namespace sonvara
