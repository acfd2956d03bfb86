// LCDROMRipper on simulated drives: the commands it sends, the WAV file it writes, and what a
// failed or cancelled copy leaves behind.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cd/cdrom_ripper.h"
#include "tests/cd/test_discs.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::FileBytes;
using testing::MakeDisc;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadCd(std::int32_t block, std::uint8_t count) {
    const auto b = static_cast<std::uint32_t>(block);
    return {0xBE,
            0,
            std::uint8_t(b >> 24),
            std::uint8_t(b >> 16),
            std::uint8_t(b >> 8),
            std::uint8_t(b),
            0,
            0,
            count,
            0xF0,
            0,
            0};
}

class CdRipperTest : public ::testing::Test {
  protected:
    ProcessResult Rip(ImageDriveList& drives, int drive, int track, const std::string& path,
                      ProgressView* view = nullptr) {
        LCDROMRipper ripper("Importar la(s) pista(s) de CD", drives, drive, track, path);
        return testing::RunProcess(ripper, view, &prompts_);
    }

    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    testing::ScratchFolder scratch_;
    testing::ScriptedPrompts prompts_;
};

TEST_F(CdRipperTest, CopiesEachTrackAsItsSectorsCome) {
    // An audio track of 50 sectors, a data track of 24 (not copied: it would play as noise) and a
    // last audio track of 25, which ends at the lead-out: its second read asks for the one sector
    // left.
    const mode_t mask = ::umask(022);
    const DiscImage disc = MakeDisc({50, 24, 25}, {false, true, false});
    ImageDriveList drives({disc});
    const Bytes read_toc = {0x43, 0, 0, 0, 0, 0, 0x01, 0x08, 0x00, 0};
    const std::vector<std::vector<Bytes>> reads = {
        {ReadCd(0, 24), ReadCd(24, 24), ReadCd(48, 2)},
        {},
        {ReadCd(74, 24), ReadCd(98, 1)},
    };
    for (int track = 0; track < 3; ++track) {
        SCOPED_TRACE(track);
        const std::string path = scratch_.File("Pista " + std::to_string(track + 1) + ".wav");
        const std::size_t sent = drives.Commands().size();
        ASSERT_EQ(Rip(drives, 0, track, path), track == 1 ? PROCESS_FAILED : PROCESS_DONE);

        std::vector<Bytes> expected = {read_toc};
        expected.insert(expected.end(), reads[track].begin(), reads[track].end());
        EXPECT_EQ(std::vector<Bytes>(drives.Commands().begin() + static_cast<std::ptrdiff_t>(sent),
                                     drives.Commands().end()),
                  expected);
        if (track == 1) {
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }

        const Bytes file = FileBytes(path);
        const std::size_t first = static_cast<std::size_t>(disc.tracks[track].start);
        const std::size_t blocks = track == 0 ? 50 : 25;
        ASSERT_EQ(file.size(), 46 + blocks * kCdSectorBytes);
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0644));
        EXPECT_TRUE(std::equal(file.begin() + 46, file.end(),
                               disc.sectors.begin() + static_cast<std::ptrdiff_t>(first * 2352)));
    }
    // The header of the 25-sector track: 58800 data bytes.
    const Bytes header = {'R',  'I',  'F', 'F', 0xD6, 0xE5, 0x00, 0x00, 'W',  'A', 'V', 'E',
                          'f',  'm',  't', ' ', 18,   0,    0,    0,    1,    0,   2,   0,
                          0x44, 0xAC, 0,   0,   0x10, 0xB1, 0x02, 0,    4,    0,   16,  0,
                          0,    0,    'd', 'a', 't',  'a',  0xB0, 0xE5, 0x00, 0x00};
    const Bytes file = FileBytes(scratch_.File("Pista 3.wav"));
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 46), header);
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "No se copia la pista 2 del CD: es una pista de datos, no de sonido.");
    ::umask(mask);
}

