#include "tools/batch_jobs.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

namespace sonvara {
namespace {

volatile std::sig_atomic_t g_stop_signal = 0;

void OnStopSignal(int signal) {
    g_stop_signal = signal;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Catches the stop signals while the jobs run; a signal the caller ignores stays ignored.
class StopSignals {
  public:
    StopSignals() {
        g_stop_signal = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        action.sa_flags = SA_RESETHAND;  // a second one ends this program the usual way
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
            sigaction(kStopSignals[i], nullptr, &previous_[i]);
            if (previous_[i].sa_handler != SIG_IGN) {
                sigaction(kStopSignals[i], &action, nullptr);
            }
        }
    }
    ~StopSignals() {
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
            sigaction(kStopSignals[i], &previous_[i], nullptr);
        }
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    struct sigaction previous_[std::size(kStopSignals)]{};
};

struct Job {
    std::size_t file;  // index into the files
    pid_t pid;
    int stderr_pipe;  // the read end
    int turn_pipe;    // the write end of its standard input; -1 once its turn is given or refused
    std::string lines;
    bool stopped = false;  // sent its one SIGTERM (a second would end it without its cleanup)
};

// Gives a run its turn to put its output in place ("y"), or refuses it (the pipe's end alone).
void EndTurn(Job& job, bool go) {
    if (job.turn_pipe < 0) {
        return;
    }
    if (go) {
        (void)!::write(job.turn_pipe, "y", 1);  // a run that has gone needs no turn
    }
    ::close(job.turn_pipe);
    job.turn_pipe = -1;
}

// Starts one run with its stderr into a pipe and its stdin from another (its turn), in a process
// group of its own so that a Ctrl+C reaches it only through this program (once).
bool Start(const std::string& program, std::vector<std::string> arguments, Job& job) {
    int pipe_ends[2];
    int turn_ends[2];
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) {
        return false;
    }
    if (::pipe2(turn_ends, O_CLOEXEC) != 0) {
        ::close(pipe_ends[0]);
        ::close(pipe_ends[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, turn_ends[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDERR_FILENO);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : kStopSignals) {
        sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&job.pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_ends[1]);
    ::close(turn_ends[0]);
    if (spawned != 0) {
        ::close(pipe_ends[0]);
        ::close(turn_ends[1]);
        return false;
    }
    job.stderr_pipe = pipe_ends[0];
    job.turn_pipe = turn_ends[1];
    return true;
}

// The exit status of a run that ended with `wait_status` (a run killed by a signal failed).
int ExitStatus(int wait_status) {
    return WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 2;
}

const char* Outcome(int status) {
    switch (status) {
        case 0:
            return "hecho";
        case 1:
            return "cancelado";
        default:
            return "falló";
    }
}

}  // namespace

int AvailableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        return std::max(CPU_COUNT(&set), 1);
    }
    return static_cast<int>(std::max(::sysconf(_SC_NPROCESSORS_ONLN), 1L));
}

int RunBatchJobs(const std::string& program, const std::vector<std::string>& options,
                 const std::vector<std::string>& files, int jobs) {
    StopSignals signals;
    std::vector<Job> running;
    std::size_t next = 0;
    std::size_t done = 0;
    // The runs' exit statuses by file; the first file that was not done and its status.
    std::vector<int> statuses(files.size(), -1);
    std::size_t failed_file = files.size();
    int failure = 0;
    // Every run from file `from` on is cancelled: what it wrote goes, its output never replaces
    // anything. The runs before it go on.
    auto stop_from = [&](std::size_t from, int status) {
        if (from < failed_file) {
            failed_file = from;
            failure = status;
        }
        for (Job& job : running) {
            if (job.file >= from && !job.stopped) {
                EndTurn(job, false);
                ::kill(job.pid, SIGTERM);  // the run cancels and removes what it was writing
                job.stopped = true;
            }
        }
    };
    // Outputs replace their targets in the files' order, each once every file before it is done:
    // a failure then leaves what a run of one file at a time leaves.
    std::size_t finished = 0;  // the files done from the first on
    auto give_turns = [&] {
        while (finished < files.size() && statuses[finished] == 0) {
            ++finished;
        }
        for (Job& job : running) {
            if (job.file == finished && failed_file > finished) {
                EndTurn(job, true);
            }
        }
    };
    while (running.size() > 0 || (next < files.size() && failed_file == files.size())) {
        while (failed_file == files.size() && next < files.size() &&
               running.size() < static_cast<std::size_t>(jobs)) {
            Job job{next, 0, -1, -1, {}};
            std::vector<std::string> arguments = options;
            arguments.insert(arguments.end(), {"--jobs", "1", "--wait-turn", files[next]});
            if (!Start(program, std::move(arguments), job)) {
                std::fprintf(stderr, "sonvara-batch: no se puede empezar \"%s\"\n",
                             files[next].c_str());
                stop_from(next, 2);
                break;
            }
            running.push_back(std::move(job));
            ++next;
        }
        if (g_stop_signal != 0 && failed_file != 0) {
            stop_from(0, 1);
        }
        give_turns();
        std::vector<pollfd> pipes;
        for (const Job& job : running) {
            pipes.push_back({job.stderr_pipe, POLLIN, 0});
        }
        if (pipes.empty()) {
            continue;
        }
        if (::poll(pipes.data(), pipes.size(), 200) < 0) {
            continue;  // a signal: looked at above
        }
        for (std::size_t j = running.size(); j-- > 0;) {
            if (pipes[j].revents == 0) {
                continue;
            }
            Job& job = running[j];
            char block[4096];
            const ssize_t got = ::read(job.stderr_pipe, block, sizeof block);
            if (got > 0) {
                job.lines.append(block, static_cast<std::size_t>(got));
                continue;
            }
            if (got < 0 && errno == EINTR) {
                continue;
            }
            // The run closed its stderr: it has ended.
            ::close(job.stderr_pipe);
            int wait_status = 0;
            while (::waitpid(job.pid, &wait_status, 0) < 0 && errno == EINTR) {
            }
            const int status = ExitStatus(wait_status);
            EndTurn(job, false);
            statuses[job.file] = status;
            ++done;
            std::fprintf(stderr, "%ssonvara-batch: [%zu/%zu] \"%s\": %s\n", job.lines.c_str(), done,
                         files.size(), files[job.file].c_str(), Outcome(status));
            const std::size_t file = job.file;
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(j));
            if (status != 0) {
                stop_from(file, status);
            }
        }
    }
    if (next < files.size()) {
        std::fprintf(stderr, "sonvara-batch: %zu archivos sin empezar, como estaban\n",
                     files.size() - next);
    }
    return failure;
}

}  // namespace sonvara
