#include "formats/format_prompts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <tuple>

#include "audio/wav/wave_file_format.h"
#include "core/settings.h"
#include "tests/support/file_contents.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_prompts.h"

namespace sonvara {
namespace {

class FormatPromptsTest : public ::testing::Test {
  protected:
    FormatPromptsTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~FormatPromptsTest() override { UseSettingsStore(previous_store_); }

    static FormatArea Area(std::uint16_t tag, int channels, std::uint32_t rate, int bits,
                           int block_align, std::vector<std::uint8_t> extra = {}) {
        WaveFormat format;
        format.format_tag = tag;
        format.channels = static_cast<std::uint16_t>(channels);
        format.samples_per_sec = rate;
        format.block_align = static_cast<std::uint16_t>(block_align);
        format.bits_per_sample = static_cast<std::uint16_t>(bits);
        format.avg_bytes_per_sec = rate * static_cast<std::uint32_t>(block_align);
        format.extra = std::move(extra);
        return *LWaveFileFormat::ToArea(format);
    }

    testing::ScratchFolder scratch_;
    testing::ScopedEnv home_{"HOME", scratch_.File("home")};
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};
    testing::ScriptedPrompts prompts_;

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

// A format can be chosen for writing only when a codec writes it.
TEST_F(FormatPromptsTest, SupportFollowsWhatTheCodecsCanWrite) {
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(Area(WAVE_FORMAT_MULAW, 2, 8000, 8, 2)));
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(Area(WAVE_FORMAT_PCM, 1, 44100, 24, 3)));
    EXPECT_TRUE(LWaveFileFormat::TestSupportedRecord(
        Area(WAVE_FORMAT_IMA_ADPCM, 1, 11025, 4, 256, {0xF9, 0x01})));
    // Reading only, or no codec at all.
    EXPECT_FALSE(
        LWaveFileFormat::TestSupportedRecord(Area(WAVE_FORMAT_EXTENSIBLE, 1, 8000, 16, 2)));
    EXPECT_FALSE(LWaveFileFormat::TestSupportedRecord(Area(0x1234, 1, 8000, 16, 2)));
    // A block size that does not end on a whole group of samples cannot be written.
    EXPECT_FALSE(LWaveFileFormat::TestSupportedRecord(
        Area(WAVE_FORMAT_IMA_ADPCM, 2, 11025, 4, 250, {0xF9, 0x01})));
}

// For a document, the chooser offers each coding and width once: PCM and floating point at the
// document's rate and channels, every other coding as the codec offers it nearest to them.
TEST_F(FormatPromptsTest, ADocumentsChoicesAreEachCodingOnceNearestItsRate) {
    const std::vector<FormatChoice> every = WaveFormatChoices(0);
    const auto coding = [](const FormatChoice& c) {
        return std::make_tuple(c.name, c.format.format_tag, c.format.bits_per_sample);
    };
    std::set<std::tuple<std::string, std::uint16_t, std::uint16_t>> codings;
    for (const FormatChoice& choice : every) {
        codings.insert(coding(choice));
    }
    for (const std::int32_t rate : {8000, 22050, 32000, 44100, 96000}) {
        for (const int channels : {1, 2}) {
            SCOPED_TRACE(std::to_string(rate) + " Hz, " + std::to_string(channels));
            const std::vector<FormatChoice> choices = WaveFormatChoices(channels, rate);
            std::set<std::tuple<std::string, std::uint16_t, std::uint16_t>> seen;
            for (const FormatChoice& choice : choices) {
                EXPECT_TRUE(seen.insert(coding(choice)).second) << choice.name;
                const WaveFormat& f = choice.format;
                if (f.format_tag == WAVE_FORMAT_PCM || f.format_tag == WAVE_FORMAT_IEEE_FLOAT) {
                    EXPECT_EQ(f.samples_per_sec, static_cast<std::uint32_t>(rate));
                    EXPECT_EQ(f.channels, channels);
                    EXPECT_EQ(f.avg_bytes_per_sec, f.samples_per_sec * f.block_align);
                    EXPECT_EQ(choice.details, DescribeFormat(f));
                    continue;
                }
                // Offered as it stands, and nothing of its coding is nearer.
                const auto distance = [&](const WaveFormat& g) {
                    return std::make_pair(g.channels != channels,
                                          std::abs(std::int64_t{g.samples_per_sec} - rate));
                };
                bool offered = false;
                for (const FormatChoice& other : every) {
                    if (coding(other) == coding(choice)) {
                        offered = offered || other.format == f;
                        EXPECT_FALSE(distance(other.format) < distance(f)) << choice.name;
                    }
                }
                EXPECT_TRUE(offered) << choice.name;
            }
            EXPECT_EQ(seen, codings);
        }
    }
}

