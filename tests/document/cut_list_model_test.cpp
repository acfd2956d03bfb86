// Random edit sequences on cut lists, checked against a plain model: an array of frames, each
// holding the samples as they were written and the gain of the record it sits in. Every sample
// of the staircases used here is unique, so a frame out of place, a lost or doubled gain or a
// stray stretch of silence shows at the first frame it touches. The same edits also drive the
// reference counts of the tank: a cut's files must live exactly as long as some record names it.
//
// On a failure the message holds the seed, the step and every edit made so far, written as the
// calls that repeat them.

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "audio/split_multiply.h"
#include "document/cut_list_audio.h"
#include "document/cut_list_reader.h"
#include "document/cut_tank.h"
#include "document/cut_writer.h"
#include "tests/document/document_fixture.h"

namespace sonvara {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// ---------------------------------------------------------------------------------------------
// The model. Positions are 64-bit: the model never overflows, so any clamping the list does on
// its way must still land on the same frames.

struct ModelFrame {
    std::array<Sample, 2> samples{};  // silence: zeros, whatever the gain
    std::int32_t gain = kUnityGain;
};

struct ModelList {
    int channels = 1;
    std::vector<ModelFrame> frames;

    std::int64_t Length() const { return static_cast<std::int64_t>(frames.size()); }

    // What a reader delivers at `frame`, channel `c`: zeros outside the list.
    Sample At(std::int64_t frame, int c) const {
        if (frame < 0 || frame >= Length()) {
            return 0;
        }
        const ModelFrame& f = frames[static_cast<std::size_t>(frame)];
        return SplitMultiply(f.samples[static_cast<std::size_t>(c)], f.gain);
    }

    // The edits, named as the list's, so that one generic call edits either.
    void EfDelete(std::int64_t start, std::int64_t end) {
        if (end < start || end < 0) {
            return;
        }
        const std::int64_t s = std::max<std::int64_t>(start, 0);
        const std::int64_t e = std::min(end, Length());
        if (s < e) {
            frames.erase(frames.begin() + s, frames.begin() + e);
        }
    }

    void InsertSilence(std::int64_t pos, std::int64_t count) {
        if (pos < 0) {
            if (count < -pos) {
                return;
            }
            count += pos;
            pos = 0;
        }
        if (pos > Length()) {
            // The gap up to pos is silence as well.
            if (pos + count > Length()) {
                frames.resize(static_cast<std::size_t>(pos + count));
            }
        } else if (count > 0) {
            frames.insert(frames.begin() + pos, static_cast<std::size_t>(count), ModelFrame{});
        }
    }

    // Leaves `destination` alone when start > end, as the list does.
    void EfCopy(std::int64_t start, std::int64_t end, ModelList& destination) const {
        if (start > end) {
            return;
        }
        std::vector<ModelFrame> copy;
        for (std::int64_t p = start; p < end; ++p) {
            copy.push_back(p >= 0 && p < Length() ? frames[static_cast<std::size_t>(p)]
                                                  : ModelFrame{});
        }
        destination.channels = channels;
        destination.frames = std::move(copy);
    }

    void Insert(std::int64_t pos, const ModelList& other) {
        const auto& pasted = other.frames;
        if (pos > Length()) {
            frames.resize(static_cast<std::size_t>(pos));
            frames.insert(frames.end(), pasted.begin(), pasted.end());
        } else if (pos >= 0) {
            frames.insert(frames.begin() + pos, pasted.begin(), pasted.end());
        } else if (!frames.empty()) {
            std::vector<ModelFrame> joined = pasted;
            joined.resize(joined.size() + static_cast<std::size_t>(-pos));
            joined.insert(joined.end(), frames.begin(), frames.end());
            frames = std::move(joined);
        } else {
            frames = pasted;
        }
    }

