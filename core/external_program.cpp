#include "core/external_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace sonvara {
namespace {

int OpenProcessDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
    long fd = syscall(SYS_pidfd_open, pid, 0);
    return fd < 0 ? -1 : static_cast<int>(fd);
#else
    (void)pid;
    return -1;
#endif
}

// Owns the spawn attribute and file-action objects for the span of one spawn.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Spawn(const std::string& program,
                                                  const std::vector<std::string>& arguments,
                                                  bool keep_output, std::string* error) {
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!keep_output) {
        posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    // Own process group; default handling and an empty mask for the signals we may have changed.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigset_t empty;
    sigemptyset(&empty);
    posix_spawnattr_setsigdefault(&setup.attributes, &defaults);
    posix_spawnattr_setsigmask(&setup.attributes, &empty);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    posix_spawnattr_setflags(
        &setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    int status = posix_spawnp(&pid, program.c_str(), &setup.actions, &setup.attributes, argv.data(),
                              environ);
    if (status != 0) {
        if (error != nullptr) {
            *error = program + ": " + std::strerror(status);
        }
        return nullptr;
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, OpenProcessDescriptor(pid)));
}

ChildProcess::~ChildProcess() {
    if (!ended_ && !released_) {
        Kill();
    }
    if (pidfd_ >= 0) {
        close(pidfd_);
    }
}

bool ChildProcess::Reap(bool block) const {
    if (ended_) {
        return true;
    }
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0) {
        return false;
    }
    ended_ = true;
    if (reaped < 0) {
        exit_status_ = -1;  // reaped by someone else; its status is lost
    } else if (WIFEXITED(status)) {
        exit_status_ = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exit_status_ = 128 + WTERMSIG(status);
    }
    return true;
}

bool ChildProcess::HasEnded() {
    return Reap(false);
}

bool ChildProcess::WaitFor(std::chrono::milliseconds timeout) const {
    if (Reap(false)) {
        return true;
    }
    if (pidfd_ >= 0) {
        pollfd descriptor{pidfd_, POLLIN, 0};
        int result;
        do {
            result = poll(&descriptor, 1, static_cast<int>(timeout.count()));
        } while (result < 0 && errno == EINTR);
        return Reap(false);
    }
    // No process descriptors: look again every few milliseconds.
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (Reap(false)) {
            return true;
        }
    }
    return false;
}

void ChildProcess::Kill() {
    if (ended_) {
        return;
    }
    // The group first (a child's own helpers), then the child itself in case it left the group.
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    Reap(true);
}

ExternalRunResult RunExternalProgram(LProgressDialog& process, const ExternalProgram& program) {
    ExternalRunResult run;
    std::string error;
    auto child = ChildProcess::Spawn(program.path, program.arguments, program.keep_output, &error);
    if (child == nullptr) {
        if (!program.start_failure_message.empty()) {
            process.ShowError(program.start_failure_message);
        }
        return run;
    }
    run.started = true;
    bool waited = process.WaitPumping(*child, program.timeout);
    if (!waited) {
        child->Kill();  // ran past its time-out
        run.result = PROCESS_FAILED;
        return run;
    }
    if (process.CheckCancel()) {
        child->Kill();
        run.result = PROCESS_STOPPED;
        return run;
    }
    run.exit_status = child->ExitStatus();
    run.result = PROCESS_DONE;
    return run;
}

}  // namespace sonvara
