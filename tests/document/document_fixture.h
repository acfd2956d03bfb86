#pragma once
// A cut tank of its own in a scratch folder for each test, installed as the process's tank, and
// helpers to make cuts whose every sample tells where it came from.

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "document/cut_list_audio.h"
#include "document/cut_list_reader.h"
#include "document/cut_tank.h"
#include "document/cut_writer.h"
#include "tests/support/scratch_folder.h"

namespace sonvara::testing {

class DocumentTest : public ::testing::Test {
  protected:
    DocumentTest() {
        previous_ = UseCutTank(std::make_unique<LAudioCutTank>(scratch_.File("work")));
    }
    ~DocumentTest() override { UseCutTank(std::move(previous_)); }

    // A list of one cut of `frames` frames whose sample at frame f, channel c is
    // (first + f) * 16 + c: a staircase that shows where every sample came from.
    static LCutListAudio Staircase(std::int32_t frames, int channels = 1, Sample first = 0) {
        LCutListAudio list;
        {
            LSoundSinkRef writer(new LSNKCutListAudio(list, 8000, channels));
            std::vector<Sample> samples;
            for (std::int32_t f = 0; f < frames; ++f) {
                for (int c = 0; c < channels; ++c) {
                    samples.push_back((first + f) * 16 + c);
                }
            }
            writer->Write(samples.data(), frames);
            EXPECT_TRUE(writer->Finish());
        }
        return list;
    }

    // A list of one cut holding `samples` (interleaved) at `rate`.
    static LCutListAudio FromSamples(const std::vector<Sample>& samples, int channels,
                                     std::int32_t rate = 8000) {
        LCutListAudio list;
        {
            LSoundSinkRef writer(new LSNKCutListAudio(list, rate, channels));
            writer->Write(samples.data(), static_cast<std::int32_t>(
                                              samples.size() / static_cast<std::size_t>(channels)));
            EXPECT_TRUE(writer->Finish());
        }
        return list;
    }

    static std::vector<Sample> ReadList(const LCutListAudio& list) {
        LSRCCutListAudio reader(list);
        std::vector<Sample> samples(static_cast<std::size_t>(list.GetLength()) *
                                    static_cast<std::size_t>(list.GetChannels()));
        reader.Read(samples.data(), list.GetLength());
        return samples;
    }

    static bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

    ScratchFolder scratch_;

  private:
    std::unique_ptr<LAudioCutTank> previous_;
};

}  // namespace sonvara::testing
