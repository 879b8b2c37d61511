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
    // How they arrive; packets and datagrams carry one message per line.
    enum { pipe, file, socket, packets, datagrams } feed = pipe;
    long long file_hole = 0;                     // a file's input follows a hole this long, where das starts
    bool nonblocking = false;                    // the input is non-blocking, as an event loop leaves it
    int delay_ms = 0;                            // the input is written only this long after the start
    const char* stdin_path = nullptr;            // or open this instead ("/" for a directory)
    const char* stdout_path = nullptr;           // or write standard output here ("/dev/full")
    bool close_stdin = false;
    bool close_stdout = false;
    bool stdout_reader_gone = false;             // standard output is a pipe nobody reads any more
    bool stdout_full = false;                    // a non-blocking pipe, full when das starts, drained later
    bool stdout_close_fails = false;             // closing standard output fails with EIO (Linux only)
    int address_space_mib = 0;                   // when set, das may map no more than this
    bool ignore_sigpipe = false;
    std::optional<std::vector<std::string>> env; // replaces the environment when set
};

struct Outcome {
    std::string out;
    std::string err;
    int status = -1; // the exit status, or 128 + the signal that ended the program
    bool input_left_nonblocking = false; // a non-blocking input still is once das has ended
};

Outcome run(const Launch& launch);

// A pair of connected descriptors, closed on exec: a pipe's read and write ends, or with a socket
// type (SOCK_STREAM, SOCK_SEQPACKET, SOCK_DGRAM) a socket pair.
void make_pair(int pair[2], int socket_type = 0);

// The null-terminated array of pointers that exec takes, into `strings`.
std::vector<char*> pointers(std::vector<std::string>& strings);

inline Outcome run_das(std::string input)
{
    return run({.input = std::move(input)});
}
