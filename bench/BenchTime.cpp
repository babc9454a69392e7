// Runs one command and reports its wall time and peak resident set size, so the
// benchmarks need nothing beyond the build (no /usr/bin/time on a fresh machine).
//
//   lockleaf-bench-time RESULT_FILE -- COMMAND [ARGS...]
//
// Appends "<seconds> <peak RSS in KiB> <exit status> <CPU seconds>" to RESULT_FILE
// (CPU: user + system of the command and every child it waited for). The
// command's own output is passed through. Exit status: the command's.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 4 || std::strcmp(argv[2], "--") != 0) {
        std::fprintf(stderr, "usage: lockleaf-bench-time RESULT_FILE -- COMMAND [ARGS...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        std::perror(argv[3]);
        _exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    if (wait4(pid, &status, 0, &usage) < 0) {
        std::perror("wait4");
        return 2;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // ru_maxrss of the child covers the child itself; the peak of any children it
    // waited for (a shell loop's qpdf runs) comes from RUSAGE_CHILDREN below.
    struct rusage children = {};
    getrusage(RUSAGE_CHILDREN, &children);
    const long peak = usage.ru_maxrss > children.ru_maxrss ? usage.ru_maxrss : children.ru_maxrss;
    auto cpu = [](const struct rusage &u) {
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    // RUSAGE_CHILDREN already holds the command itself once it was waited for.
    const double cpuSeconds = std::max(cpu(usage), cpu(children));
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (FILE *f = std::fopen(argv[1], "a")) {
        std::fprintf(f, "%.4f %ld %d %.4f\n", seconds, peak, code, cpuSeconds);
        std::fclose(f);
    }
    return code;
}
