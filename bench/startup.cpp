// Start-up cost of das beside its peers: CPU per run (user plus system time of each child, from
// wait4) and peak RSS (VmHWM, read while the program is stopped at its exit). The programs take
// turns, so a drift in the machine's speed falls on all alike.
//
//   das_startup [RUNS]      (default 2000 runs of each program)

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Usage {
    double cpu_us = 0;     // user plus system time
    long peak_rss_kib = 0; // VmHWM at exit, when asked for
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

// The peak RSS of the program that `pid` runs now. The kernel's ru_maxrss moves in steps of about
// 128 KiB for tiny programs and counts what this process had at fork; VmHWM at exit is exact.
long vm_hwm_kib(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE* status = std::fopen(path.c_str(), "r");
    long kib = -1;
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1)
            break;
    if (status)
        std::fclose(status);
    return kib;
}

// Runs argv once with standard input from `in` and standard output to /dev/null. With `peak`, the
// program is traced, and stopped at its exit just long enough to read its peak RSS; where this
// system lets no program trace another (ptrace), the peak is -1, unknown.
Usage run_once(const std::vector<const char*>& argv, int in, bool peak = false)
{
    static const int null = check(open("/dev/null", O_WRONLY | O_CLOEXEC), "/dev/null");
    lseek(in, 0, SEEK_SET); // a file is read from its start each run
    const auto start = std::chrono::steady_clock::now();
    pid_t pid;
    if (!peak) {
        // Spawned, not forked: a forked child would be charged for tearing down its copy of this
        // process at exec, a cost that belongs to no program measured here.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, null, STDOUT_FILENO);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv.data()), environ) != 0) {
            std::perror(argv[0]);
            std::exit(2);
        }
        posix_spawn_file_actions_destroy(&actions);
    } else if ((pid = check(fork(), "fork")) == 0) {
        ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
        dup2(in, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
    }
    int status;
    Usage result;
    rusage usage{};
    if (peak) {
        check(wait4(pid, &status, 0, &usage), "wait4"); // stopped at the exec, if it could be traced
        if (!WIFSTOPPED(status))
            result.peak_rss_kib = -1;
    }
    if (peak && WIFSTOPPED(status)) {
        ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL);
        for (int signal = 0;; signal = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status)) {
            ptrace(PTRACE_CONT, pid, nullptr, signal);
            check(waitpid(pid, &status, 0), "waitpid");
            if (!WIFSTOPPED(status))
                break;
            if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
                result.peak_rss_kib = vm_hwm_kib(pid);
                ptrace(PTRACE_CONT, pid, nullptr, 0);
                break;
            }
        }
    }
    if (!peak || WIFSTOPPED(status))
        check(wait4(pid, &status, 0, &usage), "wait4");
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s did not exit with status 0\n", argv[0]);
        std::exit(2);
    }
    const auto us = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_usec); };
    result.cpu_us = us(usage.ru_utime) + us(usage.ru_stime);
    result.wall_s = wall.count();
    return result;
}

// Writes `count` bytes of `fill`, then `tail`, from a small buffer.
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

void goal(const char* what, double value, double limit)
{
    std::printf("  %-44s %6.2f  at most %.2f  %s\n", what, value, limit, value <= limit ? "met" : "NOT MET");
}

void left_out(const char* what, const char* why)
{
    std::printf("  %-44s left out: %s\n", what, why);
}

