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
    EXPECT_EQ(CutTank().RefCount(converted), 0);  // undone and not redoable: its files are gone
    EXPECT_FALSE(FileExists(CutTank().GetAudFilePath(converted)));

    document.Close();
    EXPECT_EQ(CutTank().RefCount(number), 0);
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
