// Interchange with sox through the files in tests/data/formats (see make.sh and make_ours.sh
// there): we read the AU, AIFF and headerless files sox wrote as sox reads them, and sox reads
// the files we write as we read them. (VOX: vox_file_test.cpp, as sox decodes at another level.)

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "formats/aiff_file.h"
#include "formats/au_file.h"
#include "formats/raw_formats.h"
#include "tests/formats/format_test_util.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FileBytes;
using testing::FormatData;

const std::map<std::string, RawEncoding> kEncodings = {
    {"ulaw", RawEncoding::kUlaw},       {"alaw", RawEncoding::kAlaw},
    {"s16le", RawEncoding::kPcm16LE},   {"s16be", RawEncoding::kPcm16BE},
    {"u8", RawEncoding::kPcm8Unsigned}, {"s8", RawEncoding::kPcm8Signed}};

// A golden file and the fields of its name: [ours_]<au|aiff>[_<coding>]_<layout>[_sox].<ext>,
// or [ours_]raw_<encoding>_<layout|codes>[_sox].raw; headerless files are 8000 Hz.
struct Golden {
    explicit Golden(const std::string& file) : name(file) {
        std::string rest = file.substr(0, file.rfind('.'));
        ours = rest.starts_with("ours_");
        for (std::size_t at; (at = rest.find('_')) != std::string::npos; rest.erase(0, at + 1)) {
            fields.push_back(rest.substr(0, at));
        }
        fields.push_back(rest);
        fields.erase(fields.begin(), fields.begin() + (ours ? 1 : 0));
    }
    const std::string& Kind() const { return fields[0]; }
    int Channels() const {
        return std::find(fields.begin(), fields.end(), "stereo") != fields.end() ? 2 : 1;
    }

    LSoundSourceRef Open() const {
        const std::string path = FormatData(name);
        if (Kind() == "au") {
            return LAuFile::OpenSource(path);
        }
        return Kind() == "aiff" ? LAifFile::OpenSource(path)
                                : OpenRawSource(path, kEncodings.at(fields[1]), 8000, Channels());
    }

    std::string name;
    bool ours;
    std::vector<std::string> fields;
};

// Our decode of a golden file against sox's, sample for sample.
void ExpectSoxDecode(const Golden& golden) {
    SCOPED_TRACE(golden.name);
    LSoundSourceRef source = golden.Open();
    ASSERT_FALSE(source->IsError());
    const std::vector<Sample> sox =
        testing::PeerSamples(golden.name.substr(0, golden.name.rfind('.')) + ".sox.s16");
    ASSERT_EQ(static_cast<std::size_t>(source->GetLength()) * source->GetChannels(), sox.size());
    const std::vector<Sample> ours = testing::ReadWhole(*source);
    const auto difference = std::mismatch(ours.begin(), ours.end(), sox.begin()).first;
    EXPECT_TRUE(difference == ours.end()) << "sample " << difference - ours.begin();
}

std::vector<Golden> Goldens(bool ours) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(SONVARA_FORMAT_DATA_DIR)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".au" || extension == ".aiff" || extension == ".raw") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<Golden> goldens;
    for (const std::string& name : names) {
        if (Golden(name).ours == ours) {
            goldens.emplace_back(name);
        }
    }
    return goldens;
}

TEST(FormatInterchange, SoxMadeFilesReadAsSoxReadsThem) {
    const std::vector<Golden> goldens = Goldens(false);
    // 5 AU, 4 AIFF, 12 headerless files and the two files of every G.711 code.
    ASSERT_EQ(goldens.size(), 23u);
    for (const Golden& golden : goldens) {
        ExpectSoxDecode(golden);
    }
    // sox expands the µ-law codes of segment 5 from 4092, G.711's level, as we do.
    EXPECT_EQ(testing::PeerSamples("raw_ulaw_codes.sox.s16")[0xAF], 65472);
}

TEST(FormatInterchange, FilesWeWriteAreUnchangedAndSoxReadsThemAsWeDo) {
    testing::ScratchFolder scratch;
    const std::vector<Golden> goldens = Goldens(true);
    ASSERT_EQ(goldens.size(), 10u);
    for (const Golden& golden : goldens) {
        SCOPED_TRACE(golden.name);
        // The committed file must be what our writers produce today, or sox's decode of it says
        // nothing about this code.
        LSoundSourceRef input = LWaveFile::OpenSource(FormatData(
            "../wav/in_" + std::string(golden.Channels() == 2 ? "stereo" : "mono") + ".wav"));
        const std::string path = scratch.File(golden.name);
        const std::int32_t rate = input->GetSampleRate();
        {
            LSoundSinkRef sink =
                golden.Kind() == "au" ? LAuFile::OpenSink(path, rate, golden.Channels())
                : golden.Kind() == "aiff"
                    ? LAifFile::OpenSink(path, rate, golden.Channels())
                    : OpenRawSink(path, kEncodings.at(golden.fields[1]), rate, golden.Channels());
            ASSERT_TRUE(testing::CopyAll(*input, *sink));
        }
        EXPECT_TRUE(FileBytes(path) == FileBytes(FormatData(golden.name)))
            << "the writer changed: run tests/data/formats/make_ours.sh";
        ExpectSoxDecode(golden);
    }
}

}  // namespace
}  // namespace sonvara
