#include "document/edit_document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/memory_stream.h"
#include "core/message_loop.h"
#include "core/progress_view.h"
#include "core/settings.h"
#include "document/load_source.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

class EditDocumentTest : public testing::DocumentTest {
  protected:
    EditDocumentTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~EditDocumentTest() override { UseSettingsStore(previous_store_); }

    LEditCallbacks Recording() {
        return {[this] { events_.push_back("menu"); }, [this] { events_.push_back("modified"); },
                [this] { events_.push_back("redraw"); },
                [this](std::int32_t from) { events_.push_back("play " + std::to_string(from)); }};
    }

    std::vector<std::string> events_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(EditDocumentTest, NineEditsThenNineUndos) {
    LEditDocument document(Recording());
    document.Audio() = Staircase(100);
    std::vector<std::int32_t> lengths;
    for (int edit = 1; edit <= 9; ++edit) {
        lengths.push_back(document.Audio().GetLength());
        document.Positions().cursor = edit;
        document.StartModifyCurrentFile("Borrar " + std::to_string(edit));
        document.Audio().EfDelete(0, 5);
    }
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.UndoMenuText(), "Deshacer Borrar 9\tCtrl+Z");
    for (int undo = 9; undo >= 2; --undo) {
        ASSERT_TRUE(document.CanUndo()) << undo;
        document.Undo();
        EXPECT_EQ(document.Audio().GetLength(), lengths[static_cast<std::size_t>(undo - 1)]);
        EXPECT_EQ(document.Positions().cursor, undo);
    }
    // The first edit's point was overwritten by the ninth: nothing more to undo.
    EXPECT_FALSE(document.CanUndo());
    EXPECT_EQ(document.UndoMenuText(), "");
    document.Undo();
    EXPECT_EQ(document.Audio().GetLength(), lengths[1]);
    EXPECT_TRUE(document.IsModified());  // the second edit was made on a modified document
}

TEST_F(EditDocumentTest, UndoRestoresFormatFlagAndReferences) {
    LEditDocument document;
    document.Audio() = Staircase(100, 2);
    const std::uint16_t number = document.Audio().Records().begin()->cut.Number();
    document.Positions() = {10, 20, 30, 0, 100};

    document.StartModifyCurrentFile("Convertir");
    {
        // A format change writes a new cut through a writer, which replaces the whole list.
        LSoundSinkRef writer(new LSNKCutListAudio(document.Audio(), 44100, 1));
        std::vector<Sample> samples(50, 7);
        writer->Write(samples.data(), 50);
        ASSERT_TRUE(writer->Finish());
    }
    document.Positions() = {0, 0, 0, 0, 50};
    EXPECT_EQ(document.Audio().GetSampleRate(), 44100);
    EXPECT_EQ(CutTank().RefCount(number), 1);  // only the undo point holds the old cut
    const std::uint16_t converted = document.Audio().Records().begin()->cut.Number();

    document.Undo();
    EXPECT_EQ(document.Audio().GetSampleRate(), 8000);
    EXPECT_EQ(document.Audio().GetChannels(), 2);
    EXPECT_EQ(document.Audio().GetLength(), 100);
    EXPECT_EQ(document.Positions(), (LEditPositions{10, 20, 30, 0, 100}));
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(CutTank().RefCount(number), 1);
    EXPECT_EQ(CutTank().RefCount(converted), 1);  // the redo step holds it
    document.StartModifyCurrentFile("Borrar");
    EXPECT_EQ(CutTank().RefCount(converted), 1);  // a cancel would make it redoable again
    document.EndModifyCurrentFile(0, 0);
    EXPECT_EQ(CutTank().RefCount(converted), 0);  // no longer redoable: its files are gone
    EXPECT_FALSE(FileExists(CutTank().GetAudFilePath(converted)));

    document.Close();
    EXPECT_EQ(CutTank().RefCount(number), 0);
    EXPECT_FALSE(document.CanUndo());
}

// Changed tags stay a change through undoing every edit, until the document is saved; undo and
// redo leave the tags alone.
TEST_F(EditDocumentTest, ChangedTagsKeepTheDocumentModifiedUntilSaved) {
    LEditDocument document(Recording());
    document.Audio() = Staircase(100);
    document.StartModifyCurrentFile("Borrar");
    document.Audio().EfDelete(0, 5);
    FileTags tags;
    tags.title = "Toma 2";
    events_.clear();
    document.SetTags(tags);
    EXPECT_EQ(events_, std::vector<std::string>{"modified"});
    document.SetTags(tags);  // the same tags are no change
    EXPECT_EQ(events_.size(), 1u);
    document.Undo();
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.Tags(), tags);
    document.SetModified(false);
    EXPECT_FALSE(document.IsModified());
    document.Redo();
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.Tags(), tags);
}

TEST_F(EditDocumentTest, EndOfAnEditRedrawsAndPlaysFromBeforeIt) {
    LEditDocument document(Recording());
    document.StartModifyCurrentFile("Amplificador");
    EXPECT_EQ(events_, (std::vector<std::string>{"modified", "menu"}));
    events_.clear();
    document.EndModifyCurrentFile(5000, 8000);
    EXPECT_EQ(events_, (std::vector<std::string>{"redraw", "play 0"}));
    EXPECT_EQ(document.Positions().cursor, 0);
    document.EndModifyCurrentFile(20000, 8000);
    EXPECT_EQ(document.Positions().cursor, 12000);

    WriteBool("Settings", "AutoPlaybackAfterEffects", false);
    events_.clear();
    document.EndModifyCurrentFile(20000, 8000);
    EXPECT_EQ(events_, (std::vector<std::string>{"redraw"}));
    EXPECT_EQ(document.Positions().cursor, 20000);
}

