#include "document/edit_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/message_loop.h"
#include "core/settings.h"
#include "tests/document/document_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

constexpr std::int32_t kFrames = 20000;  // 2.5 s of stereo at 8000 Hz

class EditCommandsTest : public testing::DocumentTest {
  protected:
    EditCommandsTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~EditCommandsTest() override { UseSettingsStore(previous_store_); }

    LEditDocument Document(std::vector<std::int32_t>* played = nullptr) {
        LEditCallbacks callbacks;
        if (played != nullptr) {
            callbacks.play_from = [played](std::int32_t from) { played->push_back(from); };
        }
        LEditDocument document(callbacks);
        document.Audio() = Staircase(kFrames, 2);
        return document;
    }

    // Frames [start, end) of interleaved stereo.
    static std::vector<Sample> Frames(const std::vector<Sample>& samples, std::int32_t start,
                                      std::int32_t end) {
        return {samples.begin() + 2 * start, samples.begin() + 2 * end};
    }
    static std::vector<Sample> Join(std::vector<std::vector<Sample>> parts) {
        std::vector<Sample> joined;
        for (const std::vector<Sample>& part : parts) {
            joined.insert(joined.end(), part.begin(), part.end());
        }
        return joined;
    }
    static std::vector<Sample> Silence(std::int32_t frames) {
        return std::vector<Sample>(2 * static_cast<std::size_t>(frames), 0);
    }