TEST_F(FormatPromptsTest, ChooserAsksAgainUntilAUsableFormatOrCancel) {
    const FormatArea unknown = Area(0x1234, 1, 8000, 8, 1);
    const FormatArea alaw = Area(WAVE_FORMAT_ALAW, 1, 8000, 8, 1);
    prompts_.QueueFormatChoice(unknown);
    prompts_.QueueFormatChoice(alaw);
    FormatArea format = Area(WAVE_FORMAT_MULAW, 1, 8000, 8, 1);
    EXPECT_TRUE(ChooseWaveFileFormat(prompts_, format, WaveFormatChoices(1), "Guardar"));
    EXPECT_EQ(format, alaw);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].caption, "Formato no disponible");
    EXPECT_EQ(prompts_.Asked()[0].text,
              "El formato solicitado no está disponible porque el codec necesario no está "
              "instalado en su PC.");
    EXPECT_EQ(prompts_.Asked()[0].icon, PromptIcon::kError);
    ASSERT_EQ(prompts_.FormatRequests().size(), 2u);
    // The second question starts from the refused choice.
    EXPECT_EQ(prompts_.FormatRequests()[1].offered, unknown);
    EXPECT_EQ(prompts_.FormatRequests()[1].choices.size(), WaveFormatChoices(1).size());

    EXPECT_FALSE(ChooseWaveFileFormat(prompts_, format, WaveFormatChoices(0), "Guardar"));
    EXPECT_EQ(format, alaw);
}

TEST_F(FormatPromptsTest, RememberedFormatStartsAtGsmAndKeepsTheChoice) {
    FormatArea gsm = LWaveFileFormat::DefaultFormat();
    WaveFormat format = LWaveFileFormat::FromArea(gsm);
    EXPECT_EQ(format.format_tag, 49);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samples_per_sec, 8000u);
    EXPECT_EQ(format.avg_bytes_per_sec, 1625u);
    EXPECT_EQ(format.block_align, 65);
    EXPECT_EQ(format.bits_per_sample, 0);
    EXPECT_EQ(format.extra, (std::vector<std::uint8_t>{0x40, 0x01}));

    const FormatArea ima = Area(WAVE_FORMAT_IMA_ADPCM, 1, 11025, 4, 256, {0xF9, 0x01});
    prompts_.QueueFormatChoice(ima);
    FormatArea chosen{};
    ASSERT_TRUE(ChooseRememberedWaveFormat(prompts_, chosen));
    EXPECT_EQ(chosen, ima);
    EXPECT_EQ(prompts_.FormatRequests()[0].offered, gsm);
    EXPECT_EQ(prompts_.FormatRequests()[0].title, "Seleccione formato");
    const std::string path = LWaveFileFormat::RememberedFormatPath();
    EXPECT_EQ(path, scratch_.File("data") + "/Vellumtone/Sonvara/Current/WavCodec.wff");
    EXPECT_EQ(testing::FileBytes(path).size(), 1024u);
    EXPECT_EQ(LWaveFileFormat::LoadRememberedFormat(gsm), ima);

    // Cancelling keeps what was remembered; a short file counts as none.
    EXPECT_FALSE(ChooseRememberedWaveFormat(prompts_, chosen));
    EXPECT_EQ(LWaveFileFormat::LoadRememberedFormat(gsm), ima);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";
    EXPECT_EQ(LWaveFileFormat::LoadRememberedFormat(gsm), gsm);
}

// Prompts that cannot answer format questions cancel them, and keep the MP3 settings.
TEST_F(FormatPromptsTest, PromptsWithoutFormatQuestionsCancelThemAndKeepTheMp3Settings) {
    struct OnlyMessages : Prompts {
        PromptAnswer Ask(const PromptMessage&) override { return PromptAnswer::kOk; }
    } only_messages;
    EXPECT_EQ(FormatQuestionsOf(only_messages), nullptr);
    FormatArea format = LWaveFileFormat::DefaultFormat();
    EXPECT_FALSE(ChooseWaveFileFormat(only_messages, format, WaveFormatChoices(0), "Guardar"));
    RawFileFormat raw;
    EXPECT_FALSE(AskRawFileFormat(only_messages, raw));
    Mp3EncoderSettings settings;
    settings.cbr_bit_rate = 192;
    EXPECT_TRUE(AskMp3EncoderSettings(only_messages, settings));
    EXPECT_EQ(settings.cbr_bit_rate, 192);
}

}  // namespace
}  // namespace sonvara
