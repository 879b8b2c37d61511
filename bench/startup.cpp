// Start-up cost of das beside its peers: CPU per run (user plus system time of each child, from
// wait4) and peak RSS. The programs take turns, so a drift in the machine's speed falls on all alike.
//
//   das_startup [RUNS]      (default 2000 runs of each program)

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Usage {
    double cpu_us = 0;    // user plus system time
    long peak_rss_kib = 0;
    double wall_s = 0;
};

int check(int result, const char* what)
{
    if (result < 0) {
        std::perror(what);
        std::exit(2);
    }
    return result;
}

// Runs argv once with standard input from `in` and standard output to /dev/null.
Usage run_once(const std::vector<const char*>& argv, int in)
{
    static const int null = check(open("/dev/null", O_WRONLY | O_CLOEXEC), "/dev/null");
    lseek(in, 0, SEEK_SET); // a file is read from its start each run
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = check(fork(), "fork");
    if (pid == 0) {
        dup2(in, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status;
    rusage usage{};
    check(wait4(pid, &status, 0, &usage), "wait4");
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not exit with status 0\n", argv[0]);
        std::exit(2);
    }
    const auto us = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_usec); };
    return {us(usage.ru_utime) + us(usage.ru_stime), usage.ru_maxrss, wall.count()};
}

// Writes `count` bytes of `fill`, then `tail`, from a small buffer: a child's peak RSS includes
// what this process had in memory when it forked, so this process keeps its own memory small.
void write_input(int fd, char fill, std::size_t count, std::string_view tail)
{
    char block[4096];
    std::memset(block, fill, sizeof block);
    for (std::size_t left = count; left > 0;) {
        const ssize_t n = write(fd, block, std::min(left, sizeof block));
        if (n <= 0)
            return; // the reader has gone
        left -= static_cast<std::size_t>(n);
    }
    if (write(fd, tail.data(), tail.size()) < 0)
        return;
}

// A file holding the input, open for reading, gone from the file system once closed.
int file_holding(char fill, std::size_t count, std::string_view tail)
{
    FILE* file = std::tmpfile();
    if (!file)
        throw std::runtime_error("cannot make a temporary file");
    write_input(fileno(file), fill, count, tail);
    return fileno(file);
}

// A pipe that a child of its own fills with the input.
int pipe_holding(char fill, std::size_t count, std::string_view tail)
{
    int fds[2];
    check(pipe2(fds, O_CLOEXEC), "pipe");
    if (check(fork(), "fork") == 0) {
        signal(SIGPIPE, SIG_DFL);
        write_input(fds[1], fill, count, tail);
        _exit(0);
    }
    close(fds[1]);
    return fds[0];
}

// This process's anonymous memory: the floor under every child's peak RSS.
long anonymous_rss_kib()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    long kib = -1;
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "RssAnon: %ld kB", &kib) == 1)
            break;
    if (status)
        std::fclose(status);
    return kib;
}

void goal(const char* what, double value, double limit)
{
    std::printf("  %-44s %6.2f  at most %.2f  %s\n", what, value, limit, value <= limit ? "met" : "NOT MET");
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int answer = file_holding(' ', 0, "42\n");

    struct Program {
        const char* name;
        std::vector<const char*> argv;
        Usage total{};
    };
    std::vector<Program> programs = {
        {"das", {DAS_PATH, nullptr}},
        {"plain C dialogue (printf, scanf)", {PEER_C_PATH, nullptr}},
        {"empty static C program", {EMPTY_STATIC_PATH, nullptr}},
        {"/bin/true", {"/bin/true", nullptr}},
        {"sh dialogue", {"/bin/sh", "-c", R"(printf "Hello, world!\n"; read n; printf "das %d" "$n")", nullptr}},
    };
    for (int i = 0; i < runs; ++i)
        for (auto& p : programs) {
            const Usage u = run_once(p.argv, answer);
            p.total.cpu_us += u.cpu_us;
            p.total.peak_rss_kib = std::max(p.total.peak_rss_kib, u.peak_rss_kib);
        }

    std::printf("CPU per run (user + system), %d runs of each in turn, standard input a file holding \"42\"\n\n", runs);
    std::printf("%-34s %10s %8s %10s\n", "program", "CPU/run", "vs das", "peak RSS");
    const double das_cpu = programs[0].total.cpu_us / runs;
    for (const auto& p : programs) {
        const double cpu = p.total.cpu_us / runs;
        std::printf("%-34s %7.0f us %8.2f %6ld KiB\n", p.name, cpu, cpu / das_cpu, p.total.peak_rss_kib);
    }

    const int mib_of_digits = file_holding('7', std::size_t{100} << 20, "");
    const Usage digits = run_once(programs[0].argv, mib_of_digits);
    const int mib_of_blank_lines = pipe_holding('\n', std::size_t{1} << 20, "42");
    const Usage blanks = run_once(programs[0].argv, mib_of_blank_lines);

    std::printf("\ngoals\n");
    goal("das / plain C dialogue", das_cpu / (programs[1].total.cpu_us / runs), 0.90);
    goal("das / empty static C program", das_cpu / (programs[2].total.cpu_us / runs), 1.20);
    goal("das peak RSS (MiB)", static_cast<double>(programs[0].total.peak_rss_kib) / 1024, 1.25);
    goal("das peak RSS, 100 MiB of digits from a file", static_cast<double>(digits.peak_rss_kib) / 1024, 1.25);
    std::printf("\n(peak RSS includes this harness's %ld KiB of anonymous memory, shared with each child until exec)\n",
                anonymous_rss_kib());
    std::printf("\n1 MiB of blank lines through a pipe before the number: %.3f s, CPU %.3f s, peak RSS %ld KiB\n",
                blanks.wall_s, blanks.cpu_us / 1e6, blanks.peak_rss_kib);
}