    // The stored steps keep whole hundredths of the gain; the product is exact in 64 bits and
    // only then pinned to what a record can hold.
    void EfAmplifyAll(std::int32_t percent) {
        if (percent == 100) {
            return;  // not even the last two digits go
        }
        for (ModelFrame& f : frames) {
            const std::int64_t hundredths = f.gain - f.gain % 100;
            const std::int64_t product = hundredths * percent / 100;
            f.gain = static_cast<std::int32_t>(
                std::max<std::int64_t>(kMin, std::min<std::int64_t>(kMax, product)));
        }
    }

    void Cut(std::int64_t start, std::int64_t end, ModelList& destination) {
        EfCopy(start, end, destination);
        EfDelete(start, end);
    }
    void Replace(std::int64_t start, std::int64_t end, const ModelList& other) {
        EfDelete(start, end);
        Insert(start, other);
    }
    void Silence(std::int64_t start, std::int64_t end) {
        EfDelete(start, end);
        InsertSilence(start, end - start);
    }
    void TrimToRange(std::int64_t start, std::int64_t end) {
        const std::int64_t removed = start >= 1 ? start : 0;
        if (start >= 1) {
            EfDelete(0, start);
        }
        EfDelete(end - removed, Length());
    }
    void TrimStart(std::int64_t pos) {
        if (pos > 0) {
            EfDelete(0, pos);
        }
    }
    void TrimEnd(std::int64_t pos) { EfDelete(pos, Length()); }
    void Repeat(std::int64_t start, std::int64_t end, int times) {
        ModelList stretch;
        EfCopy(start, end, stretch);
        for (int i = 0; i < times; ++i) {
            Insert(start, stretch);
        }
    }
    void EfAmplify(std::int64_t start, std::int64_t end, std::int32_t percent) {
        if (end < start || percent == 100) {
            return;
        }
        ModelList stretch;
        Cut(start, end, stretch);
        stretch.EfAmplifyAll(percent);
        Insert(start, stretch);
    }
};

// The model of Staircase(frames, channels, first).
ModelList StaircaseModel(std::int32_t frames, int channels, Sample first) {
    ModelList model;
    model.channels = channels;
    for (std::int32_t f = 0; f < frames; ++f) {
        ModelFrame frame;
        for (int c = 0; c < channels; ++c) {
            frame.samples[static_cast<std::size_t>(c)] = (first + f) * 16 + c;
        }
        model.frames.push_back(frame);
    }
    return model;
}

// ---------------------------------------------------------------------------------------------
// Random edits made to a list and its model side by side. Besides the list there is a clip: the
// destination of every copy and cut, and what later pastes and replaces put in.

class RandomEdits {
  public:
    using MakeCut = std::function<LCutListAudio(std::int32_t frames, int channels, Sample first)>;

    RandomEdits(std::uint32_t seed, int channels, MakeCut make_cut)
        : rng_(seed), channels_(channels), make_cut_(std::move(make_cut)) {
        list_ = NewCut(CutFrames());
        model_ = last_cut_;
        history_ << "list = " << last_cut_text_ << ";\n";
        for (int more = Uniform(0, 2); more > 0; --more) {
            InsertNewCut(Uniform(0, list_.GetLength()));
        }
    }

    LCutListAudio& List() { return list_; }
    LCutListAudio& Clip() { return clip_; }
    const ModelList& ListModel() const { return model_; }
    const ModelList& ClipModel() const { return clip_model_; }
    // Every cut number these edits made; numbers come back into use once free.
    const std::set<std::uint16_t>& CutsMade() const { return cuts_made_; }
    std::string History() const { return history_.str(); }

    // Puts back a list and its model kept from earlier (an undo).
    void Restore(LCutListAudio list, ModelList model) {
        history_ << "list = <an earlier list>;\n";
        list_ = std::move(list);
        model_ = std::move(model);
    }

    std::int32_t Uniform(std::int32_t low, std::int32_t high) {
        return std::uniform_int_distribution<std::int32_t>(low, high)(rng_);
    }

