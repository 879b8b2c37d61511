// The next reader on a Windows console, for the terminal tests of das.exe:
//
//   next_reader.exe [--raw] [--out FILE] PROGRAM
//
// starts PROGRAM on this console, waits for it to end, then reads the rest of the typed line that
// follows, a byte at a time, and shows it after PROGRAM's exit status as status=N next=[...]; it
// ends with that status. With --raw it first switches the console's line input and echo off, as a
// full-screen program does, and das.exe then finds a console that passes each key on as it is
// typed; with --out, PROGRAM's standard output is FILE instead of the console.
#include <cstdio>
#include <cstring>
#include <windows.h>

int main(int argc, char** argv)
{
    int next = 1;
    const bool raw = next < argc && std::strcmp(argv[next], "--raw") == 0;
    next += raw;
    const char* out = nullptr;
    if (next + 1 < argc && std::strcmp(argv[next], "--out") == 0) {
        out = argv[next + 1];
        next += 2;
    }
    if (next != argc - 1) {
        std::fprintf(stderr, "usage: next_reader [--raw] [--out FILE] PROGRAM\n");
        return 2;
    }
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    if (raw && !(GetConsoleMode(input, &mode) && SetConsoleMode(input, mode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT))))
        return 3;

    char command[MAX_PATH + 3];
    std::snprintf(command, sizeof command, "\"%s\"", argv[argc - 1]);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (out) {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        startup.hStdOutput = CreateFileA(out, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
        if (startup.hStdOutput == INVALID_HANDLE_VALUE)
            return 6;
        startup.hStdInput = input;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.dwFlags = STARTF_USESTDHANDLES;
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 4;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 5;
    GetExitCodeProcess(process.hProcess, &status);

    char line[256];
    std::size_t length = 0;
    DWORD n;
    while (length < sizeof line - 1 && ReadFile(input, &line[length], 1, &n, nullptr) && n == 1 &&
           line[length] != '\r' && line[length] != '\n')
        ++length;
    line[length] = '\0';
    std::printf("\nstatus=%lu next=[%s]\n", static_cast<unsigned long>(status), line);
    return static_cast<int>(status);
}
