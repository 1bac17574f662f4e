// What one load costs, measured in a child process forked for it: its peak resident memory
// above the child's start and its processor time, untouched by the test program's own memory,
// and safe from a load that runs away (the child is stopped after a generous time).
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

struct LoadCost {
    bool finished = false;  // the child ran the load to its end
    bool loaded = false;    // what the load returned
    double megabytes = 0;   // peak resident memory above the child's start
    double cpuSeconds = 0;  // user and system time
};

// What no hostile file may cost before it is refused.
constexpr double kRefusalMegabytes = 64;
constexpr double kRefusalCpuSeconds = 1;

inline int64_t ProcStatusKilobytes(const char* key) {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    int64_t value = -1;
    const size_t length = std::strlen(key);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, key, length) == 0) value = std::strtoll(line + length, nullptr, 10);
    std::fclose(status);
    return value;
}

// Runs `load` in a child process. A load reaches OpenGL only when a texture is drawn, so the
// child needs none of the driver's threads; it leaves with _exit, running no destructors and
// flushing none of the buffers it shares with this process.
inline LoadCost MeasureLoad(const std::function<bool()>& load, unsigned hangGuardSeconds = 120) {
    LoadCost cost;
    int fds[2];
    if (pipe(fds) != 0) return cost;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        alarm(hangGuardSeconds);
        // The peak starts at the resident size the child was forked with.
        const int64_t start = ProcStatusKilobytes("VmRSS:");
        LoadCost child;
        child.loaded = load();
        child.megabytes = double(ProcStatusKilobytes("VmHWM:") - start) / 1024;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        child.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        child.finished = true;
        const ssize_t written = write(fds[1], &child, sizeof child);
        _exit(written == sizeof child ? 0 : 1);
    }
    close(fds[1]);
    if (pid > 0 && read(fds[0], &cost, sizeof cost) != sizeof cost) cost = LoadCost();
    close(fds[0]);
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    return cost;
}