    // One random edit, drawn so that the list keeps a few thousand frames in tens of records:
    // removing and adding balance, and a list near empty gets a new cut.
    void Step() {
        const std::int64_t length = model_.Length();
        if (length > 40000) {
            const std::int32_t pos = Uniform(0, 20000);
            Log("list.TrimEnd(", pos, ")");
            Both([&](auto& list, auto&) { list.TrimEnd(pos); });
            return;
        }
        if (length < 100 && Uniform(0, 1) == 0) {
            InsertNewCut(Position());
            return;
        }
        const int pick = Uniform(0, 29);
        if (pick < 4) {
            auto [start, end] = Extremes(Range());
            Log("list.EfDelete(", start, ", ", end, ")");
            Both([&](auto& list, auto&) { list.EfDelete(start, end); });
        } else if (pick < 6) {
            const std::int32_t pos = Uniform(0, 19) == 0 ? kMin : Position();
            const std::int32_t frames = Uniform(-20, 300);
            Log("list.InsertSilence(", pos, ", ", frames, ")");
            Both([&](auto& list, auto&) { list.InsertSilence(pos, frames); });
        } else if (pick < 8) {
            auto [start, end] = Range();
            Log("list.EfCopy(", start, ", ", end, ", clip)");
            Both([&](auto& list, auto& clip) { list.EfCopy(start, end, clip); });
        } else if (pick < 10) {
            auto [start, end] = Range();
            Log("list.Cut(", start, ", ", end, ", clip)");
            Both([&](auto& list, auto& clip) { list.Cut(start, end, clip); });
        } else if (pick < 13) {
            const std::int32_t pos = Position();
            Log("list.Insert(", pos, ", clip)");
            Both([&](auto& list, auto& clip) { list.Insert(pos, clip); });
        } else if (pick < 15) {
            auto [start, end] = Range();
            Log("list.Replace(", start, ", ", end, ", clip)");
            Both([&](auto& list, auto& clip) { list.Replace(start, end, clip); });
        } else if (pick < 17) {
            auto [start, end] = Range();
            if (Uniform(0, 19) == 0) {
                start = kMin;  // end - start is then beyond 32 bits
            }
            Log("list.Silence(", start, ", ", end, ")");
            Both([&](auto& list, auto&) { list.Silence(start, end); });
        } else if (pick < 18) {
            auto [start, end] = Extremes(Range());
            Log("list.TrimToRange(", start, ", ", end, ")");
            Both([&](auto& list, auto&) { list.TrimToRange(start, end); });
        } else if (pick < 19) {
            const std::int32_t pos = Uniform(0, 19) == 0 ? kMax : Uniform(-50, 200);
            Log("list.TrimStart(", pos, ")");
            Both([&](auto& list, auto&) { list.TrimStart(pos); });
        } else if (pick < 20) {
            const std::int32_t end = list_.GetLength();
            const std::int32_t pos = Uniform(0, 19) == 0 ? kMin : Uniform(end - 200, end + 50);
            Log("list.TrimEnd(", pos, ")");
            Both([&](auto& list, auto&) { list.TrimEnd(pos); });
        } else if (pick < 23) {
            auto [start, end] = Range();
            const int times = Uniform(0, 3);
            Log("list.Repeat(", start, ", ", end, ", ", times, ")");
            Both([&](auto& list, auto&) { list.Repeat(start, end, times); });
        } else if (pick < 27) {
            auto [start, end] = Range();
            const std::int32_t percent = Percent();
            Log("list.EfAmplify(", start, ", ", end, ", ", percent, ")");
            Both([&](auto& list, auto&) { list.EfAmplify(start, end, percent); });
        } else if (pick < 28) {
            const std::int32_t percent = Percent();
            Log("clip.EfAmplifyAll(", percent, ")");
            Both([&](auto&, auto& clip) { clip.EfAmplifyAll(percent); });
        } else {
            InsertNewCut(Position());
        }
    }

