// das among other programs: coprocess drivers, shared input, terminals.
#include "run.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <termios.h>
#include <unistd.h>
// Where forkpty is declared differs by system (it is linked from libutil where that is separate).
#if defined(__APPLE__) || defined(__NetBSD__) || defined(__OpenBSD__)
#include <util.h>
#elif defined(__FreeBSD__) || defined(__DragonFly__)
#include <libutil.h>
#else
#include <pty.h>
#endif

namespace {

// Reads until `until` has arrived, the writer is gone, or five seconds pass without it.
std::string read_until(int fd, std::string_view until)
{
    struct stat status;
    const bool is_file = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (text.find(until) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0 && is_file) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10)); // a file's writer may yet add to it
            continue;
        }
        if (n <= 0)
            break; // end of file, or EIO once a terminal's other side has closed
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

void send(int fd, std::string_view bytes)
{
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

int finish(pid_t pid)
{
    kill(pid, SIGKILL); // harmless when it has already ended; ends it when a test failed halfway
    int status;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The driver reads das's output from a pipe, or from a file that das writes while the driver watches.
class Coprocess : public testing::TestWithParam<bool> {};

TEST_P(Coprocess, GreetingArrivesBeforeTheDriverWritesTheNumber)
{
    const bool to_file = GetParam();
    int to_das[2], from_das[2];
    make_pair(to_das);
    if (to_file) {
        // Opened twice, so that the driver reads at an offset of its own.
        char path[] = "/tmp/das-coprocess-XXXXXX";
        from_das[0] = mkstemp(path);
        ASSERT_GE(from_das[0], 0);
        fcntl(from_das[0], F_SETFD, FD_CLOEXEC);
        from_das[1] = open(path, O_WRONLY | O_CLOEXEC);
        unlink(path);
    } else {
        make_pair(from_das);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL); // other tests leave it ignored in this process
        dup2(to_das[0], STDIN_FILENO);
        dup2(from_das[1], STDOUT_FILENO);
        auto command = das_command;
        auto argv = pointers(command);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(to_das[0]);
    close(from_das[1]);

    EXPECT_EQ(read_until(from_das[0], "\n"), greeting);
    send(to_das[1], "42\n");
    close(to_das[1]);
    EXPECT_EQ(read_until(from_das[0], "das 42"), "das 42");
    close(from_das[0]);
    finish(pid);
}

INSTANTIATE_TEST_SUITE_P(Output, Coprocess, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "File" : "Pipe"; });

struct Shared {
    decltype(Launch::feed) feed;
    std::string input;
    std::string after_two_runs; // what cat finds after two runs of das
    std::vector<std::string> err = {""}; // what the two runs say: one of these, as C libraries word it
};

void PrintTo(const Shared& s, std::ostream* os)
{
    static const char* const feeds[] = {"pipe ", "file ", "stream socket ", "packet socket ", "datagram socket "};
    *os << feeds[s.feed];
    if (s.input.size() <= 40)
        *os << testing::PrintToString(s.input);
    else
        *os << s.input.size() << " bytes";
}

class SharedInput : public testing::TestWithParam<Shared> {};

TEST_P(SharedInput, WhatDasDoesNotReadStaysForTheNextReader)
{
    if (das_on_windows && GetParam().feed == Launch::packets)
        GTEST_SKIP() << "a Windows program takes a socket for a byte stream: Windows has no packet sockets to give it";
    const auto r = run({.command = shell(R"("$@"; echo; "$@"; echo; exec cat)"),
                        .input = GetParam().input,
                        .feed = GetParam().feed});
    EXPECT_EQ(r.out, GetParam().after_two_runs);
    EXPECT_NE(std::ranges::find(GetParam().err, r.err), GetParam().err.end()) << r.err;
    EXPECT_EQ(r.status, 0);
}

// A file gives back exactly what follows the number; a pipe or a stream socket loses at most the
// one character that ended it; a message is read whole, so the rest of the number's message is gone.
// A message of 64 KiB is read whole; a longer one is an error, not its first 64 KiB read as a number.
INSTANTIATE_TEST_SUITE_P(Streams, SharedInput, testing::Values(
    Shared{Launch::file, "12 34 7abc", greeting + "das 12\n" + greeting + "das 34\n 7abc"},
    Shared{Launch::pipe, "12\n34 rest", greeting + "das 12\n" + greeting + "das 34\nrest"},
    Shared{Launch::socket, "12\n34 rest", greeting + "das 12\n" + greeting + "das 34\nrest"},
    Shared{Launch::packets, "12\n34 rest\nnext\n", greeting + "das 12\n" + greeting + "das 34\nnext\n"},
    Shared{Launch::packets, std::string(65533, ' ') + "12\n34 rest\nnext\n",
           greeting + "das 12\n" + greeting + "das 34\nnext\n"},
    Shared{Launch::packets, std::string(65534, ' ') + "12\n34 rest\nnext\n",
           greeting + "das 0\n" + greeting + "das 34\nnext\n",
           {"das: read error: Message too long\n", "das: read error: Message too large\n"}},
    Shared{Launch::file, "1\n\nx y", greeting + "das 1\n" + greeting + "das 0\nx y"},
    Shared{Launch::pipe, "1\n\nx y", greeting + "das 1\n" + greeting + "das 0\n y"}));

// A datagram socket has no end of input: das must take the number's message whole, not a byte of it.
TEST(Messages, DatagramsAreReadWhole)
{
    if (das_on_windows)
        GTEST_SKIP() << "a Windows program takes a socket for a byte stream";
    const auto r = run({.input = "12\n34\n\n", .feed = Launch::datagrams});
    EXPECT_EQ(r.out, greeting + "das 12");
    EXPECT_EQ(r.status, 0);
}

TEST(NonBlocking, DasWaitsForANumberThatArrivesLateAndLeavesTheFlagOn)
{
    const auto r = run({.input = "42\n", .nonblocking = true, .delay_ms = 300});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.input_left_nonblocking);
}

