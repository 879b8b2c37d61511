#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#ifdef _WIN32
#define NOMINMAX 1 // MSVC's windows.h would make min a macro and break std::min
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

int main()
{
    // The platform's answers: can this input be handed back (a file), and is it an interactive console?
#ifdef _WIN32
    const HANDLE input = reinterpret_cast<HANDLE>(_get_osfhandle(0));
    DWORD console_mode;
    const bool terminal = GetConsoleMode(input, &console_mode) != 0;
    const bool seekable = GetFileType(input) == FILE_TYPE_DISK;
    _setmode(0, _O_BINARY); // a text-mode offset counts each "\n" as "\r\n" and hands a file back at the wrong byte
#else
    const bool terminal = isatty(STDIN_FILENO);
    const bool seekable = lseek(STDIN_FILENO, 0, SEEK_CUR) >= 0;
#endif
    // What das leaves unread belongs to the next reader: input it cannot seek back in is read a byte at a time.
    if (!seekable)
        std::setvbuf(stdin, nullptr, _IONBF, 0);

    // Flushed at once: a program holding both ends waits for the greeting before it writes the number.
    // Some runtimes report a failed unbuffered write only through ferror, never through a result.
    int write_errno =
        (std::printf("Hello, world!\n") < 0 || std::fflush(stdout) != 0 || std::ferror(stdout)) ? errno : 0;

    int c;
    while (std::isspace(c = std::getchar()))
        ;
    const bool negative = c == '-';
    if (c == '-' || c == '+')
        c = std::getchar();
    // Out-of-range numbers saturate; accumulating stops at the cap, so no run of digits can overflow.
    const long long cap = -static_cast<long long>(INT_MIN);
    long long magnitude = 0;
    for (; std::isdigit(c); c = std::getchar())
        if (magnitude < cap)
            magnitude = magnitude * 10 + (c - '0');
    const int number = static_cast<int>(negative ? -std::min(magnitude, cap) : std::min(magnitude, cap - 1));

    if (terminal) {
        // The rest of the typed line goes with the number, so the shell never runs it as a command.
        while (c != '\n' && c != EOF)
            c = std::getchar();
    } else if (c != EOF) {
        std::ungetc(c, stdin);
        // Handed back here, not left to exit: only POSIX's exit moves the descriptor back to the unread byte.
        if (seekable)
            std::fseek(stdin, 0, SEEK_CUR);
    }
    const int read_errno = std::ferror(stdin) ? errno : 0;

    const bool echo_failed = std::printf("das %d", number) < 0 || std::fflush(stdout) != 0 || std::ferror(stdout);
    if (echo_failed && write_errno == 0)
        write_errno = errno;

    if (read_errno != 0)
        std::fprintf(stderr, "das: read error: %s\n", std::strerror(read_errno));
    if (write_errno != 0)
        std::fprintf(stderr, "das: write error: %s\n", std::strerror(write_errno));
    return read_errno != 0 || write_errno != 0 ? 1 : 0;
}
