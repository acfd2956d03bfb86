#pragma once
// A cut tank of the benchmark's own in a temporary folder, so that reads and writes of cut
// files measure the code and its buffering, with the page cache doing the disk's work.

#include <memory>

#include "bench/bench_folder.h"
#include "document/cut_tank.h"

namespace sonvara {

// Made on first use; at exit the tank goes first (deleting its cut files), then the folder.
class BenchTank {
  public:
    explicit BenchTank(const char* folder_name) : folder_(folder_name) {
        previous_ = UseCutTank(std::make_unique<LAudioCutTank>(folder_.Path()));
    }
    ~BenchTank() { UseCutTank(std::move(previous_)); }
    BenchTank(const BenchTank&) = delete;
    BenchTank& operator=(const BenchTank&) = delete;

  private:
    BenchFolder folder_;
    std::unique_ptr<LAudioCutTank> previous_;
};

}  // namespace sonvara
