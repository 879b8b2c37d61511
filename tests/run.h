// Runs a program (das by default) with chosen standard streams and collects what it did.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct Launch {
    std::vector<std::string> command = {DAS_PATH};
    std::string input;                           // the bytes on standard input
    enum { pipe, file } feed = pipe;             // how they arrive
    const char* stdin_path = nullptr;            // or open this instead ("/" for a directory)
    const char* stdout_path = nullptr;           // or write standard output here ("/dev/full")
    bool close_stdin = false;
    bool close_stdout = false;
    bool stdout_reader_gone = false;             // standard output is a pipe nobody reads any more
    bool ignore_sigpipe = false;
    std::optional<std::vector<std::string>> env; // replaces the environment when set
};

struct Outcome {
    std::string out;
    std::string err;
    int status = -1; // the exit status, or 128 + the signal that ended the program
};

Outcome run(const Launch& launch);

// The null-terminated array of pointers that exec takes, into `strings`.
std::vector<char*> pointers(std::vector<std::string>& strings);

inline Outcome run_das(std::string input)
{
    return run({.input = std::move(input)});
}
