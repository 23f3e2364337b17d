#include "bench/compare/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "bench/compare/timing.h"

namespace Compare {

namespace {

// Reads `fd` to its end.
std::string ReadAll(int fd) {
    std::string text;
    char block[4096];
    ssize_t got;
    while ((got = read(fd, block, sizeof block)) > 0) text.append(block, size_t(got));
    return text;
}

}  // namespace

std::optional<ProgramRun> RunProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    ProgramRun run;
    Stopwatch watch;
    watch.Start();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (spawned == 0) run.output = ReadAll(output[0]);
    close(output[0]);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(child, &status, 0, &usage) != child) return std::nullopt;
    watch.Stop();
    run.nanoseconds = watch.Nanoseconds();
    for (const timeval& time : {usage.ru_utime, usage.ru_stime}) {
        run.cpuNanoseconds += double(time.tv_sec) * 1e9 + double(time.tv_usec) * 1e3;
    }
    if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    return run;
}

std::string OwnProgramPath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

}  // namespace Compare
