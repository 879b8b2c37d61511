#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unistd.h>

int main()
{
    const bool terminal = isatty(STDIN_FILENO);
    // What das leaves unread belongs to the next reader: input it cannot seek back in is read a byte at a time.
    if (lseek(STDIN_FILENO, 0, SEEK_CUR) < 0)
        std::setvbuf(stdin, nullptr, _IONBF, 0);

    // Flushed at once: a program holding both ends waits for the greeting before it writes the number.
    int write_errno = (std::printf("Hello, world!\n") < 0 || std::fflush(stdout) != 0) ? errno : 0;

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
        // Given back unread; on a seekable input, exit moves the descriptor back to it.
        std::ungetc(c, stdin);
    }
    const int read_errno = std::ferror(stdin) ? errno : 0;

    if (std::printf("das %d", number) < 0 || std::fflush(stdout) != 0)
        write_errno = errno;

    if (read_errno != 0)
        std::fprintf(stderr, "das: read error: %s\n", std::strerror(read_errno));
    if (write_errno != 0)
        std::fprintf(stderr, "das: write error: %s\n", std::strerror(write_errno));
    return read_errno != 0 || write_errno != 0 ? 1 : 0;
}
