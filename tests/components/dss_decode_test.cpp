#include "components/decode_processes.h"

#include <filesystem>
#include <fstream>

#include "core/byte_order.h"
#include "platform/codec/riff_header.h"
#include "tests/components/decoder_fixture.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/file_contents.h"

namespace sonvara {
namespace {

class DssDecodeTest : public testing::DecoderTest {
  protected:
    DssDecodeTest() { UseLibrary(SONVARA_DSS_STAND_IN); }

    static void UseLibrary(const std::string& path) {
        WriteString("Components/dsskx", "Path", path);
    }

    // A file the stand-in library decodes into `blocks` blocks of a file of `quality`.
    std::string StandInFile(const std::string& name, int quality, int blocks,
                            const std::string& extra = "") {
        const std::string path = scratch_.File(name);
        std::ofstream(path) << "STAND-IN " << quality << " " << blocks << " " << extra << "\n";
        return path;
    }

    // The samples the stand-in puts in `blocks` blocks of `block_samples`, as the editor holds
    // them (16-bit values times 16).
    static std::vector<Sample> StandInSamples(int blocks, int block_samples) {
        std::vector<Sample> samples;
        for (int b = 0; b < blocks; ++b) {
            for (int i = 0; i < block_samples; ++i) {
                samples.push_back((b * 1000 + i) * 16);
            }
        }
        return samples;
    }
};

TEST_F(DssDecodeTest, BlocksBecomeAMonoWaveAtTheRateOfTheQuality) {
    struct Case {
        std::string name;
        int quality;
        int blocks;
        int rate;
        int block_samples;
    };
    for (const Case& c :
         {Case{"dictation 'one'.dss", 0, 3, 11025, 264},
          Case{"dictation \"two\".DSS", 2, 2, 8000, 240}, Case{"three.dss", 5, 1, 11025, 264}}) {
        LCutListAudio document;
        ASSERT_EQ(Load(StandInFile(c.name, c.quality, c.blocks), document), PROCESS_DONE) << c.name;
        EXPECT_EQ(document.GetSampleRate(), c.rate) << c.name;
        EXPECT_EQ(document.GetChannels(), 1);
        EXPECT_EQ(ReadList(document), StandInSamples(c.blocks, c.block_samples)) << c.name;
        EXPECT_TRUE(Errors().empty());
        EXPECT_TRUE(DataFolderFiles().empty());
    }

    // The header as written: 46 bytes, an 18-byte format, sizes patched at the end.
    const std::string wave = scratch_.File("out.wav");
    LDSSDecode decode(StandInFile("four.dss", 2, 3), wave);
    ASSERT_EQ(testing::RunProcess(decode, nullptr, &prompts_), PROCESS_DONE);
    const std::vector<std::uint8_t> bytes = testing::FileBytes(wave);
    ASSERT_EQ(bytes.size(), 46u + 3u * 480u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 46),
              PcmRiffHeader(1, 8000, 16, 3 * 480));
    auto u32 = [&bytes](std::size_t at) { return LoadLE32(&bytes[at]); };
    EXPECT_EQ(u32(4), 3u * 480u + 38u);  // RIFF size
    EXPECT_EQ(u32(16), 18u);             // format size
    EXPECT_EQ(u32(24), 8000u);
    EXPECT_EQ(u32(28), 16000u);  // bytes per second
    EXPECT_EQ(bytes[32], 2);     // block align
    EXPECT_EQ(u32(42), 3u * 480u);
}

TEST_F(DssDecodeTest, DecoderFailuresAreShownWithTheirMessages) {
    const std::string not_stand_in = scratch_.File("other.dss");
    std::ofstream(not_stand_in) << "something else\n";
    struct Case {
        std::string path;
        std::string message;
    };
    for (const Case& c :
         {Case{not_stand_in,
               "Unable to open DSS file.\nThis means the file might not be a true DSS file or the "
               "file is corrupt."},
          Case{StandInFile("stuck.dss", 0, 4, "no-start"), "Unable to start decoding DSS file."}}) {
        prompts_ = testing::ScriptedPrompts();
        LCutListAudio document = Staircase(100);
        EXPECT_EQ(Load(c.path, document), PROCESS_FAILED);
        EXPECT_EQ(document.GetLength(), 100);
        EXPECT_EQ(Errors(), std::vector<std::string>{c.message});
        EXPECT_TRUE(DataFolderFiles().empty());
    }

    // A library without one of the entry points fails the load without a message.
    prompts_ = testing::ScriptedPrompts();
    UseLibrary(SONVARA_DSS_STAND_IN_WITHOUT_START);
    LCutListAudio document = Staircase(100);
    EXPECT_EQ(Load(StandInFile("five.dss", 0, 2), document), PROCESS_FAILED);
    EXPECT_TRUE(Errors().empty());

    // No library at all.
    UseLibrary(scratch_.File("nowhere/libsonvara-dsskx.so"));
    EXPECT_EQ(Load(StandInFile("six.dss", 0, 2), document), PROCESS_FAILED);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_TRUE(StartsWith(Errors()[0],
                           "The dss decoder component has not yet been installed on "
                           "the computer."));
    EXPECT_NE(Errors()[0].find("\"dsskx\""), std::string::npos);
    EXPECT_EQ(document.GetLength(), 100);
}

TEST_F(DssDecodeTest, CancelStopsTheDecode) {
    LCutListAudio document = Staircase(100);
    testing::CancelAfter cancel(10);
    EXPECT_EQ(Load(StandInFile("long.dss", 0, 100000), document, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(document.GetLength(), 100);
    EXPECT_TRUE(DataFolderFiles().empty());
}

// A DSS file of version 2 with the coding byte `coding` (0 DSS SP, 2 G.723.1): a 1024-byte header
// with an author and start and end times, then four 512-byte blocks of arbitrary frames.
std::string MakeDssFile(const std::string& path, std::uint8_t coding) {
    std::string bytes(1024 + 4 * 512, '\0');
    bytes.replace(0, 4,
                  std::string("\x02"
                              "dss"));
    bytes.replace(0x0c, 6, "author");
    bytes.replace(0x26, 12, "060101120000");
    bytes.replace(0x32, 12, "060101120005");
    bytes[0x2a4] = static_cast<char>(coding);
    for (std::size_t block = 0; block < 4; ++block) {
        const std::size_t start = 1024 + block * 512;
        bytes[start + 2] = '\xff';
        for (std::size_t i = 6; i < 512; ++i) {
            bytes[start + i] = static_cast<char>((i * 37 + block * 11) & 0xFF);
        }
    }
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST_F(DssDecodeTest, TheFfmpegLibraryGivesFfmpegsSamplesForBothCodings) {
    UseLibrary(SONVARA_DSSKX);
    struct Case {
        std::uint8_t coding;
        int rate;
    };
    for (const Case& c : {Case{0, 11025}, Case{2, 8000}}) {
        const std::string dss = MakeDssFile(scratch_.File("memo's \"take\".dss"), c.coding);
        const std::string raw = scratch_.File("ffmpeg.s16");
        ASSERT_TRUE(Ffmpeg({"-i", dss, "-f", "s16le", raw}));
        const std::vector<std::uint8_t> bytes = testing::FileBytes(raw);
        std::vector<Sample> expected;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            expected.push_back(static_cast<std::int16_t>(LoadLE16(&bytes[i])) * 16);
        }
        ASSERT_FALSE(expected.empty());

        LCutListAudio document;
        ASSERT_EQ(Load(dss, document), PROCESS_DONE) << int{c.coding};
        EXPECT_EQ(document.GetSampleRate(), c.rate);
        EXPECT_EQ(document.GetChannels(), 1);
        EXPECT_EQ(ReadList(document), expected) << int{c.coding};
        EXPECT_TRUE(Errors().empty());
    }
}

TEST_F(DssDecodeTest, TheFfmpegLibraryRefusesFilesThatAreNotDss) {
    UseLibrary(SONVARA_DSSKX);
    const std::string text = scratch_.File("memo.dss");
    std::ofstream(text) << "STAND-IN 0 3\n";
    const std::string wma = scratch_.File("memo 2.dss");
    std::filesystem::copy_file(Tone("memo.wma", 8000, 1, 0.5, "wmav2"), wma);
    for (const std::string& path : {text, wma}) {
        prompts_ = testing::ScriptedPrompts();
        LCutListAudio document = Staircase(100);
        EXPECT_EQ(Load(path, document), PROCESS_FAILED) << path;
        EXPECT_EQ(Errors(), std::vector<std::string>{
                                "Unable to open DSS file.\nThis means the file might not be a "
                                "true DSS file or the file is corrupt."});
        EXPECT_EQ(document.GetLength(), 100);
    }
}

}  // namespace
}  // namespace sonvara
