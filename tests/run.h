// Runs a program (das by default) with chosen standard streams and collects what it did.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The command under test, as the build under test names it: a launcher, if das needs one, then das.
const std::vector<std::string>& command_under_test();
inline const std::vector<std::string>& das_command = command_under_test();

// das is a Windows program here: its line end is "\r\n", it has no SIGPIPE and no terminal
// tests, and its reasons for failing are its C runtime's.
inline const bool das_on_windows = command_under_test().back().ends_with(".exe");

// Why the faults of a launch (stdout_close_fails and the rest) cannot be made for this das, or null.
inline const char* faults_cannot_be_made()
{
#ifndef __linux__
    return "the faults are made with Linux's seccomp";
#endif
    if (das_on_windows)
        return "Wine reads, writes and closes descriptors of its own, never the ones das.exe came with";
    return nullptr;
}

// The line end das writes: its streams are text streams.
inline const std::string eol = das_on_windows ? "\r\n" : "\n";
inline const std::string greeting = "Hello, world!" + eol;

// A shell script run with the command under test as "$@".
inline std::vector<std::string> shell(std::string script)
{
    std::vector<std::string> command = {"/bin/sh", "-c", std::move(script), "das"};
    command.insert(command.end(), das_command.begin(), das_command.end());
    return command;
}

struct Launch {
    std::vector<std::string> command = das_command;
    std::string input;                           // the bytes on standard input
    enum { pipe, file, socket, packets, datagrams } feed = pipe;
    std::vector<std::string> messages;           // a packet or datagram socket's input, a message each
    long long file_hole = 0;                     // a file's input follows a hole this long, where das starts
    bool nonblocking = false;                    // the input is non-blocking, as an event loop leaves it
    // The input is written only once das has greeted and is seen waiting for it, and its writer is
    // kept open until das has ended (unless late_then_end), so that nothing but the input can wake das.
    bool late = false;
    bool late_then_end = false;                  // with late: the writer closes once it has written
    const char* stdin_path = nullptr;            // or open this instead ("/" for a directory)
    const char* stdout_path = nullptr;           // or write standard output here ("/dev/full")
    bool close_stdin = false;
    bool close_stdout = false;
    bool stdout_reader_gone = false;             // standard output is a pipe nobody reads any more
    bool stdout_full = false;                    // a non-blocking pipe, full until das is seen waiting on it
    // Faults that the system calls on standard input and output are made to show, Linux only: a
    // close that fails with EIO (and leaves the descriptor open), a seek that fails with EIO, a
    // write that takes nothing and returns 0, and writes that each take at most this many bytes.
    bool stdout_close_fails = false;
    bool stdin_seek_fails = false;
    bool stdout_takes_nothing = false;
    int stdout_takes_at_most = 0;
    int address_space_mib = 0;                   // when set, das may map no more than this
    bool ignore_sigpipe = false;
    std::optional<std::vector<std::string>> env; // replaces the environment when set
};

struct Outcome {
    std::string out;
    std::string err;
    int status = -1; // the exit status, or 128 + the signal that ended the program
    bool input_left_nonblocking = false; // a non-blocking input still is once das has ended
    double cpu_seconds = 0; // the user and system time das used, from wait4
};

// How long a program may run before it is ended by SIGALRM, so that a hang fails its test soon.
inline constexpr unsigned time_limit_seconds = 30;

Outcome run(const Launch& launch);

// A pair of connected descriptors, closed on exec: a pipe's read and write ends, or with a socket
// type (SOCK_STREAM, SOCK_SEQPACKET, SOCK_DGRAM) a socket pair.
void make_pair(int pair[2], int socket_type = 0);

// The null-terminated array of pointers that exec takes, into `strings`.
std::vector<char*> pointers(std::vector<std::string>& strings);

// Ends what is left of the process group that the test's process `pid` leads, once it has ended:
// a das that a shell started, still running after a failed test, ends with its test.
void end_group(int pid);

// Waits until the process `pid` is seen asleep in the kernel, steadily, as one waiting for input or
// output is, or a few seconds have passed. Where the system cannot tell (no /proc), it waits a moment.
void wait_until_asleep(int pid);

inline Outcome run_das(std::string input)
{
    return run({.input = std::move(input)});
}