TEST(NonBlocking, DasWaitsForAnOutputThatIsFullAtTheStart)
{
    const auto r = run({.input = "42\n", .stdout_full = true});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// Starts a command on a new pseudo-terminal with echo off, so that what is read back is only what it
// writes; raw, the terminal passes on each byte as it comes, as a full-screen program sets it.
pid_t start_on_terminal(std::vector<std::string> command, int& terminal, bool raw = false)
{
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        termios mode;
        tcgetattr(STDIN_FILENO, &mode);
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        if (raw)
            cfmakeraw(&mode);
        tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        auto argv = pointers(command);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

class Terminal : public testing::Test {
protected:
    void SetUp() override
    {
        if (das_on_windows)
            GTEST_SKIP() << "Wine's console on a pseudo-terminal puts cursor escapes around every character";
    }
};

TEST_F(Terminal, GreetingIsOnScreenBeforeInputAndCtrlDOnAnEmptyLineEndsIt)
{
    int terminal;
    const pid_t pid = start_on_terminal(das_command, terminal);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(read_until(terminal, "\n"), "Hello, world!\r\n");
    send(terminal, "\x04");
    EXPECT_EQ(read_until(terminal, "never"), "das 0");
    EXPECT_EQ(finish(pid), 0);
    close(terminal);
}

// das on a terminal, then a shell that reads the next typed line and shows it as next=[...].
class NextReader : public Terminal {
protected:
    void SetUp() override
    {
        Terminal::SetUp();
        if (IsSkipped())
            return;
        pid = start_on_terminal(shell(R"("$@"; echo; IFS= read -r line; printf 'next=[%s]\n' "$line")"), terminal);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(read_until(terminal, "\n"), "Hello, world!\r\n");
    }
    void TearDown() override
    {
        if (pid > 0) {
            finish(pid);
            close(terminal);
        }
    }
    int terminal = -1;
    pid_t pid = -1;
};

TEST_F(NextReader, RestOfTheTypedLineNeverReachesIt)
{
    send(terminal, "12 rm -rf ~\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "das 12", read_until(terminal, "das 12"));
    send(terminal, "typed later\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "next=[typed later]", read_until(terminal, "]"));
}

TEST_F(NextReader, LinesTypedAheadStayForIt)
{
    send(terminal, "12 rm -rf ~\ntyped ahead\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "next=[typed ahead]", read_until(terminal, "]"));
}

TEST_F(Terminal, InRawModeEnterEndsTheNumberAndDasAnswersAtOnce)
{
    int terminal;
    const pid_t pid = start_on_terminal(das_command, terminal, true);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(read_until(terminal, "\n"), "Hello, world!\n");
    send(terminal, "12\r");
    EXPECT_EQ(read_until(terminal, "never"), "das 12");
    EXPECT_EQ(finish(pid), 0);
    close(terminal);
}

} // namespace
