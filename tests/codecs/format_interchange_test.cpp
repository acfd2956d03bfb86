// Interchange with sox through the files in tests/data/formats (see make.sh and make_ours.sh
// there): we read the AU, AIFF and headerless files sox wrote as sox reads them, and sox reads
// the files we write as we read them. (VOX files are checked in vox_file_test.cpp: sox decodes
// them at another level.)

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "audio/wav/wave_file.h"
#include "codecs/aiff_file.h"
#include "codecs/au_file.h"
#include "codecs/raw_formats.h"
#include "tests/codecs/format_test_util.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FileBytes;
using testing::FormatData;

const std::map<std::string, RawEncoding> kEncodings = {
    {"ulaw", RawEncoding::kUlaw},       {"alaw", RawEncoding::kAlaw},
    {"s16le", RawEncoding::kPcm16LE},   {"s16be", RawEncoding::kPcm16BE},
    {"u8", RawEncoding::kPcm8Unsigned}, {"s8", RawEncoding::kPcm8Signed}};

std::vector<std::string> Split(const std::string& name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = name.find_first_of("_.", start)) != std::string::npos;
         start = end + 1) {
        parts.push_back(name.substr(start, end - start));
    }
    parts.push_back(name.substr(start));
    return parts;
}

// Opens a golden file by its name: <kind>_…_<layout>… with kind au, aiff or raw (raw files
// name their encoding next; "codes" files are mono); headerless files are 8000 Hz.
LSoundSourceRef OpenGolden(const std::string& name) {
    std::vector<std::string> parts = Split(name);
    if (parts[0] == "ours") {
        parts.erase(parts.begin());
    }
    const std::string path = FormatData(name);
    if (parts[0] == "au") {
        return LAuFile::OpenSource(path);
    }
    if (parts[0] == "aiff") {
        return LAifFile::OpenSource(path);
    }
    const int channels = parts[2] == "stereo" ? 2 : 1;
    return OpenRawSource(path, kEncodings.at(parts[1]), 8000, channels);
}

std::string Base(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}

// Our decode of a golden file against sox's, sample for sample.
void ExpectSoxDecode(const std::string& name) {
    SCOPED_TRACE(name);
    LSoundSourceRef source = OpenGolden(name);
    ASSERT_FALSE(source->IsError());
    const std::vector<Sample> sox = testing::PeerSamples(Base(name) + ".sox.s16");
    ASSERT_FALSE(sox.empty());
    EXPECT_EQ(static_cast<std::size_t>(source->GetLength()) * source->GetChannels(), sox.size());
    const std::vector<Sample> ours = testing::ReadWhole(*source);
    int differences = 0;
    for (std::size_t i = 0; i < std::min(ours.size(), sox.size()); ++i) {
        if (ours[i] != sox[i] && ++differences <= 3) {
            ADD_FAILURE() << "sample " << i << ": ours " << ours[i] << ", sox " << sox[i];
        }
    }
    EXPECT_EQ(differences, 0);
}

std::vector<std::string> Goldens(bool ours) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(SONVARA_FORMAT_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if ((extension == ".au" || extension == ".aiff" || extension == ".raw") &&
            name.starts_with("ours_") == ours) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FormatInterchange, SoxMadeFilesReadAsSoxReadsThem) {
    const std::vector<std::string> names = Goldens(false);
    // 5 AU, 4 AIFF, 12 headerless files and the two files of every G.711 code.
    ASSERT_EQ(names.size(), 23u);
    for (const std::string& name : names) {
        ExpectSoxDecode(name);
    }
}

// sox expands the µ-law codes of segment 5 from 4092 (G.711), as we do.
TEST(FormatInterchange, SoxAgreesOnEveryG711Code) {
    const std::vector<Sample> ulaw = testing::PeerSamples("raw_ulaw_codes.sox.s16");
    const std::vector<Sample> alaw = testing::PeerSamples("raw_alaw_codes.sox.s16");
    ASSERT_EQ(ulaw.size(), 256u);
    ASSERT_EQ(alaw.size(), 256u);
    EXPECT_EQ(ulaw[0xAF], 65472);
    EXPECT_EQ(ulaw[0x2F], -65472);
    EXPECT_EQ(alaw[0xD5], 128);
}

TEST(FormatInterchange, FilesWeWriteAreUnchangedAndSoxReadsThemAsWeDo) {
    testing::ScratchFolder scratch;
    const std::vector<std::string> names = Goldens(true);
    ASSERT_EQ(names.size(), 10u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        // Write the input again the way format_encode did; the committed file must be what our
        // writers produce today, or sox's decode of it says nothing about this code.
        const std::vector<std::string> parts = Split(name);
        const std::string layout = parts[parts.size() - 2];
        LSoundSourceRef input = LWaveFile::OpenSource(FormatData("../wav/in_" + layout + ".wav"));
        ASSERT_FALSE(input->IsError());
        const std::string path = scratch.File(name);
        {
            LSoundSinkRef sink;
            const std::int32_t rate = input->GetSampleRate();
            const int channels = input->GetChannels();
            if (parts[1] == "au") {
                sink = LAuFile::OpenSink(path, rate, channels);
            } else if (parts[1] == "aiff") {
                sink = LAifFile::OpenSink(path, rate, channels);
            } else {
                sink = OpenRawSink(path, kEncodings.at(parts[2]), rate, channels);
            }
            testing::CopyAll(*input, *sink);
        }
        EXPECT_EQ(FileBytes(path), FileBytes(FormatData(name)))
            << "the writer changed: run tests/data/formats/make_ours.sh";
        ExpectSoxDecode(name);
    }
}

}  // namespace
}  // namespace sonvara
