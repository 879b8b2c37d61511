// das among other programs: coprocess drivers, shared input, terminals.
#include "run.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
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

// Reads until `until` has arrived (in what `shown` makes of the text, if given), the writer is
// gone, or ten seconds pass without it.
std::string read_until(int fd, std::string_view until, std::string (*shown)(std::string_view) = nullptr)
{
    struct stat status;
    const bool is_file = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((shown ? shown(text) : text).find(until) == std::string::npos) {
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
    return shown ? shown(text) : text;
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

// 32-bit machines too seek with 64-bit offsets: 3 GiB into a (sparse) file, what follows the
// number is still given back.
TEST(Files, PastTwoGiBWhatFollowsTheNumberStaysForTheNextReader)
{
    const auto r = run({.command = shell(R"("$@"; echo; exec cat)"),
                        .input = "12 rest",
                        .feed = Launch::file,
                        .file_hole = 3LL << 30});
    EXPECT_EQ(r.out, greeting + "das 12\n rest");
    EXPECT_EQ(r.status, 0);
}

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

// ---- Terminals: a POSIX pseudo-terminal, or Windows' console as Wine draws it on one ----------
// Everything in which the two differ is in this block; the tests below are the same for both.
//
// A POSIX terminal is started with echo off, so that what is read back is only what das writes.
// Wine's console starts on a host terminal that is raw from the start: Wine takes the terminal out
// of line mode only after the greeting, and keys typed before that would be echoed by the host and
// their line would never end. The console has line input and echo of its own, Enter reaches it as
// "\r", and Ctrl-Z as a plain byte, never as the end of the input. Its screen is read as text.

// Enter, on a terminal that delivers whole lines.
const std::string enter = das_on_windows ? "\r" : "\n";

// Typed on an empty line: Ctrl-D ends a POSIX terminal's input. Wine's console cannot end it, and
// hands Ctrl-Z on to das as a byte that cannot begin a number, so das answers 0 all the same and
// takes the rest of the line, its Enter included.
const std::string end_of_input = das_on_windows ? "\x1a\r" : "\x04";

// What Wine's console draws, as text: a cursor move right is that many blanks, and every other
// escape sequence and "\r" is dropped.
std::string as_text(std::string_view drawn)
{
    std::string text;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i] == '\r')
            continue;
        if (drawn[i] != '\x1b' || i + 1 == drawn.size()) {
            text += drawn[i];
            continue;
        }
        if (drawn[i + 1] == ']') { // an operating system command, such as the window's title
            const auto stop = drawn.find('\a', i);
            i = stop == std::string_view::npos ? drawn.size() : stop;
            continue;
        }
        std::size_t j = i + 1;
        if (drawn[j] == '[')
            while (++j < drawn.size() && !(drawn[j] >= '@' && drawn[j] <= '~'))
                ;
        if (j < drawn.size() && drawn[j] == 'C')
            text.append(static_cast<std::size_t>(std::max(1, std::atoi(std::string(drawn.substr(i + 2, j - i - 2)).c_str()))), ' ');
        i = j;
    }
    return text;
}

// Reads the terminal until `until` is on it; what it shows, as text on Wine's console.
std::string read_screen(int terminal, std::string_view until)
{
    return read_until(terminal, until, das_on_windows ? as_text : nullptr);
}

// On a POSIX terminal, exactly what das wrote; on Wine's console, somewhere among what it shows,
// the echo of the typed keys included.
testing::AssertionResult Shows(const std::string& screen, std::string expected)
{
    if (das_on_windows) {
        for (std::size_t at; (at = expected.find("\r\n")) != std::string::npos;)
            expected.erase(at, 1);
        if (screen.find(expected) != std::string::npos)
            return testing::AssertionSuccess();
    } else if (screen == expected) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "the terminal shows " << testing::PrintToString(screen) << ", not "
                                       << testing::PrintToString(expected);
}

// das, then the next reader, which reads the next typed line and shows it as next=[...]: a shell's
// read, or on Windows a helper built beside das.exe. With raw, on a terminal that passes each key
// on as it is typed (on Windows, the helper switches the console's line input off first).
std::vector<std::string> das_then_next_reader(bool raw)
{
    if (!das_on_windows)
        return shell(R"("$@"; echo; IFS= read -r line; printf 'next=[%s]\n' "$line")");
    auto command = das_command;
    std::string das = "Z:" + command.back(); // Wine's drive for the host's root
    std::replace(das.begin(), das.end(), '/', '\\');
    command.back().replace(command.back().rfind('/') + 1, std::string::npos, "next_reader.exe");
    if (raw)
        command.push_back("--raw");
    command.push_back(das);
    return command;
}

// Starts a command on a new pseudo-terminal with echo off; raw, the terminal passes on each byte
// as it comes, as a full-screen program sets it.
pid_t start_on_terminal(std::vector<std::string> command, int& terminal, bool raw = false)
{
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        termios mode;
        tcgetattr(STDIN_FILENO, &mode);
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        if (raw || das_on_windows)
            cfmakeraw(&mode);
        tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        auto argv = pointers(command);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// ---- The terminal tests -------------------------------------------------------------------------

TEST(Terminal, GreetingIsOnScreenBeforeInputAndEndOfInputOnAnEmptyLineAnswersZero)
{
    int terminal;
    const pid_t pid = start_on_terminal(das_command, terminal);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Shows(read_screen(terminal, "\n"), "Hello, world!\r\n"));
    send(terminal, end_of_input);
    EXPECT_TRUE(Shows(read_screen(terminal, "never"), "das 0"));
    EXPECT_EQ(finish(pid), 0);
    close(terminal);
}

// das on a terminal, then the next reader.
class NextReader : public testing::Test {
protected:
    void start(bool raw)
    {
        pid = start_on_terminal(das_then_next_reader(raw), terminal, raw);
        ASSERT_GT(pid, 0);
        // A raw terminal does not turn a line feed into a carriage return and a line feed.
        EXPECT_TRUE(Shows(read_screen(terminal, "\n"), raw ? "Hello, world!\n" : "Hello, world!\r\n"));
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
    start(false);
    send(terminal, "12 rm -rf ~" + enter);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "das 12", read_screen(terminal, "das 12"));
    send(terminal, "typed later" + enter);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "next=[typed later]", read_screen(terminal, "]"));
}

TEST_F(NextReader, LinesTypedAheadStayForIt)
{
    start(false);
    send(terminal, "12 rm -rf ~" + enter + "typed ahead" + enter);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "next=[typed ahead]", read_screen(terminal, "]"));
}

// A raw terminal passes on Enter as "\r", which ends the number: das answers before anything else
// is typed, and what is typed after it is the next reader's (a line ended by Ctrl-J).
TEST_F(NextReader, InRawModeEnterEndsTheNumberAndDasAnswersAtOnce)
{
    start(true);
    send(terminal, "12\r");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "das 12", read_screen(terminal, "das 12"));
    send(terminal, "rm\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "next=[rm]", read_screen(terminal, "]"));
}

} // namespace
