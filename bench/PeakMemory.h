#pragma once
// The process's peak resident memory and processor time so far, for the benchmarks' figures, and
// the peak and processor time of one child process.
#ifdef __unix__
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

inline double peakRssMiB()
{
#ifdef __unix__
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0; // KiB on Linux
#else
    return 0;
#endif
}

// Linux keeps the high-water mark of the resident size per process and lets the process start
// it afresh, so one operation's peak can be read after others have run.
inline void resetPeakRss()
{
#ifdef __linux__
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
#endif
}

// A line "Name:   123 kB" of /proc/self/status in MiB; 0 elsewhere.
inline double statusMiB(const char* name)
{
    double mib = 0;
#ifdef __linux__
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t n = std::strlen(name);
        while (std::fgets(line, sizeof line, f))
            if (!std::strncmp(line, name, n) && line[n] == ':') mib = std::strtod(line + n + 1, nullptr) / 1024.0;
        std::fclose(f);
    }
#endif
    return mib;
}
inline double currentRssMiB() { return statusMiB("VmRSS"); }

// Processor time of this process so far, all its threads.
inline double processCpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }
inline double highWaterRssMiB() { return statusMiB("VmHWM"); }

struct ChildRun {
    int status = -1; // the exit status, -1 when it did not exit normally
    double seconds = 0;
    double peakMiB = 0; // the child's own peak resident size
    double cpuSeconds = 0; // user and system time of the child, all its threads
};

// Runs a program with its output discarded and waits for it. The peak is the child's alone
// (a forked child starts with this process's resident pages, so keep this process small).
inline ChildRun runChild(const std::vector<std::string>& arguments)
{
    ChildRun r;
#ifdef __unix__
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) return r;
    int status = 0;
    rusage u{};
    if (wait4(pid, &status, 0, &u) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peakMiB = static_cast<double>(u.ru_maxrss) / 1024.0;
    r.cpuSeconds = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
#endif
    return r;
}