  private:
    // The same edit on the list and its clip, and on their models.
    template <typename Edit>
    void Both(const Edit& edit) {
        edit(list_, clip_);
        edit(model_, clip_model_);
    }

    // A new staircase whose samples no other cut has; last_cut_ is its model.
    LCutListAudio NewCut(std::int32_t frames) {
        const Sample first = next_first_;
        next_first_ += 100000;
        LCutListAudio cut = make_cut_(frames, channels_, first);
        cuts_made_.insert(cut.Records().First().Current().cut.Number());
        last_cut_text_ = "Staircase(" + std::to_string(frames) + ", " + std::to_string(channels_) +
                         ", " + std::to_string(first) + ")";
        last_cut_ = StaircaseModel(frames, channels_, first);
        return cut;
    }

    void InsertNewCut(std::int32_t pos) {
        const LCutListAudio cut = NewCut(CutFrames());
        Log("list.Insert(", pos, ", ", last_cut_text_, ")");
        list_.Insert(pos, cut);
        model_.Insert(pos, last_cut_);
    }

    // Mostly short cuts, so that edits meet many boundaries; now and then a long one, so that
    // seeks land deep inside a record.
    std::int32_t CutFrames() {
        return Uniform(0, 7) == 0 ? Uniform(2000, 30000) : Uniform(1, 2000);
    }

    template <typename... Args>
    void Log(const Args&... args) {
        (history_ << ... << args) << ";\n";
    }

    std::int32_t Position() {
        const std::int32_t length = list_.GetLength();
        switch (Uniform(0, 9)) {
            case 0:
                return 0;
            case 1:
                return length;
            case 2:
                return -Uniform(1, 60);
            case 3:
                return length + Uniform(1, 60);
            default:
                return Uniform(0, length);
        }
    }

    // Empty, backwards, short and long ranges, inside and across both ends.
    std::pair<std::int32_t, std::int32_t> Range() {
        const std::int32_t start = Position();
        switch (Uniform(0, 7)) {
            case 0:
                return {start, start};
            case 1:
                return {start, start - Uniform(1, 40)};
            case 2:
                return {start, Position()};
            case 3:
                return {start, start + Uniform(1, 5)};
            default:
                return {start, start + Uniform(1, std::max(list_.GetLength() / 8, 1))};
        }
    }

    // Now and then an end of the range at the far end of the 32-bit line: only for the edits
    // that remove (a paste or a copy that far would be gigabytes of silence).
    std::pair<std::int32_t, std::int32_t> Extremes(std::pair<std::int32_t, std::int32_t> range) {
        switch (Uniform(0, 29)) {
            case 0:
                return {kMin, range.second};
            case 1:
                return {range.first, kMax};
            case 2:
                return {kMin, kMax};
            default:
                return range;
        }
    }

    std::int32_t Percent() {
        static constexpr std::array<std::int32_t, 10> kPercents = {50,  73, 150,  200, 100,
                                                                   100, 0,  1000, -50, 101};
        return kPercents[static_cast<std::size_t>(
            Uniform(0, static_cast<std::int32_t>(kPercents.size()) - 1))];
    }

    std::mt19937 rng_;
    int channels_;
    MakeCut make_cut_;
    Sample next_first_ = 0;
    LCutListAudio list_;
    LCutListAudio clip_;
    ModelList model_;
    ModelList clip_model_;
    ModelList last_cut_;
    std::string last_cut_text_;
    std::set<std::uint16_t> cuts_made_;
    std::ostringstream history_;
};

// ---------------------------------------------------------------------------------------------

class CutListModelTest : public testing::DocumentTest {
  protected:
    static RandomEdits::MakeCut Maker() {
        return [](std::int32_t frames, int channels, Sample first) {
            return Staircase(frames, channels, first);
        };
    }

