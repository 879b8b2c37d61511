// das among other programs: coprocess drivers, shared input, terminals.
#include "run.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <optional>
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

// Its exit status, once it has ended; a program still running ten seconds on is killed (a test that
// failed halfway), and its status says so. What it started and left running ends with it.
int finish(pid_t pid)
{
    int status;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    end_group(pid);
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
        setpgid(0, 0);
        std::signal(SIGPIPE, SIG_DFL); // other tests leave it ignored in this process
        dup2(to_das[0], STDIN_FILENO);
        dup2(from_das[1], STDOUT_FILENO);
        auto command = das_command;
        auto argv = pointers(command);
        execv(argv[0], argv.data());
        _exit(127);
    }
    setpgid(pid, pid);
    close(to_das[0]);
    close(from_das[1]);

    EXPECT_EQ(read_until(from_das[0], "\n"), greeting);
    send(to_das[1], "42\n");
    close(to_das[1]);
    EXPECT_EQ(read_until(from_das[0], "das 42"), "das 42");
    close(from_das[0]);
    EXPECT_EQ(finish(pid), 0);
}

INSTANTIATE_TEST_SUITE_P(Output, Coprocess, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "File" : "Pipe"; });

struct Shared {
    decltype(Launch::feed) feed;
    std::vector<std::string> input; // a message each on a packet socket, else one after the other
    std::string after_two_runs;     // what cat finds after two runs of das
    std::vector<std::string> err = {""}; // what the two runs say: one of these, as C libraries word it
};

void PrintTo(const Shared& s, std::ostream* os)
{
    static const char* const feeds[] = {"pipe ", "file ", "stream socket ", "packet socket ", "datagram socket "};
    *os << feeds[s.feed];
    for (const auto& piece : s.input) {
        if (piece.size() <= 40)
            *os << testing::PrintToString(piece);
        else
            *os << piece.size() << " bytes";
        *os << (&piece == &s.input.back() ? "" : ", ");
    }
}

class SharedInput : public testing::TestWithParam<Shared> {};

TEST_P(SharedInput, WhatDasDoesNotReadStaysForTheNextReader)
{
    if (das_on_windows && GetParam().feed == Launch::packets)
        GTEST_SKIP() << "a Windows program takes a socket for a byte stream: Windows has no packet sockets to give it";
    Launch launch{.command = shell(R"("$@"; echo; "$@"; echo; exec cat)"), .feed = GetParam().feed};
    if (launch.feed == Launch::packets)
        launch.messages = GetParam().input;
    else
        for (const auto& piece : GetParam().input)
            launch.input += piece;
    const auto r = run(launch);
    EXPECT_EQ(r.out, GetParam().after_two_runs);
    EXPECT_NE(std::find(GetParam().err.begin(), GetParam().err.end(), r.err), GetParam().err.end()) << r.err;
    EXPECT_EQ(r.status, 0);
}

// A file gives back exactly what follows the number, and nothing once the number ran to its end;
// a pipe or a stream socket loses the one byte that ended it, and no more: of a character of several
// bytes, the rest stays.
INSTANTIATE_TEST_SUITE_P(Streams, SharedInput, testing::Values(
    Shared{Launch::file, {"12 34 7abc"}, greeting + "das 12\n" + greeting + "das 34\n 7abc"},
    Shared{Launch::file, {"42"}, greeting + "das 42\n" + greeting + "das 0\n"},
    Shared{Launch::file, {"abc"}, greeting + "das 0\n" + greeting + "das 0\nabc"},
    Shared{Launch::pipe, {"12\n34 rest"}, greeting + "das 12\n" + greeting + "das 34\nrest"},
    Shared{Launch::socket, {"12\n34 rest"}, greeting + "das 12\n" + greeting + "das 34\nrest"},
    Shared{Launch::file, {"1\n\nx y"}, greeting + "das 1\n" + greeting + "das 0\nx y"},
    Shared{Launch::pipe, {"1\n\nx y"}, greeting + "das 1\n" + greeting + "das 0\n y"},
    Shared{Launch::pipe, {"7\u00e9!"}, greeting + "das 7\n" + greeting + "das 0\n!"}));

