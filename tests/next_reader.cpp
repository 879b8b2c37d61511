// The next reader on a Windows console, for the terminal tests of das.exe:
//
//   next_reader.exe [--raw] PROGRAM
//
// starts PROGRAM on this console, waits for it to end, then reads the rest of the typed line that
// follows, a byte at a time, and shows it as next=[...]; it ends with PROGRAM's exit status. With
// --raw it first switches the console's line input and echo off, as a full-screen program does,
// and das.exe then finds a console that passes each key on as it is typed.
#include <cstdio>
#include <cstring>
#include <windows.h>

int main(int argc, char** argv)
{
    const bool raw = argc == 3 && std::strcmp(argv[1], "--raw") == 0;
    if (argc != (raw ? 3 : 2)) {
        std::fprintf(stderr, "usage: next_reader [--raw] PROGRAM\n");
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
    std::printf("\nnext=[%s]\n", line);
    return static_cast<int>(status);
}