    // The list's length and every sample it reads as, against the model; the first difference
    // is named by frame and channel.
    static ::testing::AssertionResult MatchesModel(const LCutListAudio& list,
                                                   const ModelList& model) {
        if (list.GetLength() != model.Length()) {
            return ::testing::AssertionFailure()
                   << "length " << list.GetLength() << ", model " << model.Length();
        }
        if (list.GetChannels() != model.channels) {
            return ::testing::AssertionFailure()
                   << list.GetChannels() << " channels, model " << model.channels;
        }
        const std::vector<Sample> got = ReadList(list);
        for (std::int64_t f = 0; f < model.Length(); ++f) {
            for (int c = 0; c < model.channels; ++c) {
                const Sample read = got[static_cast<std::size_t>(f * model.channels + c)];
                if (read != model.At(f, c)) {
                    const ModelFrame& want = model.frames[static_cast<std::size_t>(f)];
                    return ::testing::AssertionFailure()
                           << "frame " << f << " channel " << c << " reads " << read << ", model "
                           << model.At(f, c) << " (sample "
                           << want.samples[static_cast<std::size_t>(c)] << ", gain " << want.gain
                           << ")";
                }
            }
        }
        return ::testing::AssertionSuccess();
    }

    // `steps` random edits from `seed`, the list (and the clip, once it holds something)
    // compared with the model after each; stops at the first difference.
    static void EditAndCompare(std::uint32_t seed, int channels, int steps) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(channels) +
                     " channel(s)");
        RandomEdits edits(seed, channels, Maker());
        for (int step = 1; step <= steps; ++step) {
            edits.Step();
            SCOPED_TRACE("after step " + std::to_string(step));
            ASSERT_TRUE(MatchesModel(edits.List(), edits.ListModel())) << "\n" << edits.History();
            if (!edits.ClipModel().frames.empty()) {
                ASSERT_TRUE(MatchesModel(edits.Clip(), edits.ClipModel())) << "the clip\n"
                                                                           << edits.History();
            }
        }
    }

    static void AddRecords(const LCutListAudio& list, std::map<std::uint16_t, int>& counts) {
        for (const LCutRecord& record : list.Records()) {
            if (!record.cut.IsSilent()) {
                ++counts[record.cut.Number()];
            }
        }
    }

    // For every number in `numbers`: the tank's count is the number of records naming it in
    // `counts`, and its two files exist exactly when that is not zero.
    static ::testing::AssertionResult CountsMatch(const std::set<std::uint16_t>& numbers,
                                                  const std::map<std::uint16_t, int>& counts) {
        for (std::uint16_t n : numbers) {
            const auto found = counts.find(n);
            const int want = found == counts.end() ? 0 : found->second;
            const bool aud = FileExists(CutTank().GetAudFilePath(n));
            const bool grf = FileExists(CutTank().GetGrfFilePath(n));
            if (CutTank().RefCount(n) != static_cast<std::uint32_t>(want) || aud != (want > 0) ||
                grf != (want > 0)) {
                return ::testing::AssertionFailure()
                       << "cut " << n << ": count " << CutTank().RefCount(n) << ", records " << want
                       << ", .aud " << (aud ? "present" : "missing") << ", .grf "
                       << (grf ? "present" : "missing");
            }
        }
        return ::testing::AssertionSuccess();
    }

    // The names of the cut files in the tank's folder.
    static std::vector<std::string> CutFilesLeft() {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(CutTank().Folder().c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name.ends_with(".aud") || name.ends_with(".grf")) {
                    names.push_back(name);
                }
            }
            ::closedir(dir);
        }
        return names;
    }
};

TEST_F(CutListModelTest, RandomEditsReadAsTheModel) {
    for (int channels : {1, 2}) {
        for (std::uint32_t seed = 1; seed <= 20; ++seed) {
            EditAndCompare(seed, channels, 200);
        }
    }
}