// A message is read whole, so the rest of the number's message is gone, and its end ends the
// number as a line end would: a message of blanks is skipped, and a sign alone is no number.
// A message of no bytes is the end of the input. A message of 64 KiB is read whole; a longer one
// is an error, not its first 64 KiB read as a number.
INSTANTIATE_TEST_SUITE_P(Messages, SharedInput, testing::Values(
    Shared{Launch::packets, {"12\n", "34 rest\n", "next\n"}, greeting + "das 12\n" + greeting + "das 34\nnext\n"},
    Shared{Launch::packets, {"42", "99\n", "next\n"}, greeting + "das 42\n" + greeting + "das 99\nnext\n"},
    Shared{Launch::packets, {" \n", "\t", "42", "7", "next\n"}, greeting + "das 42\n" + greeting + "das 7\nnext\n"},
    Shared{Launch::packets, {"-", "5", "next\n"}, greeting + "das 0\n" + greeting + "das 5\nnext\n"},
    Shared{Launch::packets, {"", "42", "next\n"}, greeting + "das 0\n" + greeting + "das 42\nnext\n"},
    Shared{Launch::packets, {std::string(65533, ' ') + "12\n", "34 rest\n", "next\n"},
           greeting + "das 12\n" + greeting + "das 34\nnext\n"},
    Shared{Launch::packets, {std::string(65534, ' ') + "12\n", "34 rest\n", "next\n"},
           greeting + "das 0\n" + greeting + "das 34\nnext\n",
           {"das: read error: Message too long\n", "das: read error: Message too large\n"}}));

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

// A file that cannot be handed back is a read error: the next reader would find the wrong byte.
TEST(Files, AFailedHandBackIsAReadError)
{
    if (const char* why = faults_cannot_be_made())
        GTEST_SKIP() << why;
    const auto r = run({.input = "12 rest", .feed = Launch::file, .stdin_seek_fails = true});
    EXPECT_EQ(r.out, greeting + "das 12");
    EXPECT_TRUE(r.err == "das: read error: Input/output error\n" || r.err == "das: read error: I/O error\n") << r.err;
    EXPECT_EQ(r.status, 1);
}

// A datagram socket has no end of input: das answers at the end of the number's message, without
// waiting for another, and takes that message whole, not a byte of it.
TEST(Messages, DatagramsAreReadWholeAndDasAnswersAtTheEndOfOne)
{
    if (das_on_windows)
        GTEST_SKIP() << "a Windows program takes a socket for a byte stream";
    const auto r = run({.feed = Launch::datagrams, .messages = {"12", "34\n"}});
    EXPECT_EQ(r.out, greeting + "das 12");
    EXPECT_EQ(r.status, 0);
}

// Each waits where das is seen asleep, and nothing but what it waits for can wake it; waiting
// costs no processor time.
TEST(NonBlocking, DasWaitsForANumberThatArrivesLateAndLeavesTheFlagOn)
{
    const auto r = run({.input = "42\n", .nonblocking = true, .late = true});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.input_left_nonblocking);
    EXPECT_LT(r.cpu_seconds, 0.5);
}

