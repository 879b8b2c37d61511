// das among other programs: coprocess drivers, shared input, terminals.
#include "run.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Reads until `until` has arrived, the writer is gone, or five seconds pass without it.
std::string read_until(int fd, std::string_view until)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (text.find(until) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
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

TEST(Coprocess, GreetingArrivesBeforeTheDriverWritesTheNumber)
{
    int to_das[2], from_das[2];
    ASSERT_EQ(pipe2(to_das, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(from_das, O_CLOEXEC), 0);
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
    EXPECT_EQ(read_until(from_das[0], "never"), "das 42");
    close(from_das[0]);
    finish(pid);
}

struct Shared {
    decltype(Launch::feed) feed;
    std::string input;
    std::string after_two_runs; // what cat finds after two runs of das
};

void PrintTo(const Shared& s, std::ostream* os)
{
    *os << (s.feed == Launch::file ? "file " : "pipe ") << testing::PrintToString(s.input);
}

class SharedInput : public testing::TestWithParam<Shared> {};

TEST_P(SharedInput, WhatDasDoesNotReadStaysForTheNextReader)
{
    const auto r = run({.command = shell(R"("$@"; echo; "$@"; echo; exec cat)"),
                        .input = GetParam().input,
                        .feed = GetParam().feed});
    EXPECT_EQ(r.out, GetParam().after_two_runs);
    EXPECT_EQ(r.status, 0);
}

// A file gives back exactly what follows the number; a pipe loses at most the one character that ended it.
INSTANTIATE_TEST_SUITE_P(Streams, SharedInput, testing::Values(
    Shared{Launch::file, "12 34 7abc", greeting + "das 12\n" + greeting + "das 34\n 7abc"},
    Shared{Launch::pipe, "12\n34 rest", greeting + "das 12\n" + greeting + "das 34\nrest"},
    Shared{Launch::file, "1\n\nx y", greeting + "das 1\n" + greeting + "das 0\nx y"},
    Shared{Launch::pipe, "1\n\nx y", greeting + "das 1\n" + greeting + "das 0\n y"}));

// Starts a command on a new pseudo-terminal with echo off, so that what is read back is only what it writes.
pid_t start_on_terminal(std::vector<std::string> command, int& terminal)
{
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        termios mode;
        tcgetattr(STDIN_FILENO, &mode);
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        auto argv = pointers(command);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

class Terminal : public testing::Test {
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

TEST_F(Terminal, RestOfTheTypedLineNeverReachesTheNextReader)
{
    int terminal;
    const pid_t pid =
        start_on_terminal(shell(R"("$@"; echo; IFS= read -r line; printf 'next=[%s]\n' "$line")"), terminal);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(read_until(terminal, "\n"), "Hello, world!\r\n");
    send(terminal, "12 rm -rf ~\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "das 12", read_until(terminal, "das 12"));
    send(terminal, "typed later\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "next=[typed later]", read_until(terminal, "]"));
    finish(pid);
    close(terminal);
}

} // namespace