// Ranges outside the 500-frame list: empty and backwards ones past its end (where an inserted
// silence fills the gap up to its end), and ends out at the limits of the 32-bit line, where the
// list clamps its sums on the way and must still land on the frames the model reaches without.
TEST_F(CutListModelTest, RangesOutsideTheListEditTheRightFrames) {
    auto check = [](const std::string& name, const auto& edit) {
        SCOPED_TRACE(name);
        // Three records, the middle one at half gain.
        LCutListAudio list = Staircase(300, 2, 0);
        list.Insert(100, Staircase(200, 2, 1000));
        list.EfAmplify(100, 300, 50);
        ModelList model = StaircaseModel(300, 2, 0);
        model.Insert(100, StaircaseModel(200, 2, 1000));
        model.EfAmplify(100, 300, 50);
        ASSERT_EQ(list.Records().Count(), 3u);

        edit(list);
        edit(model);
        EXPECT_TRUE(MatchesModel(list, model));
    };
    check("EfDelete(min, 10)", [](auto& l) { l.EfDelete(kMin, 10); });
    check("EfDelete(150, max)", [](auto& l) { l.EfDelete(150, kMax); });
    check("EfDelete(min, max)", [](auto& l) { l.EfDelete(kMin, kMax); });
    check("EfDelete(max, max)", [](auto& l) { l.EfDelete(kMax, kMax); });
    check("InsertSilence(min, max)", [](auto& l) { l.InsertSilence(kMin, kMax); });
    check("InsertSilence(-10, 25)", [](auto& l) { l.InsertSilence(-10, 25); });
    check("InsertSilence(520, -5)", [](auto& l) { l.InsertSilence(520, -5); });
    check("Silence(-10, 120)", [](auto& l) { l.Silence(-10, 120); });
    check("Silence(520, 520)", [](auto& l) { l.Silence(520, 520); });
    check("Silence(530, 510)", [](auto& l) { l.Silence(530, 510); });
    check("Silence(530, 490)", [](auto& l) { l.Silence(530, 490); });
    check("Silence(min, 120)", [](auto& l) { l.Silence(kMin, 120); });
    check("Silence(min, min)", [](auto& l) { l.Silence(kMin, kMin); });
    check("TrimToRange(min, 150)", [](auto& l) { l.TrimToRange(kMin, 150); });
    check("TrimToRange(150, max)", [](auto& l) { l.TrimToRange(150, kMax); });
    check("TrimToRange(150, min)", [](auto& l) { l.TrimToRange(150, kMin); });
    check("TrimStart(max)", [](auto& l) { l.TrimStart(kMax); });
    check("TrimEnd(min)", [](auto& l) { l.TrimEnd(kMin); });
    check("TrimEnd(max)", [](auto& l) { l.TrimEnd(kMax); });
}

// Four cuts by 400 % saturate the gain; a later cut by 50 % must still halve it.
TEST_F(CutListModelTest, ASaturatedGainFollowsALaterCut) {
    LCutListAudio list = Staircase(300, 2, 0);
    ModelList model = StaircaseModel(300, 2, 0);
    auto amplify = [&](std::int32_t start, std::int32_t end, std::int32_t percent) {
        list.EfAmplify(start, end, percent);
        model.EfAmplify(start, end, percent);
    };
    for (int i = 0; i < 4; ++i) {
        amplify(0, 100, 400);
    }
    EXPECT_EQ(model.frames[0].gain, kMax);
    amplify(0, 200, 50);
    EXPECT_EQ(model.frames[0].gain, 21474836 * 50);
    EXPECT_EQ(model.frames[100].gain, kUnityGain / 100 * 50);
    EXPECT_TRUE(MatchesModel(list, model));
}

