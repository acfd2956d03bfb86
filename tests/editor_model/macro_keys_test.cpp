// The key macros' file and names without a toolkit: what "keys.dat" reads back after it was
// written or cut short anywhere, the files of another version, the bytes written and a write that
// fails, and the order of the modifiers in a key's name.

#include "editor_model/macro_keys.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<LSVMacroKeys> RandomMacros(std::mt19937& random) {
    std::vector<LSVMacroKeys> macros(random() % 5);
    for (LSVMacroKeys& macro : macros) {
        macro.key = random();
        macro.commands.resize(random() % 2 == 0 ? random() % 4 : kMacroCommandsMax);
        for (std::uint32_t& id : macro.commands) {
            id = random();
        }
    }
    return macros;
}

TEST(KeysFileTest, WrittenMacrosReadBackAndACutFileKeepsWhatCameBeforeTheCut) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        const std::vector<LSVMacroKeys> macros = RandomMacros(random);
        const std::vector<std::uint8_t> bytes = EncodeKeysFile(macros);
        const KeysFileContent whole = ParseKeysFile(bytes);
        ASSERT_TRUE(whole.version_ok);
        ASSERT_EQ(whole.macros, macros);

        // Cut after `size` bytes: the macros whose key value lies whole inside are there, the
        // earlier ones intact and the last with the commands that lie whole inside.
        for (std::size_t size = 1; size < bytes.size(); ++size) {
            const KeysFileContent cut = ParseKeysFile(std::span(bytes.data(), size));
            ASSERT_TRUE(cut.version_ok);
            std::size_t record = 1;
            std::size_t expected = 0;
            while (expected < macros.size() && record + 4 <= size) {
                record += 5 + 4 * macros[expected].commands.size();
                ++expected;
            }
            ASSERT_EQ(cut.macros.size(), expected) << size;
            for (std::size_t i = 0; i < expected; ++i) {
                const std::vector<std::uint32_t>& full = macros[i].commands;
                const std::vector<std::uint32_t>& read = cut.macros[i].commands;
                EXPECT_EQ(cut.macros[i].key, macros[i].key);
                ASSERT_LE(read.size(), full.size());
                EXPECT_TRUE(std::equal(read.begin(), read.end(), full.begin()));
                if (i + 1 < expected) {
                    EXPECT_EQ(read.size(), full.size());
                }
            }
        }
    }
    // A macro never holds more commands than its count byte can say.
    LSVMacroKeys long_macro{0x20054, std::vector<std::uint32_t>(300, 4001)};
    EXPECT_EQ(ParseKeysFile(EncodeKeysFile({&long_macro, 1})).macros[0].commands.size(),
              kMacroCommandsMax);
}

TEST(KeysFileTest, OneZeroByteIsAnEmptyListAndOtherVersionsAreRefused) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("keys.dat");
    EXPECT_EQ(ReadKeysFile(path).state, KeysFileState::kMissing);

    PutBytes(path, {0});
    KeysFileRead read = ReadKeysFile(path);
    EXPECT_EQ(read.state, KeysFileState::kRead);
    EXPECT_TRUE(read.macros.empty());

    for (const std::vector<std::uint8_t>& other :
         {std::vector<std::uint8_t>{}, {1}, {1, 0x54, 0, 2, 0, 1, 0xA1, 0x0F, 0, 0}}) {
        PutBytes(path, other);
        read = ReadKeysFile(path);
        EXPECT_EQ(read.state, KeysFileState::kWrongVersion);
        EXPECT_TRUE(read.macros.empty());
    }
}

TEST(KeysFileTest, TheWrittenBytesAreTheRecordsAndAFailedWriteSaysSo) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("keys.dat");
    const LSVMacroKeys first{0x20054, {4001, 4002}};
    ASSERT_TRUE(WriteKeysFile(path, {&first, 1}));
    EXPECT_EQ(FileBytes(path),
              (std::vector<std::uint8_t>{0, 0x54, 0, 2, 0, 2, 0xA1, 0x0F, 0, 0, 0xA2, 0x0F, 0, 0}));
    // The page keeps itself open on false: here the folder is a file.
    EXPECT_FALSE(WriteKeysFile(path + "/keys.dat", {&first, 1}));
    EXPECT_EQ(ReadKeysFile(path).macros, std::vector<LSVMacroKeys>{first});
}

TEST(KeyNameTest, ModifiersComeAsCtrlAltShiftAndTheTextKeepsToItsField) {
    EXPECT_EQ(KeyNameText(0x74 | kShiftBit | kCtrlBit, "F5"), "Ctrl+Shift+F5");
    EXPECT_EQ(KeyNameText('A' | kAltBit | kCtrlBit, "A"), "Ctrl+Alt+A");
    EXPECT_EQ(KeyNameText('A' | kShiftBit | kAltBit | kCtrlBit, "A"), "Ctrl+Alt+Shift+A");
    EXPECT_EQ(KeyNameText(0x24, "Inicio"), "Inicio");
    // 259 bytes at most, never half of a character: "ñ" is two bytes.
    std::string long_name;
    for (int i = 0; i < 200; ++i) {
        long_name += "ñ";
    }
    const std::string text = KeyNameText('N' | kCtrlBit, long_name);
    EXPECT_EQ(text.size(), 259u);  // "Ctrl+" is 5 bytes, then 127 whole "ñ"
    EXPECT_EQ(text.substr(text.size() - 2), "ñ");
}

}  // namespace
}  // namespace sonvara
