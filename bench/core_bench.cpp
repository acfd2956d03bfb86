// The runtime costs a process pays per block of work: the cancel check with its message pump,
// and handing a worker's notification to the interface thread.

#include <benchmark/benchmark.h>

#include "bench/bench_host.h"
#include "core/message_loop.h"
#include "core/queued_notify.h"

namespace sonvara {
namespace {

// Runs the benchmark loop inside a process body, calling CheckCancel once per "block".
class CancelCheckProcess : public LProgressDialog {
  public:
    explicit CancelCheckProcess(benchmark::State& state)
        : LProgressDialog("bench"), state_(state) {}

  protected:
    ProcessResult Body() override {
        for (auto _ : state_) {
            benchmark::DoNotOptimize(CheckCancel());
        }
        return PROCESS_DONE;
    }

  private:
    benchmark::State& state_;
};

void BM_CheckCancelPerBlock(benchmark::State& state) {
    CancelCheckProcess process(state);
    RunBenchProcess(process);
}
BENCHMARK(BM_CheckCancelPerBlock);

class CountingNotify : public LThreadQueuedNotify {
  public:
    using LThreadQueuedNotify::LThreadQueuedNotify;
    long count = 0;

  protected:
    void OnNotify() override { ++count; }
};

void BM_NotifyAndPump(benchmark::State& state) {
    QueueMessageLoop loop;
    CountingNotify notify(loop);
    for (auto _ : state) {
        notify.Notify();
        loop.PumpPending();
    }
    benchmark::DoNotOptimize(notify.count);
}
BENCHMARK(BM_NotifyAndPump);

}  // namespace
}  // namespace sonvara