// Playback reads in whatever pieces the device asks for and seeks anywhere, before the start
// and past the end included; every piece must hold the model's frames, zeros outside.
TEST_F(CutListModelTest, ReaderDeliversTheModelInAnyPiecesAndAfterAnySeek) {
    for (int channels : {1, 2}) {
        for (std::uint32_t seed = 101; seed <= 110; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(channels) +
                         " channel(s)");
            RandomEdits edits(seed, channels, Maker());
            for (int step = 0; step < 60; ++step) {
                edits.Step();
            }
            const ModelList& model = edits.ListModel();
            LSRCCutListAudio reader(edits.List());
            ASSERT_EQ(reader.GetLength(), model.Length());

            // Reads `frames` at the reader's position and compares them with the model.
            auto read_and_compare = [&](std::int32_t frames, const std::string& what) {
                const std::int64_t from = reader.GetPosition();
                std::vector<Sample> piece(static_cast<std::size_t>(frames) *
                                          static_cast<std::size_t>(channels));
                reader.Read(piece.data(), frames);
                EXPECT_EQ(reader.GetPosition(), std::min<std::int64_t>(from + frames, kMax))
                    << what;
                for (std::int32_t f = 0; f < frames; ++f) {
                    for (int c = 0; c < channels; ++c) {
                        const Sample got =
                            piece[static_cast<std::size_t>(f) * static_cast<std::size_t>(channels) +
                                  static_cast<std::size_t>(c)];
                        if (got != model.At(from + f, c)) {
                            ADD_FAILURE()
                                << what << ": frame " << from + f << " channel " << c << " reads "
                                << got << ", model " << model.At(from + f, c) << "\n"
                                << edits.History();
                            return false;
                        }
                    }
                }
                return true;
            };
            auto piece_size = [&] {
                return edits.Uniform(0, 1) == 0 ? edits.Uniform(1, 64) : edits.Uniform(1, 10000);
            };

            while (reader.GetPosition() < model.Length() + 5000) {
                ASSERT_TRUE(read_and_compare(piece_size(), "straight through"));
            }
            for (int seek = 0; seek < 60; ++seek) {
                std::int32_t to = 0;
                switch (edits.Uniform(0, 5)) {
                    case 0:
                        to = -edits.Uniform(1, 12000);
                        break;
                    case 1:
                        to = reader.GetLength() + edits.Uniform(0, 12000);
                        break;
                    case 2:
                        to = edits.Uniform(0, 1) == 0 ? kMin : kMax - edits.Uniform(0, 100);
                        break;
                    default:
                        to = edits.Uniform(0, reader.GetLength());
                        break;
                }
                reader.Seek(to);
                ASSERT_EQ(reader.GetPosition(), to);
                const std::string what = "after Seek(" + std::to_string(to) + ")";
                for (int reads = edits.Uniform(1, 3); reads > 0; --reads) {
                    ASSERT_TRUE(read_and_compare(piece_size(), what));
                }
            }
        }
    }
}

