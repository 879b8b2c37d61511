#include "run.h"

#include <gtest/gtest.h>

namespace {

// The reason text das passes on from its C runtime: msvcrt, run by Wine, says "Invalid argument"
// for a closed or unreadable input and for a pipe whose reader has gone.
std::string reason(const char* posix, const char* windows = "Invalid argument")
{
    return das_on_windows ? windows : posix;
}

struct Case {
    std::string input;
    std::string echo;
};

void PrintTo(const Case& c, std::ostream* os)
{
    if (c.input.size() <= 40)
        *os << testing::PrintToString(c.input) << " -> " << c.echo;
    else
        *os << c.input.size() << " bytes -> " << c.echo;
}

class Echo : public testing::TestWithParam<Case> {};

TEST_P(Echo, GreetsThenEchoesTheNumberRead)
{
    const auto r = run_das(GetParam().input);
    EXPECT_EQ(r.out, greeting + GetParam().echo);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

INSTANTIATE_TEST_SUITE_P(Numbers, Echo, testing::Values(
    Case{"42\n", "das 42"},
    Case{" \t\n\v\f\r\n\n-17\n", "das -17"},
    Case{"+8", "das 8"},
    Case{"010", "das 10"},
    Case{"0x1A", "das 0"},
    Case{"7abc", "das 7"},
    Case{"12 34", "das 12"},
    Case{"-0", "das 0"},
    Case{"2147483647", "das 2147483647"},
    Case{"-2147483648", "das -2147483648"}));

INSTANTIATE_TEST_SUITE_P(NoNumberEchoesZero, Echo, testing::Values(
    Case{"", "das 0"},
    Case{" \n\n", "das 0"},
    Case{"abc", "das 0"},
    Case{"-", "das 0"},
    Case{"+x", "das 0"},
    Case{"- 5", "das 0"},
    Case{std::string("\0 42", 4), "das 0"}));

INSTANTIATE_TEST_SUITE_P(OutOfRangeSaturates, Echo, testing::Values(
    Case{"2147483648", "das 2147483647"},
    Case{"-2147483649", "das -2147483648"},
    Case{"4294967338", "das 2147483647"},           // 2^32 + 42
    Case{"18446744073709551658", "das 2147483647"}, // 2^64 + 42
    Case{"99999999999999999999999999999", "das 2147483647"},
    Case{"-99999999999999999999999999999", "das -2147483648"},
    Case{std::string(100000, '0') + "42", "das 42"},
    Case{"-" + std::string(100000, '0') + "2147483648", "das -2147483648"}));

TEST(Failure, FullDeviceIsAWriteError)
{
    const auto r = run({.input = "5", .stdout_path = "/dev/full"});
    EXPECT_EQ(r.err, "das: write error: No space left on device" + eol);
    EXPECT_EQ(r.status, 1);
}

TEST(Failure, ClosedStdoutIsAWriteError)
{
    const auto r = run({.input = "5", .close_stdout = true});
    EXPECT_EQ(r.err, "das: write error: Bad file descriptor" + eol);
    EXPECT_EQ(r.status, 1);
}

TEST(Failure, GoneReaderIsAWriteErrorWhenSigpipeIsIgnored)
{
    const auto r = run({.input = "5", .stdout_reader_gone = true, .ignore_sigpipe = true});
    EXPECT_EQ(r.err, "das: write error: " + reason("Broken pipe") + eol);
    EXPECT_EQ(r.status, 1);
}

TEST(Failure, GoneReaderEndsDasBySigpipe)
{
    if (das_on_windows)
        GTEST_SKIP() << "Windows has no SIGPIPE: a gone reader is a write error, as in the test above";
    EXPECT_EQ(run({.input = "5", .stdout_reader_gone = true}).status, 128 + SIGPIPE);
}

TEST(Failure, ErrorReportedOnlyAtCloseIsAWriteError)
{
    if (const char* why = faults_cannot_be_made())
        GTEST_SKIP() << why;
    const auto r = run({.input = "5", .stdout_close_fails = true});
    EXPECT_EQ(r.out, greeting + "das 5");
    EXPECT_TRUE(r.err == "das: write error: Input/output error\n" || r.err == "das: write error: I/O error\n") << r.err;
    EXPECT_EQ(r.status, 1);
}

// A read error is told first, then the write error, each with its own reason.
TEST(Failure, ReadErrorAndThenWriteErrorEachHaveTheirReason)
{
    if (const char* why = faults_cannot_be_made())
        GTEST_SKIP() << why;
    const auto r = run({.stdin_path = "/", .stdout_close_fails = true});
    EXPECT_EQ(r.out, greeting + "das 0");
    EXPECT_TRUE(r.err == "das: read error: Is a directory\ndas: write error: Input/output error\n" ||
                r.err == "das: read error: Is a directory\ndas: write error: I/O error\n") << r.err;
    EXPECT_EQ(r.status, 1);
}

// An output that takes nothing and reports no error would be offered the same bytes for ever.
TEST(Failure, WriteThatTakesNothingIsAWriteError)
{
    if (const char* why = faults_cannot_be_made())
        GTEST_SKIP() << why;
    const auto r = run({.input = "5", .stdout_takes_nothing = true});
    EXPECT_EQ(r.err, "das: write error: No space left on device\n");
    EXPECT_EQ(r.status, 1);
}

TEST(Output, WritesThatTakePartOfWhatIsOfferedLoseNothing)
{
    if (const char* why = faults_cannot_be_made())
        GTEST_SKIP() << why;
    const auto r = run({.input = "-2147483648", .stdout_takes_at_most = 2}); // the answer is 15 bytes
    EXPECT_EQ(r.out, greeting + "das -2147483648");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

// Once the greeting cannot be written there is no dialogue: das ends at once and reads nothing,
// so all of the input is left for the next reader.
class FailedGreeting : public testing::TestWithParam<const char*> {};

TEST_P(FailedGreeting, EndsDasBeforeItReadsAnything)
{
    const auto r = run({.command = shell(std::string(R"("$@" )") + GetParam() + R"(; echo "status $?"; exec cat)"),
                        .input = "5 rest\n"});
    EXPECT_EQ(r.out, "status 1\n5 rest\n");
}

INSTANTIATE_TEST_SUITE_P(Output, FailedGreeting, testing::Values(">/dev/full", ">&-"),
                         [](const auto& info) { return info.index == 0 ? "FullDevice" : "Closed"; });

TEST(Failure, DirectoryOnStdinIsAReadErrorAndStillEchoes)
{
    const auto r = run({.stdin_path = "/"});
    EXPECT_EQ(r.out, greeting + "das 0");
    EXPECT_EQ(r.err, "das: read error: " + reason("Is a directory") + eol);
    EXPECT_EQ(r.status, 1);
}

TEST(Failure, ClosedStdinIsAReadError)
{
    const auto r = run({.close_stdin = true});
    EXPECT_EQ(r.out, greeting + "das 0");
    EXPECT_EQ(r.err, "das: read error: " + reason("Bad file descriptor") + eol);
    EXPECT_EQ(r.status, 1);
}

// A run of blanks and digits far larger than the room das is given: whatever it keeps of its input
// must not grow with it.
TEST(Memory, DoesNotGrowWithTheInput)
{
    const int room_mib = 16;
    if (run({.input = "42", .feed = Launch::file, .address_space_mib = room_mib}).status != 0)
        GTEST_SKIP() << "this das cannot start in " << room_mib << " MiB of address space: "
                     << "a sanitizer, qemu or Wine maps more than that for itself";
    const auto r = run({.input = std::string(24 << 20, ' ') + std::string(24 << 20, '0') + "42",
                        .feed = Launch::file,
                        .address_space_mib = room_mib});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.status, 0);
}

TEST(Environment, ArgumentsChangeNothing)
{
    auto command = das_command;
    command.insert(command.end(), {"--help", "-x", "99"});
    const auto r = run({.command = command, .input = "42"});
    EXPECT_EQ(r.out, greeting + "das 42");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST(Environment, EmptyEnvironmentChangesNothing)
{
    const auto r = run({.input = " 1234567\n", .env = std::vector<std::string>{}});
    EXPECT_EQ(r.out, greeting + "das 1234567");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

} // namespace