// Random edits, undos, redos, saves and cancelled edits against a model: the states the document
// has been in, in order, and the one it is in now. An edit drops the states after the current one
// and keeps at most UndoLevels() before it; a cancelled edit changes nothing.
TEST_F(EditDocumentTest, UndoAndRedoFollowAHistoryOfStates) {
    struct State {
        std::vector<Sample> samples;
        LEditPositions positions;
        bool modified;
        std::string name;  // of the edit that made it
    };
    for (const int levels : {1, 3, 8}) {
        WriteInt("Settings", "UndoLevels", levels);
        LEditDocument document;
        ASSERT_EQ(document.UndoLevels(), static_cast<std::size_t>(levels));
        document.Audio() = Staircase(120, 2);
        std::vector<State> history{{ReadList(document.Audio()), {}, false, ""}};
        std::size_t current = 0;
        std::uint32_t seed = 12345u * static_cast<std::uint32_t>(levels);
        const auto next = [&seed](std::int32_t below) {
            seed = seed * 1664525u + 1013904223u;
            return static_cast<std::int32_t>((seed >> 8) % static_cast<std::uint32_t>(below));
        };
        for (int step = 0; step < 400; ++step) {
            const int action = next(12);
            if (action < 4) {
                State state = history[current];
                const std::int32_t length = document.Audio().GetLength();
                const std::int32_t a = next(length + 1);
                const std::int32_t b = a + next(10);
                state.name = "Edit " + std::to_string(step);
                document.StartModifyCurrentFile(state.name);
                if (action < 2 && length > 40) {
                    document.Audio().EfDelete(a, b);
                    const auto first = state.samples.begin() + 2 * a;
                    state.samples.erase(first, first + 2 * std::min(b - a, length - a));
                } else {
                    document.Audio().InsertSilence(a, b - a);
                    state.samples.insert(state.samples.begin() + 2 * a, 2 * (b - a), 0);
                }
                state.positions = {a, a, b, 0, next(500)};
                state.modified = true;
                document.Positions() = state.positions;
                history.resize(current + 1);
                history.push_back(std::move(state));
                ++current;
                if (current > static_cast<std::size_t>(levels)) {
                    history.erase(history.begin());
                    --current;
                }
            } else if (action < 6) {
                document.Undo();
                current -= current > 0 ? 1 : 0;
            } else if (action < 9) {
                document.Redo();
                current += current + 1 < history.size() ? 1 : 0;
            } else if (action < 10) {
                document.SetModified(false);  // saved
                history[current].modified = false;
            } else {
                // An edit cancelled or failed part way: the document and its whole history,
                // the redo steps and the oldest undo point too, are as they were.
                document.StartModifyCurrentFile("Cancelled " + std::to_string(step));
                document.Audio().InsertSilence(0, 1 + next(10));
                document.Positions() = {1, 2, 3, 4, 5};
                document.CancelModifyCurrentFile();
            }
            const State& expected = history[current];
            ASSERT_EQ(ReadList(document.Audio()), expected.samples) << "step " << step;
            ASSERT_EQ(document.Positions(), expected.positions) << "step " << step;
            ASSERT_EQ(document.IsModified(), expected.modified) << "step " << step;
            ASSERT_EQ(document.UndoMenuText(),
                      current > 0 ? "Deshacer " + expected.name + "\tCtrl+Z" : "");
            ASSERT_EQ(document.RedoMenuText(),
                      current + 1 < history.size()
                          ? "Rehacer " + history[current + 1].name + "\tCtrl+Y"
                          : "");
        }
    }
    WriteInt("Settings", "UndoLevels", 0);
    EXPECT_EQ(LEditDocument().UndoLevels(), 1u);
    WriteInt("Settings", "UndoLevels", 1000);
    EXPECT_EQ(LEditDocument().UndoLevels(), 100u);
}

class LoadTest : public testing::DocumentTest {
  protected:
    static ProcessResult Load(std::vector<Sample> samples, int channels, LCutListAudio& target,
                              ProgressView& view) {
        LSoundSourceRef source(new LMemorySoundSource(std::move(samples), 11025, channels));
        QueueMessageLoop loop;
        testing::ScriptedPrompts prompts;
        ProcessHost host{loop, view, prompts};
        LCutListAudioLoadSource load("Cargando", source, target);
        return load.Run(host);
    }
};

TEST_F(LoadTest, LoadingWritesTheWholeSourceAsOneCut) {
    std::vector<Sample> samples;
    for (int i = 0; i < 2 * 20000; ++i) {
        samples.push_back((i % 3000 - 1500) * 16);
    }
    LCutListAudio target;
    SilentProgressView view;
    EXPECT_EQ(Load(samples, 2, target, view), PROCESS_DONE);
    EXPECT_EQ(target.GetSampleRate(), 11025);
    EXPECT_EQ(target.GetChannels(), 2);
    ASSERT_EQ(target.Records().Count(), 1u);
    EXPECT_EQ(ReadList(target), samples);

    LCutListAudio cancelled;
    testing::CancelAfter cancel(1);
    EXPECT_EQ(Load(samples, 2, cancelled, cancel), PROCESS_STOPPED);
    ASSERT_EQ(cancelled.Records().Count(), 1u);  // the one block written before the cancel
    EXPECT_EQ(cancelled.GetLength(), kBlockFrames);
    std::vector<Sample> kept = ReadList(cancelled);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), samples.begin()));
}

}  // namespace
}  // namespace sonvara