// Undo points, copies, readers and writers all hold references; whatever is alive, a cut's
// count is the number of records naming it and its files exist exactly while that is not zero.
TEST_F(CutListModelTest, CutFilesLiveExactlyAsLongAsSomeRecordNamesThem) {
    for (std::uint32_t seed = 201; seed <= 212; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const int channels = seed % 2 == 0 ? 2 : 1;
        RandomEdits edits(seed, channels, Maker());
        std::set<std::uint16_t> numbers;
        // Undo points (the oldest of eight goes), each with its model.
        std::vector<std::pair<LCutListAudio, ModelList>> points;
        // A reader's snapshot is out of reach; it names what the list named when it was made.
        std::vector<std::pair<LSoundSourceRef, std::map<std::uint16_t, int>>> readers;

        auto counts_match = [&] {
            std::map<std::uint16_t, int> counts;
            AddRecords(edits.List(), counts);
            AddRecords(edits.Clip(), counts);
            for (const auto& point : points) {
                AddRecords(point.first, counts);
            }
            for (const auto& reading : readers) {
                for (const auto& [n, k] : reading.second) {
                    counts[n] += k;
                }
            }
            numbers.insert(edits.CutsMade().begin(), edits.CutsMade().end());
            return CountsMatch(numbers, counts);
        };
        auto any_of = [&](std::size_t size) {
            return static_cast<std::size_t>(edits.Uniform(0, static_cast<std::int32_t>(size) - 1));
        };

        for (int step = 0; step < 200; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            switch (edits.Uniform(0, 9)) {
                case 0:
                    points.emplace_back(edits.List(), edits.ListModel());
                    if (points.size() > 8) {
                        points.erase(points.begin());
                    }
                    break;
                case 1:  // undo
                    if (!points.empty()) {
                        edits.Restore(std::move(points.back().first),
                                      std::move(points.back().second));
                        points.pop_back();
                    }
                    break;
                case 2: {  // playback starts; the reader keeps its snapshot while it lives
                    std::map<std::uint16_t, int> named;
                    AddRecords(edits.List(), named);
                    LSoundSourceRef reader(new LSRCCutListAudio(edits.List()));
                    std::vector<Sample> block(static_cast<std::size_t>(channels) * 777);
                    reader->Read(block.data(), 777);
                    readers.emplace_back(reader, std::move(named));
                    break;
                }
                case 3:  // playback ends
                    if (!readers.empty()) {
                        readers.erase(readers.begin() +
                                      static_cast<std::ptrdiff_t>(any_of(readers.size())));
                    }
                    break;
                case 4: {  // a load over an undo point's list: its old records go
                    if (points.empty()) {
                        break;
                    }
                    auto& [target, model] = points[any_of(points.size())];
                    std::uint16_t number = kSilentCut;
                    {
                        auto* writer = new LSNKCutListAudio(target, 8000, channels);
                        LSoundSinkRef keep(writer);
                        number = writer->CutNumber();
                        numbers.insert(number);
                        std::vector<Sample> samples(static_cast<std::size_t>(channels) * 300, 7);
                        writer->Write(samples.data(), 300);
                        // Until the writer finishes, its own is the one reference.
                        EXPECT_EQ(CutTank().RefCount(number), 1);
                        EXPECT_TRUE(FileExists(CutTank().GetAudFilePath(number)));
                        EXPECT_TRUE(FileExists(CutTank().GetGrfFilePath(number)));
                        ASSERT_TRUE(writer->Finish());
                    }
                    ASSERT_EQ(target.Records().Count(), 1u);
                    EXPECT_EQ(target.Records().First().Current().cut.Number(), number);
                    model.channels = channels;
                    model.frames.assign(300, ModelFrame{{7, 7}, kUnityGain});
                    ASSERT_TRUE(MatchesModel(target, model));
                    break;
                }
                default:
                    edits.Step();
                    break;
            }
            ASSERT_TRUE(counts_match()) << edits.History();
        }
        // The undo points kept their audio through all of it.
        for (const auto& [list, model] : points) {
            ASSERT_TRUE(MatchesModel(list, model)) << edits.History();
        }
        ASSERT_TRUE(MatchesModel(edits.List(), edits.ListModel())) << edits.History();

        // Everything goes, one holder at a time and in random order.
        std::vector<std::function<void()>> drops;
        drops.emplace_back([&] { edits.List() = LCutListAudio(); });
        drops.emplace_back([&] { edits.Clip().Clear(); });
        for (std::size_t i = 0; i < points.size(); ++i) {
            drops.emplace_back([&, i] { points[i].first.Clear(); });
        }
        for (std::size_t i = 0; i < readers.size(); ++i) {
            drops.emplace_back([&, i] {
                readers[i].first = LSoundSourceRef();
                readers[i].second.clear();
            });
        }
        std::shuffle(drops.begin(), drops.end(), std::mt19937(seed));
        for (std::size_t i = 0; i < drops.size(); ++i) {
            drops[i]();
            ASSERT_TRUE(counts_match()) << "after dropping " << i + 1 << " of " << drops.size();
        }
        for (std::uint16_t n : numbers) {
            EXPECT_EQ(CutTank().RefCount(n), 0) << "cut " << n;
        }
        EXPECT_EQ(CutFilesLeft(), std::vector<std::string>());
    }
}

}  // namespace
}  // namespace sonvara
