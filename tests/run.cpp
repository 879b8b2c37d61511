#include "run.h"

#include <csignal>
#include <cstddef>
#include <fstream>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#endif

namespace {

int check(int result, const char* what)
{
    if (result < 0)
        throw std::runtime_error(what);
    return result;
}

int close_on_exec(int fd)
{
    check(fcntl(fd, F_SETFD, FD_CLOEXEC), "fcntl");
    return fd;
}

// A file nobody else can open: created, then unlinked at once.
int temporary_file()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/das-test-XXXXXX";
    const int fd = check(mkstemp(path.data()), "mkstemp");
    unlink(path.c_str());
    return close_on_exec(fd);
}

std::string read_all(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

void write_all(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0)
            return; // the reader has gone: what it left unread is its business
        done += static_cast<std::size_t>(n);
    }
}

void set_nonblocking(int fd)
{
    check(fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK), "fcntl");
}

// Each line, with its line end, as a message of its own.
void send_lines(int fd, const std::string& bytes)
{
    for (std::size_t start = 0, end; start < bytes.size(); start = end) {
        end = std::min(bytes.find('\n', start), bytes.size() - 1) + 1;
        if (send(fd, bytes.data() + start, end - start, 0) < 0)
            return;
    }
}

// From here on, closing standard output fails with EIO (and leaves it open), as a file system
// that reports a failed write only at close would: a filter on the system call, which works on
// a static program too.
void make_close_of_stdout_fail()
{
#ifdef __linux__
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_close, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])), // its low half
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, STDOUT_FILENO, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EIO),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{sizeof filter / sizeof *filter, filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0)
        return;
#endif
    _exit(126);
}

} // namespace

void make_pair(int pair[2], int socket_type)
{
    check(socket_type ? socketpair(AF_UNIX, socket_type, 0, pair) : pipe(pair), "pipe or socketpair");
    close_on_exec(pair[0]);
    close_on_exec(pair[1]);
}

// A line each, from the file the build wrote; read on first use, whichever file's setup asks first.
const std::vector<std::string>& command_under_test()
{
    static const std::vector<std::string> command = [] {
        std::ifstream file(DAS_COMMAND_FILE);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        if (lines.empty())
            throw std::runtime_error("no command under test in " DAS_COMMAND_FILE);
        return lines;
    }();
    return command;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

Outcome run(const Launch& launch)
{
    std::signal(SIGPIPE, SIG_IGN); // the parent writes input that das may never read

    int in_pair[2] = {-1, -1};
    int in_fd;
    if (launch.stdin_path) {
        in_fd = check(open(launch.stdin_path, O_RDONLY), "open stdin");
        close_on_exec(in_fd);
    } else if (launch.feed == Launch::file) {
        in_fd = temporary_file();
        lseek(in_fd, launch.file_hole, SEEK_SET);
        write_all(in_fd, launch.input);
        lseek(in_fd, launch.file_hole, SEEK_SET);
    } else {
        make_pair(in_pair, launch.feed == Launch::socket      ? SOCK_STREAM
                           : launch.feed == Launch::packets   ? SOCK_SEQPACKET
                           : launch.feed == Launch::datagrams ? SOCK_DGRAM
                                                              : 0);
        in_fd = in_pair[0];
        // The flag belongs to the open file, so das finds its input non-blocking too.
        if (launch.nonblocking)
            set_nonblocking(in_fd);
    }
    int out_pipe[2] = {-1, -1};
    int out_fd;
    std::size_t filler = 0;
    if (launch.stdout_path) {
        out_fd = check(open(launch.stdout_path, O_WRONLY), "open stdout");
        close_on_exec(out_fd);
    } else if (launch.stdout_reader_gone) {
        make_pair(out_pipe);
        close(out_pipe[0]);
        out_fd = out_pipe[1];
    } else if (launch.stdout_full) {
        make_pair(out_pipe);
        set_nonblocking(out_pipe[1]);
        while (write(out_pipe[1], "~", 1) == 1)
            ++filler;
        out_fd = out_pipe[1];
    } else {
        out_fd = temporary_file();
    }
    const int err_fd = temporary_file();

    auto argv_strings = launch.command;
    auto env_strings = launch.env.value_or(std::vector<std::string>{});
    auto argv = pointers(argv_strings);
    auto envp = pointers(env_strings);

    const pid_t pid = check(fork(), "fork");
    if (pid == 0) {
        std::signal(SIGPIPE, launch.ignore_sigpipe ? SIG_IGN : SIG_DFL);
        dup2(in_fd, STDIN_FILENO);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        if (launch.close_stdin)
            close(STDIN_FILENO);
        if (launch.close_stdout)
            close(STDOUT_FILENO);
        if (launch.address_space_mib > 0) {
            const rlim_t bytes = static_cast<rlim_t>(launch.address_space_mib) << 20;
            const rlimit limit{bytes, bytes};
            setrlimit(RLIMIT_AS, &limit);
        }
        if (launch.stdout_close_fails)
            make_close_of_stdout_fail();
        if (launch.env)
            execve(argv[0], argv.data(), envp.data());
        else
            execv(argv[0], argv.data());
        _exit(127);
    }

    // A non-blocking input is kept, to see whether das left the flag on; it is small enough that
    // writing it never waits for a reader.
    if (!launch.nonblocking)
        close(in_fd);
    if (in_pair[1] >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(launch.delay_ms));
        if (launch.feed == Launch::packets || launch.feed == Launch::datagrams)
            send_lines(in_pair[1], launch.input);
        else
            write_all(in_pair[1], launch.input);
        close(in_pair[1]);
    }
    Outcome outcome;
    if (launch.stdout_full) {
        // Long enough for das to find its output full; then drained, and read to the end.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        close(out_fd);
        out_fd = -1;
        char buffer[4096];
        for (ssize_t n; (n = read(out_pipe[0], buffer, sizeof buffer)) > 0;)
            outcome.out.append(buffer, static_cast<std::size_t>(n));
        close(out_pipe[0]);
        outcome.out.erase(0, filler);
    }
    int status;
    check(waitpid(pid, &status, 0), "waitpid");

    if (launch.nonblocking) {
        outcome.input_left_nonblocking = fcntl(in_fd, F_GETFL) & O_NONBLOCK;
        close(in_fd);
    }
    if (!launch.stdout_path && !launch.stdout_reader_gone && !launch.stdout_full)
        outcome.out = read_all(out_fd);
    outcome.err = read_all(err_fd);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (out_fd >= 0)
        close(out_fd);
    close(err_fd);
    return outcome;
}