// Once the input has said "not now", its end is still the end: das answers, and waits no more.
TEST(NonBlocking, TheEndOfTheInputEndsANumberThatArrivedLate)
{
    const auto r = run({.input = "42", .nonblocking = true, .late = true, .late_then_end = true});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST(NonBlocking, DasWaitsForAnOutputThatIsFullAtTheStart)
{
    const auto r = run({.input = "42\n", .stdout_full = true});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_LT(r.cpu_seconds, 0.5);
}

// A copy of das that never ends, started through a shell by a test that then fails, ends with its
// test: what a test starts and leaves running is gone, not burning processor time for minutes.
TEST(Harness, WhatATestLeavesRunningEndsWithIt)
{
#ifndef __linux__
    GTEST_SKIP() << "a process's state is read from /proc";
#endif
    const auto r = run({.command = {"/bin/sh", "-c", "sleep 600 & echo $!"}});
    const int left = std::atoi(r.out.c_str());
    ASSERT_GT(left, 0) << r.out;
    // Gone, or ended and waiting for its new parent to collect it.
    const std::string path = "/proc/" + std::to_string(left) + "/stat";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string stat = "running";
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream file(path);
        if (!file)
            return;
        std::getline(file, stat);
        if (const auto end = stat.rfind(')'); end != std::string::npos && stat.compare(end, 3, ") Z") == 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "still running: " << stat;
    kill(left, SIGKILL);
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

// das, then the next reader, which reads the next typed line and shows it after das's exit status,
// as status=N next=[...]: a shell's read, or on Windows a helper built beside das.exe. With raw,
// on a terminal that passes each key on as it is typed (on Windows, the helper switches the
// console's line input off first); with an output file, das writes there, not to the terminal.
std::vector<std::string> das_then_next_reader(bool raw, const std::string& output = "")
{
    if (!das_on_windows) {
        const std::string to = output.empty() ? "" : " >'" + output + "'";
        return shell(R"("$@")" + to + R"(; status=$?; echo; IFS= read -r line; printf 'status=%s next=[%s]\n' "$status" "$line")");
    }
    const auto windows_path = [](std::string path) {
        path.insert(0, "Z:"); // Wine's drive for the host's root
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    };
    auto command = das_command;
    const std::string das = windows_path(command.back());
    command.back().replace(command.back().rfind('/') + 1, std::string::npos, "next_reader.exe");
    if (raw)
        command.push_back("--raw");
    if (!output.empty())
        command.insert(command.end(), {"--out", windows_path(output)});
    command.push_back(das);
    return command;
}

// Starts a command on a new pseudo-terminal with echo off; raw, the terminal passes on each byte
// as it comes, as a full-screen program sets it.
// Its extra end-of-line characters, where given, also end a line.
struct ExtraLineEnds {
    cc_t eol = 0;
    cc_t eol2 = 0;
};

// Out of line mode, a read may return with no key typed: at once (stty min 0 time 0), or after a
// wait in tenths of a second (time 5).
struct Polling {
    cc_t time = 0;
};

pid_t start_on_terminal(std::vector<std::string> command, int& terminal, bool raw = false, ExtraLineEnds ends = {},
                        std::optional<Polling> polling = std::nullopt)
{
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        std::signal(SIGPIPE, SIG_DFL);
        termios mode;
        tcgetattr(STDIN_FILENO, &mode);
        mode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        if (ends.eol)
            mode.c_cc[VEOL] = ends.eol;
#ifdef VEOL2
        if (ends.eol2)
            mode.c_cc[VEOL2] = ends.eol2;
#endif
        if (raw || das_on_windows)
            cfmakeraw(&mode);
        if (polling) {
            mode.c_lflag &= ~static_cast<tcflag_t>(ICANON);
            mode.c_cc[VMIN] = 0;
            mode.c_cc[VTIME] = polling->time;
        }
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

// PosixTerminal: a Unix terminal's own modes and devices, which a Windows build never meets; the
// Terminal suite is the one every build, Windows' console included, must run.

// A terminal that says "nothing yet" as an end would: das waits for the number all the same, past
// the terminal's own wait, and answers it.
class PollingTerminal : public testing::TestWithParam<cc_t> {};

TEST_P(PollingTerminal, DasWaitsForTheNumber)
{
    if (das_on_windows)
        GTEST_SKIP() << "Wine sets its host terminal's modes itself";
    int terminal;
    const pid_t pid = start_on_terminal(das_command, terminal, true, {}, Polling{GetParam()});
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Shows(read_screen(terminal, "\n"), "Hello, world!\n"));
    wait_until_asleep(pid);
    std::this_thread::sleep_for(std::chrono::milliseconds(100 * GetParam() + 200));
    send(terminal, "42\r");
    EXPECT_TRUE(Shows(read_screen(terminal, "never"), "das 42"));
    EXPECT_EQ(finish(pid), 0);
    close(terminal);
}

INSTANTIATE_TEST_SUITE_P(PosixTerminal, PollingTerminal, testing::Values(0, 5),
                         [](const auto& info) { return "Time" + std::to_string(info.param); });

// A polling terminal that hangs up ends the input: das answers 0 and ends, rather than wait on it
// for ever. Its output is a file, so that the answer outlives the terminal.
TEST(PosixTerminal, AHangUpEndsTheInputOfAPollingTerminal)
{
    if (das_on_windows)
        GTEST_SKIP() << "Wine sets its host terminal's modes itself";
    char path[] = "/tmp/das-output-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    int terminal;
    const pid_t pid = start_on_terminal(shell(std::string("trap '' HUP; exec \"$@\" >") + path), terminal, true, {},
                                        Polling{0});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(read_until(file, "\n"), "Hello, world!\n");
    wait_until_asleep(pid);
    close(terminal);
    EXPECT_EQ(finish(pid), 0);
    EXPECT_EQ(read_until(file, "das 0"), "das 0");
    close(file);
    unlink(path);
}

// Nobody types at a pseudo-terminal's master, though Linux answers for it with its slave's modes: it
// is read as a pipe is, and what follows the number stays for the next reader.
TEST(PosixTerminal, APseudoTerminalsMasterIsReadAsAPipe)
{
    if (das_on_windows)
        GTEST_SKIP() << "a Windows program is given no pseudo-terminal's master";
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    // In line mode, the master's answer for its slave; what is written into the slave comes out as it is.
    termios mode;
    tcgetattr(slave, &mode);
    mode.c_lflag |= ICANON;
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tcsetattr(slave, TCSANOW, &mode);
    send(slave, "12 34\n56 78\n");
    int from_das[2];
    make_pair(from_das);
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(master, STDIN_FILENO);
        dup2(from_das[1], STDOUT_FILENO);
        auto command = shell(R"("$@"; echo; IFS= read -r line; printf '[%s]' "$line")");
        auto argv = pointers(command);
        execv(argv[0], argv.data());
        _exit(127);
    }
    setpgid(pid, pid);
    close(from_das[1]);
    EXPECT_EQ(read_until(from_das[0], "]"), greeting + "das 12\n[34]");
    EXPECT_EQ(finish(pid), 0);
    close(from_das[0]);
    close(master);
    close(slave);
}

// Standard output alone a terminal: the input is a pipe, read as a pipe is, so the rest of its line
// stays for the next reader.
TEST(Terminal, InputFromAPipeIsReadAsAPipeWhenOnlyTheOutputIsATerminal)
{
    int terminal;
    const pid_t pid = start_on_terminal(
        shell(R"(printf '12 rest\n' | { "$@"; status=$?; echo; cat; echo "status=$status"; })"), terminal);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Shows(read_screen(terminal, "never"), "Hello, world!\r\ndas 12\r\nrest\r\nstatus=0\r\n"));
    EXPECT_EQ(finish(pid), 0);
    close(terminal);
}

// das on a terminal, then the next reader.
class NextReader : public testing::Test {
protected:
    // With an output file, das's greeting and answer go there, and nothing is awaited on screen.
    void start(bool raw, const std::string& output = "", ExtraLineEnds ends = {})
    {
        pid = start_on_terminal(das_then_next_reader(raw, output), terminal, raw, ends);
        ASSERT_GT(pid, 0);
        // A raw terminal does not turn a line feed into a carriage return and a line feed.
        if (output.empty()) {
            EXPECT_TRUE(Shows(read_screen(terminal, "\n"), raw ? "Hello, world!\n" : "Hello, world!\r\n"));
        }
    }
    void TearDown() override
    {
        if (pid > 0) {
            EXPECT_EQ(finish(pid), 0);
            close(terminal);
        }
    }
    int terminal = -1;
    pid_t pid = -1;
};

// However a typed line ends, das answers at its end, before anything else is typed; the rest of
// that line goes with the number, and the line that follows is the next reader's, whether it was
// typed at once or later.
struct TypedLine {
    const char* name;
    std::string typed;      // before das answers
    std::string then = "";  // once it has
    ExtraLineEnds ends = {};
};

void PrintTo(const TypedLine& line, std::ostream* os)
{
    *os << line.name;
}

class LineEnds : public NextReader, public testing::WithParamInterface<TypedLine> {};

TEST_P(LineEnds, RestOfTheTypedLineNeverReachesIt)
{
    if (das_on_windows && std::string_view(GetParam().name) != "Enter")
        GTEST_SKIP() << "Windows' console ends a line with Enter alone";
#ifndef VEOL2
    if (GetParam().ends.eol2)
        GTEST_SKIP() << "this system's terminals have no second extra end-of-line character";
#endif
    std::string typed = GetParam().typed, then = GetParam().then;
    for (auto* text : {&typed, &then})
        if (!text->empty() && text->back() == '\n')
            text->replace(text->size() - 1, 1, enter);
    start(false, "", GetParam().ends);
    send(terminal, typed);
    // What the next reader shows may come with the answer, when the line after it was typed at once.
    std::string screen = read_screen(terminal, "das 12");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "das 12", screen);
    send(terminal, then);
    if (screen.find(']') == std::string::npos)
        screen += read_screen(terminal, "]");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "status=0 next=[typed later]", screen);
}

