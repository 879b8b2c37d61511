#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
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
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

int main()
{
    // The platform's answers: can this input be handed back (a regular file: a terminal may seek
    // too, and then seeking changes nothing), does it come in messages (a datagram or packet
    // socket), does it deliver whole typed lines (a terminal in line mode), may it say "nothing
    // yet" as an end (a terminal out of line mode); and its calls to read, write and close the two
    // descriptors, to wait on one that another program left non-blocking, and to wait for a key.
#ifdef _WIN32
    const HANDLE input = reinterpret_cast<HANDLE>(_get_osfhandle(0));
    DWORD console_mode;
    const bool lines = GetConsoleMode(input, &console_mode) && (console_mode & ENABLE_LINE_INPUT);
    const bool seekable = GetFileType(input) == FILE_TYPE_DISK;
    const bool messages = false;
    const bool keys = false;
    _setmode(0, _O_BINARY); // a text-mode offset counts each "\n" as "\r\n" and hands a file back at the wrong byte
    const auto receive = [](char* buffer, std::size_t size) { return _read(0, buffer, static_cast<unsigned>(size)); };
    const auto hand_back = [](std::size_t bytes) { return _lseeki64(0, -static_cast<long long>(bytes), SEEK_CUR) >= 0; };
    const auto send = [](const char* text, std::size_t size) { return _write(1, text, static_cast<unsigned>(size)); };
    const auto close_output = [] { return _close(1) == 0; };
    const auto wait_for_input = [] { return false; };
    const auto wait_for_output = [] { return false; };
    const auto wait_for_key = [] { return false; };
#else
    // A pseudo-terminal's master answers tcgetattr with its slave's modes on Linux, but nobody types
    // at it: only a master has a slave's name, and it is read as a pipe is.
    termios terminal;
    const bool typed = tcgetattr(STDIN_FILENO, &terminal) == 0 && !ptsname(STDIN_FILENO);
    const bool lines = typed && (terminal.c_lflag & ICANON);
    const bool keys = typed && !lines;
    struct stat status;
    const bool seekable = fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
    int type;
    socklen_t type_size = sizeof type;
    const bool messages = getsockopt(STDIN_FILENO, SOL_SOCKET, SO_TYPE, &type, &type_size) == 0 && type != SOCK_STREAM;
    const auto receive = [messages](char* buffer, std::size_t size) {
        if (!messages)
            return read(STDIN_FILENO, buffer, size);
        iovec part{buffer, size};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        const ssize_t n = recvmsg(STDIN_FILENO, &message, 0);
        if (n >= 0 && (message.msg_flags & MSG_TRUNC)) {
            errno = EMSGSIZE;
            return ssize_t{-1};
        }
        return n;
    };
    const auto hand_back = [](std::size_t bytes) { return lseek(STDIN_FILENO, -static_cast<off_t>(bytes), SEEK_CUR) >= 0; };
    const auto send = [](const char* text, std::size_t size) { return write(STDOUT_FILENO, text, size); };
    const auto close_output = [] { return close(STDOUT_FILENO) == 0; };
    const auto wait_for = [](int fd, short event) {
        pollfd ready{fd, event, 0};
        return poll(&ready, 1, -1) >= 0 || errno == EINTR;
    };
    const auto wait_for_input = [wait_for] { return wait_for(STDIN_FILENO, POLLIN); };
    const auto wait_for_output = [wait_for] { return wait_for(STDOUT_FILENO, POLLOUT); };
    // Out of line mode with no minimum count (stty min 0), a terminal's read says 0 when no key has
    // come yet: the input ends only when the terminal hangs up.
    const auto wait_for_key = [] {
        pollfd ready{STDIN_FILENO, POLLIN, 0};
        while (poll(&ready, 1, -1) < 0)
            if (errno != EINTR)
                return false;
        return !(ready.revents & (POLLHUP | POLLERR | POLLNVAL));
    };
#endif
    // "Not now" from a non-blocking descriptor is neither the end of the input nor a failed write.
    const auto again = [](auto wait) { return errno == EINTR || ((errno == EAGAIN || errno == EWOULDBLOCK) && wait()); };

    // Every byte is written, or das says why not; nothing is held back in a buffer, so the greeting
    // is out before das waits: a program holding both ends waits for it before it writes the number.
    const auto put = [&](const char* text, std::size_t size) {
        while (size > 0) {
            const auto n = send(text, size);
            if (n > 0) {
                text += n;
                size -= static_cast<std::size_t>(n);
            } else if (n == 0) {
                errno = ENOSPC; // an output that takes nothing and says no more would take it for ever
                return false;
            } else if (!again(wait_for_output)) {
                return false;
            }
        }
        return true;
    };
    const auto write_error = [](int error) {
        std::fprintf(stderr, "das: write error: %s\n", std::strerror(error));
        return 1;
    };

    static const char greeting[] = "Hello, world!\n";
    if (!put(greeting, sizeof greeting - 1))
        return write_error(errno); // with nobody to greet there is no dialogue: the input stays unread

    // What das leaves unread belongs to the next reader: input it cannot seek back in is read a byte
    // at a time, and a file read ahead is handed back. Two kinds of input come in pieces that a read
    // takes whole or not at all, and they are read whole, as large as a UDP datagram can be: a
    // message of a datagram or packet socket (a byte-sized read would throw away the rest of it; a
    // longer one is an error, never a number taken from its first part), and a line typed at a
    // terminal in line mode, however it was ended (Enter, Ctrl-D after some text, or the terminal's
    // extra end-of-line characters): the rest of that line goes with the number, so the shell
    // never runs it, and the next line stays unread. The end of such a piece ends a number as a
    // line end would: a datagram socket has no end of input, and the next message or line may be
    // long in coming. A message of no bytes cannot be told from the end of the input, and ends it.
    static char buffer[65536];
    const bool pieces = messages || lines;
    const std::size_t chunk = seekable || pieces ? sizeof buffer : 1;
    std::size_t filled = 0, used = 0;
    bool in_piece = false, ended = false;
    int read_errno = 0;
    const auto next = [&]() -> int {
        if (used == filled && in_piece) {
            in_piece = false;
            return '\n';
        }
        while (used == filled && !ended) {
            const auto n = receive(buffer, chunk);
            if (n > 0) {
                filled = static_cast<std::size_t>(n);
                used = 0;
                in_piece = pieces;
            } else if (n == 0 && keys && wait_for_key()) {
                continue;
            } else if (n == 0 || !again(wait_for_input)) {
                read_errno = n == 0 ? 0 : errno;
                ended = true;
            }
        }
        return used < filled ? static_cast<unsigned char>(buffer[used++]) : EOF;
    };

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

    if (seekable && c != EOF) {
        if (!hand_back(filled - used + 1)) // back to the character that ended the number
            read_errno = errno;
    }

    char answer[16];
    const int length = std::snprintf(answer, sizeof answer, "das %d", number);
    // Some file systems report a failed write only when the file is closed.
    const bool written = put(answer, static_cast<std::size_t>(length)) && close_output();
    const int write_errno = written ? 0 : errno;

    if (read_errno != 0)
        std::fprintf(stderr, "das: read error: %s\n", std::strerror(read_errno));
    if (write_errno != 0)
        return write_error(write_errno);
    return read_errno != 0 ? 1 : 0;
}
