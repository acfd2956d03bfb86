#include "document/cut_list_audio.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/document/document_fixture.h"

namespace sonvara {
namespace {

class CutListTest : public testing::DocumentTest {
  protected:
    struct Piece {
        bool silent;
        std::int32_t start;
        std::int32_t length;
        bool operator==(const Piece&) const = default;
    };

    static std::vector<Piece> Pieces(const LCutListAudio& list) {
        std::vector<Piece> pieces;
        for (const LCutRecord& record : list.Records()) {
            pieces.push_back({record.cut.IsSilent(), record.start, record.length});
        }
        return pieces;
    }

    // The frames of a mono staircase list from `first` to `last` (inclusive), as read back.
    static std::vector<Sample> Steps(std::int32_t first, std::int32_t last) {
        std::vector<Sample> samples;
        for (std::int32_t f = first; f <= last; ++f) {
            samples.push_back(f * 16);
        }
        return samples;
    }

    static std::vector<Sample> Zeros(std::size_t count) { return std::vector<Sample>(count, 0); }

    static std::vector<Sample> Join(std::initializer_list<std::vector<Sample>> parts) {
        std::vector<Sample> joined;
        for (const auto& part : parts) {
            joined.insert(joined.end(), part.begin(), part.end());
        }
        return joined;
    }
};

TEST_F(CutListTest, DeleteSplitsJoinsAndDropsReferences) {
    LCutListAudio list = Staircase(1000);
    const std::uint16_t number = list.Records().begin()->cut.Number();

    list.EfDelete(200, 300);
    EXPECT_EQ(Pieces(list), (std::vector<Piece>{{false, 0, 200}, {false, 300, 700}}));
    EXPECT_EQ(CutTank().RefCount(number), 2);
    EXPECT_EQ(ReadList(list), Join({Steps(0, 199), Steps(300, 999)}));

    list.EfDelete(300, 300);  // an empty range takes nothing away
    EXPECT_EQ(list.GetLength(), 900);
    EXPECT_EQ(ReadList(list), Join({Steps(0, 199), Steps(300, 999)}));

    list.EfDelete(150, 250);  // across a record boundary
    EXPECT_EQ(ReadList(list), Join({Steps(0, 149), Steps(350, 999)}));

    list.EfDelete(-50, 20);  // a negative start counts as 0
    EXPECT_EQ(ReadList(list), Join({Steps(20, 149), Steps(350, 999)}));

    list.EfDelete(600, 100);  // wrong order: nothing
    list.EfDelete(-10, -1);
    EXPECT_EQ(list.GetLength(), 780);

    list.EfDelete(0, list.GetLength());
    EXPECT_TRUE(list.Records().IsEmpty());
    EXPECT_EQ(CutTank().RefCount(number), 0);
    EXPECT_FALSE(FileExists(CutTank().GetAudFilePath(number)));
}

TEST_F(CutListTest, CopyPadsWithSilenceOutsideTheList) {
    LCutListAudio list = Staircase(1000);
    LCutListAudio before;
    list.EfCopy(-100, 50, before);
    EXPECT_EQ(before.GetLength(), 150);
    EXPECT_EQ(ReadList(before), Join({Zeros(100), Steps(0, 49)}));

    LCutListAudio after;
    list.EfCopy(900, 1200, after);
    EXPECT_EQ(after.GetLength(), 300);
    EXPECT_EQ(ReadList(after), Join({Steps(900, 999), Zeros(200)}));

    LCutListAudio empty = Staircase(3);
    list.EfCopy(500, 500, empty);  // an empty range: no records at all, not one of no frames
    EXPECT_TRUE(empty.Records().IsEmpty());

    LCutListAudio untouched = Staircase(3);
    list.EfCopy(10, 5, untouched);  // wrong order: the destination stays as it was
    EXPECT_EQ(untouched.GetLength(), 3);

    LCutListAudio cut;
    list.Cut(100, 200, cut);
    EXPECT_EQ(ReadList(cut), Steps(100, 199));
    EXPECT_EQ(ReadList(list), Join({Steps(0, 99), Steps(200, 999)}));
}

TEST_F(CutListTest, InsertSilenceAtEveryKindOfPosition) {
    LCutListAudio list = Staircase(1000);
    list.InsertSilence(5000, 10);  // past the end: the gap is filled too
    EXPECT_EQ(Pieces(list), (std::vector<Piece>{{false, 0, 1000}, {true, 0, 4010}}));

    list = Staircase(1000);
    list.InsertSilence(-100, 50);  // entirely before frame 0
    EXPECT_EQ(list.GetLength(), 1000);
    list.InsertSilence(-100, 300);  // partly: 200 frames at 0
    EXPECT_EQ(ReadList(list), Join({Zeros(200), Steps(0, 999)}));

    list.InsertSilence(700, 5);  // inside a record
    EXPECT_EQ(ReadList(list), Join({Zeros(200), Steps(0, 499), Zeros(5), Steps(500, 999)}));
    list.InsertSilence(200, 1);  // on a record boundary
    EXPECT_EQ(list.GetLength(), 1206);
    EXPECT_EQ(ReadList(list)[200], 0);
    EXPECT_EQ(ReadList(list)[201], 0);
}

TEST_F(CutListTest, InsertPastesAtAnyPosition) {
    LCutListAudio paste = Staircase(10, 1, 5000);
    LCutListAudio list = Staircase(100);
    list.Insert(40, paste);
    EXPECT_EQ(ReadList(list), Join({Steps(0, 39), Steps(5000, 5009), Steps(40, 99)}));

    list = Staircase(100);
    list.Insert(-50, paste);  // pasted first, then the distance as silence, then the audio
    EXPECT_EQ(ReadList(list), Join({Steps(5000, 5009), Zeros(50), Steps(0, 99)}));

    list = Staircase(100);
    list.Insert(130, paste);
    EXPECT_EQ(ReadList(list), Join({Steps(0, 99), Zeros(30), Steps(5000, 5009)}));

    list = Staircase(100);
    list.Insert(50, list);  // a list pasted into itself
    EXPECT_EQ(ReadList(list), Join({Steps(0, 49), Steps(0, 99), Steps(50, 99)}));

    list = Staircase(100);
    list.Replace(10, 90, paste);
    EXPECT_EQ(ReadList(list), Join({Steps(0, 9), Steps(5000, 5009), Steps(90, 99)}));

    list.Silence(0, 5);
    EXPECT_EQ(ReadList(list), Join({Zeros(5), Steps(5, 9), Steps(5000, 5009), Steps(90, 99)}));
}

TEST_F(CutListTest, TrimsAndRepeat) {
    LCutListAudio list = Staircase(1000);
    list.TrimToRange(100, 300);
    EXPECT_EQ(ReadList(list), Steps(100, 299));
    list.TrimStart(50);
    list.TrimEnd(100);
    EXPECT_EQ(ReadList(list), Steps(150, 249));
    list.TrimStart(-5);
    EXPECT_EQ(list.GetLength(), 100);

    list = Staircase(1000);
    list.Repeat(100, 200, 2);
    EXPECT_EQ(list.GetLength(), 1200);
    EXPECT_EQ(ReadList(list), Join({Steps(0, 99), Steps(100, 199), Steps(100, 199), Steps(100, 199),
                                    Steps(200, 999)}));
}

TEST_F(CutListTest, AmplifyScalesGainsInFixedSteps) {
    LCutListAudio list = Staircase(1000);
    list.EfAmplifyAll(200);
    EXPECT_EQ(list.Records().begin()->gain, 33554400);  // 167772 * 200, just under 2.0
    list.Records().begin()->gain = 0x7FFFFFFF;
    list.EfAmplifyAll(200);
    EXPECT_EQ(list.Records().begin()->gain, 0x7FFFFFFF);

    list = Staircase(1000);
    list.EfAmplifyAll(50);
    EXPECT_EQ(list.Records().begin()->gain, 8388600);  // divided first, not 8388608
    std::vector<Sample> halved = ReadList(list);
    for (std::int32_t f : {0, 1, 255, 999}) {
        EXPECT_EQ(halved[static_cast<std::size_t>(f)], SplitMultiply(f * 16, 8388600)) << f;
    }
    EXPECT_EQ(halved[999], 7990);  // 15984 * 0.4999995, less the dropped low-part product

    list = Staircase(1000);
    list.EfAmplify(100, 200, 150);
    std::vector<Sample> louder = ReadList(list);
    EXPECT_EQ(louder[99], 99 * 16);
    EXPECT_EQ(louder[100], SplitMultiply(100 * 16, 25165800));
    EXPECT_EQ(louder[200], 200 * 16);
    list.EfAmplify(300, 200, 150);  // wrong order: nothing
    list.EfAmplify(0, 1000, 100);
    EXPECT_EQ(ReadList(list), louder);
}

TEST_F(CutListTest, ReaderKeepsItsSnapshotAndSeeks) {
    LCutListAudio list = Staircase(1000, 2);
    list.EfDelete(100, 200);
    LSRCCutListAudio reader(list);
    list.EfDelete(0, list.GetLength());  // the reader still holds the cut
    EXPECT_EQ(reader.GetLength(), 900);
    EXPECT_EQ(reader.GetChannels(), 2);

    std::vector<Sample> frames(2 * 4);
    reader.Seek(98);
    reader.Read(frames.data(), 4);  // across the deleted stretch
    EXPECT_EQ(frames, (std::vector<Sample>{98 * 16, 98 * 16 + 1, 99 * 16, 99 * 16 + 1, 200 * 16,
                                           200 * 16 + 1, 201 * 16, 201 * 16 + 1}));
    reader.Seek(-2);
    reader.Read(frames.data(), 4);
    EXPECT_EQ(frames, (std::vector<Sample>{0, 0, 0, 0, 0, 1, 16, 17}));
    EXPECT_EQ(reader.GetPosition(), 2);
    reader.Seek(899);
    reader.Read(frames.data(), 4);
    EXPECT_EQ(frames, (std::vector<Sample>{999 * 16, 999 * 16 + 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(reader.GetPosition(), 903);
}

TEST_F(CutListTest, ReaderDeclaresHowLoudTheListCanBe) {
    LCutListAudio list = Staircase(1000);  // the cut's loudest sample is 999 * 16
    const std::int64_t peak = 999 * 16;
    EXPECT_EQ(LSRCCutListAudio(list).GetMaxSample(), peak + 1);
    // A record's bound is its whole cut's peak through its gain.
    list.EfAmplify(0, 10, 300);
    EXPECT_EQ(LSRCCutListAudio(list).GetMaxSample(), (peak * 50331600 >> 24) + 1);
    list.EfAmplifyAll(200);
    EXPECT_EQ(LSRCCutListAudio(list).GetMaxSample(), (peak * 100663200 >> 24) + 1);
    list.InsertSilence(0, 10);
    EXPECT_EQ(LSRCCutListAudio(list).GetMaxSample(), (peak * 100663200 >> 24) + 1);
    const Sample bound = LSRCCutListAudio(list).GetMaxSample();
    for (Sample s : ReadList(list)) {
        ASSERT_LE(s, bound);
    }
}

TEST_F(CutListTest, MissingCutFilesReadAsSilence) {
    LCutListAudio list = Staircase(100);
    ::unlink(CutTank().GetAudFilePath(list.Records().begin()->cut.Number()).c_str());
    EXPECT_EQ(ReadList(list), Zeros(100));
}

}  // namespace
}  // namespace sonvara