TEST_F(CdRipperTest, AFailedOrCancelledCopyLeavesNoFileAndKeepsAnOldOne) {
    DiscImage disc = MakeDisc({60, 10});
    disc.failing_block = 30;  // in the second read
    ImageDriveList drives({disc});
    const std::string kept = scratch_.File("Pista 1.wav");
    std::ofstream(kept, std::ios::binary) << "an earlier import";
    const Bytes before = FileBytes(kept);

    // The user is told which track failed, and why.
    EXPECT_EQ(Rip(drives, 0, 0, kept), PROCESS_FAILED);
    EXPECT_EQ(drives.Commands().back(), ReadCd(24, 24));
    ASSERT_EQ(prompts_.Asked().size(), 1u);
    EXPECT_EQ(prompts_.Asked()[0].text,
              "No se pudo copiar la pista 1 del CD: la unidad no pudo leer el sector 24 (a los "
              "0:00 de la pista). Limpie el disco e inténtelo de nuevo.");
    EXPECT_EQ(FileBytes(kept), before);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"Pista 1.wav"});

    // Cancelled before the TOC, and before the second read (the one that would fail).
    for (int polls : {0, 2}) {
        testing::CancelAfter cancel(polls);
        EXPECT_EQ(Rip(drives, 0, 0, kept, &cancel), PROCESS_STOPPED);
        EXPECT_EQ(FileBytes(kept), before);
        EXPECT_EQ(FolderNames(), std::vector<std::string>{"Pista 1.wav"});
    }

    // No such track or drive, a drive without a disc: nothing is written.
    ImageDriveList empty({DiscImage{}});
    EXPECT_EQ(Rip(drives, 0, 2, scratch_.File("Pista 3.wav")), PROCESS_FAILED);
    EXPECT_EQ(Rip(drives, 1, 0, scratch_.File("Pista 3.wav")), PROCESS_FAILED);
    EXPECT_EQ(Rip(empty, 0, 0, scratch_.File("Pista 3.wav")), PROCESS_FAILED);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"Pista 1.wav"});
    ASSERT_EQ(prompts_.Asked().size(), 4u);
    EXPECT_EQ(prompts_.Asked()[1].text,
              "No se pudo copiar la pista 3 del CD: el disco no tiene esa pista.");
    EXPECT_EQ(prompts_.Asked()[2].text,
              "No se pudo copiar la pista 1 del CD: la unidad no se puede abrir.");
    EXPECT_EQ(prompts_.Asked()[3].text,
              "No se pudo copiar la pista 1 del CD: no se puede leer el índice del disco.");

    // A folder that cannot take the file says so.
    EXPECT_EQ(Rip(drives, 0, 1, scratch_.File("missing/Pista 2.wav")), PROCESS_FAILED);
    ASSERT_EQ(prompts_.Asked().size(), 5u);
    EXPECT_EQ(prompts_.Asked()[4].text,
              "Unable to create wav file " + scratch_.File("missing/Pista 2.wav"));
}

// A drive that takes its time over each command.
class SlowDrives : public CdDriveList {
  public:
    explicit SlowDrives(CdDriveList& drives) : drives_(drives) {}
    int Count() override { return drives_.Count(); }
    std::unique_ptr<ScsiDevice> Open(int index) override {
        class Slow : public ScsiDevice {
          public:
            explicit Slow(std::unique_ptr<ScsiDevice> device) : device_(std::move(device)) {}
            std::optional<std::size_t> Execute(std::span<const std::uint8_t> cdb,
                                               std::span<std::uint8_t> data,
                                               std::chrono::milliseconds timeout) override {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                return device_->Execute(cdb, data, timeout);
            }

          private:
            std::unique_ptr<ScsiDevice> device_;
        };
        std::unique_ptr<ScsiDevice> device = drives_.Open(index);
        return device ? std::make_unique<Slow>(std::move(device)) : nullptr;
    }

  private:
    CdDriveList& drives_;
};

// While the drive works on a command the copy goes on answering the interface (it polls for a
// cancel several times), and a cancel then ends the copy once the drive has answered.
TEST_F(CdRipperTest, ACopyAnswersWhileTheDriveWorksAndACancelThenEndsIt) {
    ImageDriveList images({MakeDisc({60})});
    SlowDrives drives(images);
    struct CountingView : SilentProgressView {
        bool CancelRequested() override { return ++polls > 8; }
        int polls = 0;
    } view;
    LCDROMRipper ripper("Importar", drives, 0, 0, scratch_.File("Pista 1.wav"));
    EXPECT_EQ(testing::RunProcess(ripper, &view, &prompts_), PROCESS_STOPPED);
    EXPECT_GE(view.polls, 9);
    // The cancel came during the table of contents' 300 ms or the first read's: no read after it.
    EXPECT_LE(images.Commands().size(), 2u);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{});
}

TEST_F(CdRipperTest, AWriteThatFailsHalfWayLeavesNoFile) {
    ImageDriveList drives({MakeDisc({60})});
    // A file size limit stands in for a full disk, in a child process so that it stays there.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool failed = Rip(drives, 0, 0, scratch_.File("Pista 1.wav")) == PROCESS_FAILED &&
                            prompts_.Asked().size() == 1;
        ::_exit(failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(FolderNames().empty());
}

}  // namespace
}  // namespace sonvara
