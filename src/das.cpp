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
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

int main()
{
    // The platform's answers: can this input be handed back (a file), does it come in messages (a
    // datagram or packet socket), does it deliver whole typed lines (a terminal in line mode), and
    // how to wait for input on a descriptor that another program left non-blocking.
#ifdef _WIN32
    const HANDLE input = reinterpret_cast<HANDLE>(_get_osfhandle(0));
    DWORD console_mode;
    const bool lines = GetConsoleMode(input, &console_mode) && (console_mode & ENABLE_LINE_INPUT);
    const bool seekable = GetFileType(input) == FILE_TYPE_DISK;
    const bool messages = false;
    const auto wait_for_input = [] { return false; };
    _setmode(0, _O_BINARY); // a text-mode offset counts each "\n" as "\r\n" and hands a file back at the wrong byte
#else
    termios terminal;
    const bool lines = tcgetattr(STDIN_FILENO, &terminal) == 0 && (terminal.c_lflag & ICANON);
    const bool seekable = lseek(STDIN_FILENO, 0, SEEK_CUR) >= 0;
    int type;
    socklen_t type_size = sizeof type;
    const bool messages = getsockopt(STDIN_FILENO, SOL_SOCKET, SO_TYPE, &type, &type_size) == 0 && type != SOCK_STREAM;
    const auto wait_for_input = [] {
        pollfd ready{STDIN_FILENO, POLLIN, 0};
        return poll(&ready, 1, -1) >= 0 || errno == EINTR;
    };
#endif
    // What das leaves unread belongs to the next reader: input it cannot seek back in is read a byte
    // at a time. A message cannot be left in part, and a byte-sized read would throw away the rest
    // of it, so messages are read whole, as large as a UDP datagram can be.
    static char message[65536];
    if (messages)
        std::setvbuf(stdin, message, _IOFBF, sizeof message);
    else if (!seekable)
        std::setvbuf(stdin, nullptr, _IONBF, 0);

    // "Nothing yet" from a non-blocking descriptor is not the end of the input.
    const auto next = [&wait_for_input] {
        int c;
        while ((c = std::getchar()) == EOF && std::ferror(stdin) && (errno == EAGAIN || errno == EWOULDBLOCK) &&
               wait_for_input())
            std::clearerr(stdin);
        return c;
    };

    // Flushed at once: a program holding both ends waits for the greeting before it writes the number.
    // Some runtimes report a failed unbuffered write only through ferror, never through a result.
    int write_errno =
        (std::printf("Hello, world!\n") < 0 || std::fflush(stdout) != 0 || std::ferror(stdout)) ? errno : 0;

    int c;
    while (std::isspace(c = next()))
        ;
    const bool negative = c == '-';
    if (c == '-' || c == '+')
        c = next();
    // Out-of-range numbers saturate; accumulating stops at the cap, so no run of digits can overflow.
    const long long cap = -static_cast<long long>(INT_MIN);
    long long magnitude = 0;
    for (; std::isdigit(c); c = next())
        if (magnitude < cap)
            magnitude = magnitude * 10 + (c - '0');
    const int number = static_cast<int>(negative ? -std::min(magnitude, cap) : std::min(magnitude, cap - 1));

    if (lines) {
        // The rest of the typed line goes with the number, so the shell never runs it as a command.
        while (c != '\n' && c != EOF)
            c = next();
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