INSTANTIATE_TEST_SUITE_P(NextReader, LineEnds, testing::Values(
    TypedLine{"Enter", "12 rm -rf ~\n", "typed later\n"},
    TypedLine{"CtrlDAfterText", "12 rm -rf ~\x04", "typed later\n"},
    TypedLine{"Eol", "12 rm -rf ~;typed later\n", "", {.eol = ';'}},
    TypedLine{"Eol2", "12 rm -rf ~|typed later\n", "", {.eol2 = '|'}}),
    [](const auto& info) { return info.param.name; });

TEST_F(NextReader, LinesTypedAheadStayForIt)
{
    start(false);
    send(terminal, "12 rm -rf ~" + enter + "typed ahead" + enter);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "status=0 next=[typed ahead]", read_screen(terminal, "]"));
}

// It is the input that is a terminal delivering whole lines, whatever standard output is.
TEST_F(NextReader, RestOfTheTypedLineGoesWithTheNumberWhenTheOutputIsAFile)
{
    char path[] = "/tmp/das-output-XXXXXX";
    const int file = mkstemp(path);
    ASSERT_GE(file, 0);
    start(false, path);
    const std::string greeted = read_until(file, "\n"); // das has greeted: its console is ready for keys
    send(terminal, "12 rm -rf ~" + enter + "typed ahead" + enter);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "status=0 next=[typed ahead]", read_screen(terminal, "]"));
    EXPECT_EQ(greeted + read_until(file, "das 12"), greeting + "das 12");
    close(file);
    unlink(path);
}

// A raw terminal passes on Enter as "\r", which ends the number: das answers before anything else
// is typed, and what is typed after it is the next reader's (a line ended by Ctrl-J).
TEST_F(NextReader, InRawModeEnterEndsTheNumberAndDasAnswersAtOnce)
{
    start(true);
    send(terminal, "12\r");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "das 12", read_screen(terminal, "das 12"));
    send(terminal, "rm\n");
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "status=0 next=[rm]", read_screen(terminal, "]"));
}

} // namespace
