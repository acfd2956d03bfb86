#include "core/thread.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "core/message_loop.h"
#include "core/queued_notify.h"
#include "tests/support/captured_diagnostics.h"

namespace sonvara {
namespace {

using std::chrono::milliseconds;

// A worker that counts its runs and works until it is told to stop.
class CountingWorker : public LThread {
  public:
    ~CountingWorker() override { StopThreadTimed(milliseconds(5000)); }
    std::atomic<int> runs{0};
    LSignalObject started;

  protected:
    void ThreadFunction() override {
        ++runs;
        started.Signal();
        while (!IsToStop()) {
            StopEvent().WaitFor(milliseconds(50));
        }
    }
};

TEST(LThread, StartOnARunningThreadDoesNotStartASecond) {
    testing::CapturedDiagnostics diagnostics;
    CountingWorker worker;
    ASSERT_TRUE(worker.Start(ThreadPriority::kLowest));
    ASSERT_TRUE(worker.started.WaitFor(milliseconds(5000)));
    EXPECT_FALSE(worker.Start());
    EXPECT_TRUE(diagnostics.Contains("LThread::Start Thread is already running!"));
    EXPECT_TRUE(worker.IsRunning());

    worker.StopThreadTimed(milliseconds(5000));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.runs, 1);

    // A stopped thread object starts again, with its stop event reset.
    worker.started.Reset();
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.started.WaitFor(milliseconds(5000)));
    EXPECT_FALSE(worker.IsToStop());
    worker.StopThreadTimed(milliseconds(5000));
    EXPECT_EQ(worker.runs, 2);
}

// Ignores its stop event for a while: the stopper must not return before it ends.
class SlowToStopWorker : public LThread {
  public:
    ~SlowToStopWorker() override { StopThreadTimed(milliseconds(5000)); }
    std::atomic<bool> finished{false};
    LSignalObject release;

  protected:
    void ThreadFunction() override {
        release.WaitFor(milliseconds(10000));
        finished = true;
    }
};

TEST(LThread, StopPastItsTimeOutReportsAndStillWaitsForTheWorker) {
    testing::CapturedDiagnostics diagnostics;
    SlowToStopWorker worker;
    ASSERT_TRUE(worker.Start());
    std::thread releaser([&] {
        std::this_thread::sleep_for(milliseconds(150));
        worker.release.Signal();
    });
    worker.StopThreadTimed(milliseconds(20));
    EXPECT_TRUE(worker.finished) << "StopThreadTimed returned while the worker still ran";
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(diagnostics.Contains(
        "LThread::StopThreadTimed Thread did not end within 20 ms; waiting for it"));
    releaser.join();
}

// Lowers its own priority as its first act, as a feeder does after a seek.
class SelfLoweringWorker : public LThread {
  public:
    ~SelfLoweringWorker() override { StopThreadTimed(milliseconds(5000)); }
    std::atomic<int> nice{-100};

  protected:
    void ThreadFunction() override {
        SetPriority(ThreadPriority::kLowest);
        errno = 0;
        const int value = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        nice = errno == 0 ? value : -100;
    }
};

TEST(LThread, AWorkerSetsItsOwnPriorityFromItsFirstInstruction) {
    // Several times: the worker may run before Start has returned.
    for (int i = 0; i < 20; ++i) {
        SelfLoweringWorker worker;
        ASSERT_TRUE(worker.Start(ThreadPriority::kNormal));
        // A stop would hand the worker this thread's priority: let it read its own first.
        while (worker.IsRunning()) {
            std::this_thread::sleep_for(milliseconds(1));
        }
        worker.StopThreadTimed(milliseconds(5000));
        EXPECT_EQ(worker.nice, 10) << i;
    }
}

TEST(LSignalObject, StaysSignalledUntilResetAndWakesDualWaits) {
    LSignalObject event;
    EXPECT_FALSE(event.WaitFor(milliseconds(0)));
    event.Signal();
    EXPECT_TRUE(event.WaitFor(milliseconds(0)));
    EXPECT_TRUE(event.IsSignalled()) << "manual reset: a wait must not consume the signal";
    event.Reset();
    EXPECT_FALSE(event.IsSignalled());

    // A waiter on another thread wakes when the event is signalled.
    std::atomic<bool> woke{false};
    std::thread waiter([&] { woke = event.WaitFor(milliseconds(10000)); });
    std::this_thread::sleep_for(milliseconds(20));
    event.Signal();
    waiter.join();
    EXPECT_TRUE(woke);

    // WaitSignalDual wakes on the thread's stop event as well.
    CountingWorker worker;
    LSignalObject work;
    EXPECT_FALSE(work.WaitSignalDual(worker, milliseconds(10)));
    ASSERT_TRUE(worker.Start());
    std::thread stopper([&] { worker.StopThreadTimed(milliseconds(5000)); });
    EXPECT_TRUE(work.WaitSignalDual(worker, milliseconds(10000)));
    stopper.join();
}

// Records on which thread its handler ran.
class RecordingNotify : public LThreadQueuedNotify {
  public:
    using LThreadQueuedNotify::LThreadQueuedNotify;
    int calls = 0;
    std::thread::id ran_on;

  protected:
    void OnNotify() override {
        ++calls;
        ran_on = std::this_thread::get_id();
    }
};

TEST(LThreadQueuedNotify, RunsOnTheLoopThreadMergesPendingCallsAndDropsThemWhenDestroyed) {
    QueueMessageLoop loop;
    {
        RecordingNotify notify(loop);
        std::thread worker([&] {
            for (int i = 0; i < 100; ++i) {
                notify.Notify();
            }
        });
        worker.join();
        EXPECT_EQ(loop.PendingCount(), 1u);
        loop.PumpPending();
        EXPECT_EQ(notify.calls, 1);
        EXPECT_EQ(notify.ran_on, std::this_thread::get_id());

        notify.Notify();  // pending again after the handler ran
        EXPECT_TRUE(loop.WaitAndPump(milliseconds(1000)));
        EXPECT_EQ(notify.calls, 2);

        notify.Notify();
    }
    // The object is gone; its pending notification must not reach freed memory.
    loop.PumpPending();
    EXPECT_EQ(loop.PendingCount(), 0u);
}

}  // namespace
}  // namespace sonvara