    QueueMessageLoop loop_;
    SilentProgressView view_;
    testing::ScriptedPrompts prompts_;
    ProcessHost host_{loop_, view_, prompts_};

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

// Each command on a selection of [10000, 18000) with the cursor at 3000: the document after it,
// after its undo and after its redo, and where it plays from (its position less its preroll).
TEST_F(EditCommandsTest, EachCommandChangesUndoesAndRedoes) {
    const std::vector<Sample> s = ReadList(Staircase(kFrames, 2));
    const LCutListAudio pasted = Staircase(1000, 2, 50000);
    const std::vector<Sample> p = ReadList(pasted);
    const LEditPositions before{3000, 10000, 18000, 0, kFrames};
    struct Row {
        std::string name;
        std::function<void(LEditDocument&, LAudioClipboard&)> command;
        std::vector<Sample> after;
        LEditPositions positions;  // the cursor is where it plays from
    };
    const std::vector<Row> rows{
        {"Cortar",
         [](auto& d, auto& c) { EditCut(d, c); },
         Join({Frames(s, 0, 10000), Frames(s, 18000, kFrames)}),
         {2000, 10000, 10000, 0, kFrames}},
        {"Pegar",
         [&](auto& d, auto&) { EditPaste(d, pasted, host_); },
         Join({Frames(s, 0, 10000), p, Frames(s, 18000, kFrames)}),
         {6000, 10000, 11000, 0, kFrames}},
        {"Borrar",
         [](auto& d, auto&) { EditDelete(d); },
         Join({Frames(s, 0, 10000), Frames(s, 18000, kFrames)}),
         {2000, 10000, 10000, 0, kFrames}},
        {"Recortar",
         [](auto& d, auto&) { EditTrim(d); },
         Frames(s, 10000, 18000),
         {0, 0, 0, 0, 8000}},
        {"Comenzar recortar",
         [](auto& d, auto&) { EditTrimStart(d); },
         Frames(s, 10000, kFrames),
         {0, 0, 0, 0, 10000}},
        {"Finalizar recortar",
         [](auto& d, auto&) { EditTrimEnd(d); },
         Frames(s, 0, 18000),
         {0, 0, 0, 0, 18000}},
        {"Editar Silencio",
         [](auto& d, auto&) { EditSilence(d); },
         Join({Frames(s, 0, 10000), Silence(8000), Frames(s, 18000, kFrames)}),
         {2000, 10000, 18000, 0, kFrames}},
        {"Insertar Silencio al comienzo",
         [](auto& d, auto&) { EditInsertSilence(d, InsertPlace::kStart, 250); },
         Join({Silence(2000), s}),
         {2000, 10000, 18000, 0, kFrames}},
        {"Insertar Silencio en la posición actual",
         [](auto& d, auto&) { EditInsertSilence(d, InsertPlace::kCursor, 250); },
         Join({Frames(s, 0, 3000), Silence(2000), Frames(s, 3000, kFrames)}),
         {2000, 10000, 18000, 0, kFrames}},
        {"Insertar Silencio al final",
         [](auto& d, auto&) { EditInsertSilence(d, InsertPlace::kEnd, 1500); },
         Join({s, Silence(12000)}),
         {2000, 10000, 18000, 0, kFrames}},
        {"Insertar Archivo al comienzo",
         [&](auto& d, auto&) { EditInsertFile(d, InsertPlace::kStart, pasted, host_); },
         Join({p, s}),
         {2000, 10000, 18000, 0, kFrames}},
        {"Insertar Archivo en la posición actual",
         [&](auto& d, auto&) { EditInsertFile(d, InsertPlace::kCursor, pasted, host_); },
         Join({Frames(s, 0, 3000), p, Frames(s, 3000, kFrames)}),
         {2000, 10000, 18000, 0, kFrames}},
        {"Insertar Archivo al final",
         [&](auto& d, auto&) { EditInsertFile(d, InsertPlace::kEnd, pasted, host_); },
         Join({s, p}),
         {2000, 10000, 18000, 0, kFrames}},
        // The selection then covers all three occurrences.
        {"Repetir",
         [](auto& d, auto&) { EditRepeat(d, 2); },
         Join({Frames(s, 0, 18000), Frames(s, 10000, 18000), Frames(s, 10000, 18000),
               Frames(s, 18000, kFrames)}),
         {2000, 10000, 34000, 0, kFrames}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::int32_t> played;
        LEditDocument document = Document(&played);
        document.Positions() = before;
        LAudioClipboard clipboard;
        row.command(document, clipboard);
        EXPECT_EQ(document.UndoMenuText(), "Deshacer " + row.name + "\tCtrl+Z");
        EXPECT_EQ(ReadList(document.Audio()), row.after);
        EXPECT_EQ(document.Positions(), row.positions);
        EXPECT_EQ(played, std::vector<std::int32_t>{row.positions.cursor});
        EXPECT_TRUE(document.IsModified());

        document.Undo();
        EXPECT_EQ(ReadList(document.Audio()), s);
        EXPECT_EQ(document.Positions(), before);
        EXPECT_FALSE(document.IsModified());

        document.Redo();
        EXPECT_EQ(ReadList(document.Audio()), row.after);
        EXPECT_EQ(document.Positions(), row.positions);
        EXPECT_TRUE(document.IsModified());
        if (row.name == "Cortar") {
            EXPECT_EQ(ReadList(clipboard), Frames(s, 10000, 18000));
        }
    }
}

TEST_F(EditCommandsTest, CopyingAndSelectingRecordNoUndoPoint) {
    LEditDocument document = Document();
    const std::vector<Sample> s = ReadList(document.Audio());
    LAudioClipboard clipboard = Staircase(10, 2, 90000);
    document.Positions() = {500, 700, 700, 0, kFrames};
    EXPECT_FALSE(EditCopy(document, clipboard));  // no selection: the clipboard stays
    EXPECT_EQ(clipboard.GetLength(), 10);
    EXPECT_EQ(EditCopyToNew(document).GetLength(), 0);

    // A selection reaching past the end is clamped to the document.
    document.Positions() = {500, 19000, 25000, 0, kFrames};
    EXPECT_TRUE(EditCopy(document, clipboard));
    EXPECT_EQ(ReadList(clipboard), Frames(s, 19000, kFrames));
    const LCutListAudio copy = EditCopyToNew(document);
    EXPECT_EQ(copy.GetChannels(), 2);
    EXPECT_EQ(copy.GetSampleRate(), 8000);
    EXPECT_EQ(ReadList(copy), Frames(s, 19000, kFrames));

    SelectToStart(document);
    EXPECT_EQ(document.Positions(), (LEditPositions{500, 0, 500, 0, kFrames}));
    SelectToEnd(document);
    EXPECT_EQ(document.Positions(), (LEditPositions{500, 500, kFrames, 0, kFrames}));
    document.Positions().view_start = 4000;
    SelectAll(document);
    EXPECT_EQ(document.Positions(), (LEditPositions{500, 0, kFrames, 0, kFrames}));
    EXPECT_EQ(ReadList(document.Audio()), s);
    EXPECT_FALSE(document.CanUndo());
    EXPECT_FALSE(document.IsModified());
    // Without a selection the commands that need one leave no undo point either.
    document.Positions() = {500, 700, 700, 0, kFrames};
    EXPECT_FALSE(EditCut(document, clipboard) || EditDelete(document) || EditTrim(document) ||
                 EditSilence(document));
    EXPECT_FALSE(document.CanUndo());
}

// A paste whose result would pass what a document holds (2^31 - 1 frames) does nothing; one that
// replaces enough of the selection fits.
TEST_F(EditCommandsTest, APasteLongerThanADocumentHoldsDoesNothing) {
    constexpr std::int32_t kMost = std::numeric_limits<std::int32_t>::max();
    LEditDocument document;
    document.Audio() = LCutListAudio(8000, 1);
    document.Audio().InsertSilence(0, kMost - 500);
    const LAudioClipboard clip = FromSamples(std::vector<Sample>(1000, 7), 1, 8000);
    document.Positions() = {0, 0, 0, 0, 1000};
    EXPECT_FALSE(PasteFits(document, clip));
    EXPECT_EQ(EditPaste(document, clip, host_), PROCESS_FAILED);
    EXPECT_EQ(document.Audio().GetLength(), kMost - 500);
    EXPECT_FALSE(document.CanUndo());
    document.Positions() = {0, 0, 600, 0, 1000};  // 600 frames replaced leave room
    ASSERT_EQ(EditPaste(document, clip, host_), PROCESS_DONE);
    EXPECT_EQ(document.Audio().GetLength(), kMost - 100);
}

TEST_F(EditCommandsTest, PasteConvertsAClipboardOfAnotherFormat) {
    LEditDocument document;
    document.Audio() = FromSamples(std::vector<Sample>(2 * 44100, 100), 2, 44100);
    document.Positions() = {0, 1000, 1000, 0, 44100};
    const LAudioClipboard second = FromSamples(std::vector<Sample>(22050, 3000), 1, 22050);

    // A cancelled conversion leaves the document as it was, without the undo point.
    testing::CancelAfter cancel(0);
    ProcessHost cancelling{loop_, cancel, prompts_};
    EXPECT_EQ(EditPaste(document, second, cancelling), PROCESS_STOPPED);
    EXPECT_EQ(document.Audio().GetLength(), 44100);
    EXPECT_EQ(document.Positions(), (LEditPositions{0, 1000, 1000, 0, 44100}));
    EXPECT_FALSE(document.CanUndo());
    EXPECT_FALSE(document.IsModified());

    ASSERT_EQ(EditPaste(document, second, host_), PROCESS_DONE);
    EXPECT_EQ(document.Positions().selection_start, 1000);
    EXPECT_EQ(document.Positions().selection_end, 1000 + 44100);
    EXPECT_EQ(document.Audio().GetSampleRate(), 44100);
    EXPECT_EQ(document.Audio().GetChannels(), 2);
    EXPECT_EQ(document.Audio().GetLength(), 2 * 44100);
    const std::vector<Sample> samples = ReadList(document.Audio());
    EXPECT_EQ(samples[2 * 999 + 1], 100);
    // Both channels carry the mono clipboard (the rate filter's passband is within 1%).
    EXPECT_NEAR(samples[2 * 20000], 3000, 30);
    EXPECT_NEAR(samples[2 * 20000 + 1], 3000, 30);
    document.Undo();
    EXPECT_EQ(document.Audio().GetLength(), 44100);
}

// A repeat of no copies changes nothing; one whose copies would not fit a document makes only
// those that do.
TEST_F(EditCommandsTest, RepeatsAsManyCopiesAsTheDocumentHolds) {
    LEditDocument document = Document();
    document.Positions() = {0, 100, 300, 0, kFrames};
    EXPECT_FALSE(EditRepeat(document, 0));
    EXPECT_FALSE(EditRepeat(document, -3));
    EXPECT_FALSE(document.CanUndo());
    EXPECT_EQ(document.Audio().GetLength(), kFrames);

    // 1.5e9 frames of silence (no files), then a 100e6-frame selection repeated 100 times: six
    // copies fit below 2^31 frames.
    document.Audio().InsertSilence(0, 1'500'000'000 - kFrames);
    document.Positions() = {0, 0, 100'000'000, 0, 0};
    EXPECT_TRUE(EditRepeat(document, 100));
    EXPECT_EQ(document.Audio().GetLength(), 2'100'000'000);
    EXPECT_EQ(document.Positions().selection_end, 700'000'000);
    document.Positions() = {0, 0, 1'000'000'000, 0, 0};
    EXPECT_FALSE(EditRepeat(document, 1));
    EXPECT_EQ(document.Audio().GetLength(), 2'100'000'000);
}

}  // namespace
}  // namespace sonvara