// A peak RSS in KiB, or what stands for one that could not be read.
std::string kib(long value)
{
    return value < 0 ? "n/a" : std::to_string(value) + " KiB";
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int answer = file_holding(' ', 0, "42\n");

    struct Program {
        const char* name;
        std::vector<const char*> argv;
        double cpu_us = 0;
        long peak_rss_kib = 0;
    };
    std::vector<Program> programs = {
        {"das (glibc)", {DAS_PATH, nullptr}},
        {"das (musl)", {DAS_MUSL_PATH, nullptr}},
        {"das (musl, stripped, as packaged)", {DAS_PACKAGED_PATH, nullptr}},
        {"plain C dialogue (printf, scanf)", {PEER_C_PATH, nullptr}},
        {"empty static C program (glibc)", {EMPTY_STATIC_PATH, nullptr}},
        {"empty static C program (musl)", {EMPTY_MUSL_PATH, nullptr}},
        {"bare exec and exit (no C library)", {BARE_PATH, nullptr}},
        {"/bin/true", {"/bin/true", nullptr}},
        {"sh dialogue", {"/bin/sh", "-c", R"(printf "Hello, world!\n"; read n; printf "das %d" "$n")", nullptr}},
    };
    enum { glibc_das, musl_das, packaged_das, plain_c, empty_glibc, empty_musl, bare };
    // What this machine cannot give: a program built for x86-64 alone (its path is then empty).
    const bool have_bare = *programs[bare].argv[0] != '\0';
    if (!have_bare)
        programs.erase(programs.begin() + bare);
    for (int i = 0; i < runs; ++i)
        for (auto& p : programs)
            p.cpu_us += run_once(p.argv, answer).cpu_us / runs;

    std::printf("CPU per run (user + system), %d runs of each in turn, standard input a file holding \"42\"\n\n", runs);
    std::printf("%-34s %10s %8s %10s\n", "program", "CPU/run", "vs das", "peak RSS");
    for (auto& p : programs) {
        p.peak_rss_kib = run_once(p.argv, answer, true).peak_rss_kib;
        std::printf("%-34s %7.0f us %8.2f %10s\n", p.name, p.cpu_us, p.cpu_us / programs[glibc_das].cpu_us,
                    kib(p.peak_rss_kib).c_str());
    }
    const bool have_peaks = programs[glibc_das].peak_rss_kib >= 0;
    const char* const no_peaks = "this system lets no program trace another (ptrace)";
    const char* const no_bare = "the bare exec and exit is x86-64 code";
    const auto ratio = [&](int a, int b) { return programs[a].cpu_us / programs[b].cpu_us; };

    const int mib_of_digits = file_holding('7', std::size_t{100} << 20, "");
    const long digits_peak = run_once(programs[glibc_das].argv, mib_of_digits, true).peak_rss_kib;
    const int mib_of_blank_lines = pipe_holding('\n', std::size_t{1} << 20, "42");
    const Usage blanks = run_once(programs[glibc_das].argv, mib_of_blank_lines, true);

    std::printf("\ngoals\n");
    goal("das / plain C dialogue", ratio(glibc_das, plain_c), 0.90);
    goal("das / empty static C program", ratio(glibc_das, empty_glibc), 1.20);
    if (have_peaks) {
        goal("das peak RSS (MiB)", static_cast<double>(programs[glibc_das].peak_rss_kib) / 1024, 1.25);
        goal("das peak RSS, 100 MiB of digits from a file", static_cast<double>(digits_peak) / 1024, 1.25);
    } else {
        left_out("das peak RSS (MiB)", no_peaks);
        left_out("das peak RSS, 100 MiB of digits from a file", no_peaks);
    }
    // What a C library adds above a bare exec and exit: exec's own cost varies tenfold between
    // machines, and a ratio of whole runs would measure that instead.
    const auto above_bare = [&](int a) { return programs[a].cpu_us - programs[bare].cpu_us; };
    if (have_bare) {
        goal("das (musl) / das (glibc), above a bare exec", above_bare(musl_das) / above_bare(glibc_das), 0.25);
        goal("das (musl) / bare exec and exit", ratio(musl_das, bare), 1.50);
        // The das that the x86-64 packages install.
        goal("das (as packaged) / bare exec and exit", ratio(packaged_das, bare), 1.30);
        std::printf("\nabove a bare exec and exit: das (musl) %.0f us, das (glibc) %.0f us\n", above_bare(musl_das),
                    above_bare(glibc_das));
    } else {
        left_out("das (musl) / das (glibc), above a bare exec", no_bare);
        left_out("das (musl) / bare exec and exit", no_bare);
        left_out("das (as packaged) / bare exec and exit", no_bare);
    }
    if (have_peaks)
        std::printf("\n(peak RSS: VmHWM of each program at its exit, from one traced run)\n");
    std::printf("\n1 MiB of blank lines through a pipe before the number: %.3f s, CPU %.3f s, peak RSS %s\n",
                blanks.wall_s, blanks.cpu_us / 1e6, kib(blanks.peak_rss_kib).c_str());
}
