#include "run.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#ifdef __linux__
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/ioctl.h>
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

#ifdef __linux__
// A message of one byte with room for one descriptor, for sendmsg and recvmsg.
struct DescriptorMessage {
    DescriptorMessage()
    {
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = room;
        message.msg_controllen = sizeof room;
    }
    DescriptorMessage(const DescriptorMessage&) = delete;
    char data = 0;
    iovec part{&data, 1};
    alignas(cmsghdr) char room[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
};
#endif

// From here on, the system calls on standard input and output that the launch asks to fail do:
// a filter on the system calls, which works on a static program and under qemu too. Writes that
// take only part of what they are offered are left to the test's process, which gets the filter's
// listener on `notify` and answers for each write (see take_writes); it is given -1 for none.
void make_faults(const Launch& launch, int notify)
{
#ifdef __linux__
    struct Rule {
        long call;
        int fd;
        unsigned action;
    };
    std::vector<Rule> rules;
    if (launch.stdout_close_fails)
        rules.push_back({__NR_close, STDOUT_FILENO, SECCOMP_RET_ERRNO | EIO});
    if (launch.stdin_seek_fails)
        rules.push_back({__NR_lseek, STDIN_FILENO, SECCOMP_RET_ERRNO | EIO});
    if (launch.stdout_takes_nothing)
        rules.push_back({__NR_write, STDOUT_FILENO, SECCOMP_RET_ERRNO | 0}); // returns 0, writes nothing
    if (launch.stdout_takes_at_most > 0)
        rules.push_back({__NR_write, STDOUT_FILENO, SECCOMP_RET_USER_NOTIF});
    if (rules.empty())
        return;
    std::vector<sock_filter> filter = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr))};
    for (const auto& rule : rules) {
        filter.insert(filter.end(), {
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(rule.call), 0, 4),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[0])), // its low half
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(rule.fd), 0, 1),
            BPF_STMT(BPF_RET | BPF_K, rule.action),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        });
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0) {
        const bool listen = notify >= 0;
        const long fd = syscall(__NR_seccomp, SECCOMP_SET_MODE_FILTER, listen ? SECCOMP_FILTER_FLAG_NEW_LISTENER : 0, &program);
        if (fd >= 0 && !listen)
            return;
        if (fd >= 0) {
            // The listener, to the test's process.
            DescriptorMessage sent;
            cmsghdr* header = CMSG_FIRSTHDR(&sent.message);
            header->cmsg_level = SOL_SOCKET;
            header->cmsg_type = SCM_RIGHTS;
            header->cmsg_len = CMSG_LEN(sizeof(int));
            const int listener = static_cast<int>(fd);
            std::memcpy(CMSG_DATA(header), &listener, sizeof listener);
            if (sendmsg(notify, &sent.message, 0) == 1) {
                close(listener);
                close(notify);
                return;
            }
        }
    }
#else
    (void)notify;
    if (!(launch.stdout_close_fails || launch.stdin_seek_fails || launch.stdout_takes_nothing || launch.stdout_takes_at_most))
        return;
#endif
    _exit(126);
}

#ifdef __linux__
// The listener that make_faults sent on `notify`.
int receive_listener(int notify)
{
    DescriptorMessage received;
    if (recvmsg(notify, &received.message, 0) != 1)
        return -1;
    const cmsghdr* header = CMSG_FIRSTHDR(&received.message);
    int listener = -1;
    if (header && header->cmsg_type == SCM_RIGHTS)
        std::memcpy(&listener, CMSG_DATA(header), sizeof listener);
    return close_on_exec(listener);
}

// Answers for every write to standard output that the filter stops, until `done`: takes at most
// `at_most` of the bytes offered, from the writer's memory, and says it took them.
std::string take_writes(int listener, std::size_t at_most, const std::atomic<bool>& done)
{
    std::string taken;
    while (!done) {
        pollfd ready{listener, POLLIN, 0};
        if (poll(&ready, 1, 20) <= 0 || !(ready.revents & POLLIN))
            continue;
        seccomp_notif request{};
        if (ioctl(listener, SECCOMP_IOCTL_NOTIF_RECV, &request) < 0)
            continue; // the writer has gone
        seccomp_notif_resp response{};
        response.id = request.id;
        const std::size_t size = std::min<std::size_t>(request.data.args[2], at_most);
        std::string bytes(size, '\0');
        iovec local{bytes.data(), size};
        iovec remote{reinterpret_cast<void*>(request.data.args[1]), size};
        const ssize_t n = process_vm_readv(static_cast<pid_t>(request.pid), &local, 1, &remote, 1, 0);
        if (n < 0) {
            response.error = -EFAULT;
        } else {
            taken.append(bytes, 0, static_cast<std::size_t>(n));
            response.val = n;
        }
        ioctl(listener, SECCOMP_IOCTL_NOTIF_SEND, &response);
    }
    return taken;
}
#endif

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

void end_group(int pid)
{
    kill(-pid, SIGKILL);
}

void wait_until_asleep(int pid)
{
#ifdef __linux__
    // The state follows the command's name, in parentheses, in /proc/PID/stat.
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (int asleep = 0; asleep < 5 && std::chrono::steady_clock::now() < deadline;) {
        std::ifstream file(path);
        std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const auto name_end = stat.rfind(')');
        asleep = name_end != std::string::npos && stat.compare(name_end, 3, ") S") == 0 ? asleep + 1 : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
#else
    (void)pid;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
#endif
}

Outcome run(const Launch& launch)
{
    std::signal(SIGPIPE, SIG_IGN); // the parent writes input that das may never read

    int in_pair[2] = {-1, -1};
    int in_fd;
    const bool messages = launch.feed == Launch::packets || launch.feed == Launch::datagrams;
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
    int notify[2] = {-1, -1};
    if (launch.stdout_takes_at_most > 0)
        make_pair(notify, SOCK_STREAM);

    auto argv_strings = launch.command;
    auto env_strings = launch.env.value_or(std::vector<std::string>{});
    auto argv = pointers(argv_strings);
    auto envp = pointers(env_strings);

    const pid_t pid = check(fork(), "fork");
    setpgid(pid, pid); // the child does so too: whichever comes first, the group is there before exec
    if (pid == 0) {
        setpgid(0, 0);
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
        make_faults(launch, notify[1]);
        alarm(time_limit_seconds); // kept across exec
        if (launch.env)
            execve(argv[0], argv.data(), envp.data());
        else
            execv(argv[0], argv.data());
        _exit(127);
    }

    std::atomic<bool> ended = false;
    std::thread taker;
    std::string taken;
#ifdef __linux__
    if (notify[0] >= 0) {
        close(notify[1]);
        const int listener = receive_listener(notify[0]);
        close(notify[0]);
        if (listener >= 0) {
            taker = std::thread([&, listener] {
                taken = take_writes(listener, static_cast<std::size_t>(launch.stdout_takes_at_most), ended);
                close(listener);
            });
        }
    }
#endif

    // A non-blocking input is kept, to see whether das left the flag on; it is small enough that
    // writing it never waits for a reader.
    if (!launch.nonblocking)
        close(in_fd);
    if (launch.late) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (read_all(out_fd).size() < greeting.size() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        wait_until_asleep(pid);
    }
    if (in_pair[1] >= 0) {
        if (messages) {
            for (const auto& message : launch.messages)
                if (send(in_pair[1], message.data(), message.size(), 0) < 0)
                    break;
        } else {
            write_all(in_pair[1], launch.input);
        }
        if (!launch.late || launch.late_then_end) {
            close(in_pair[1]);
            in_pair[1] = -1;
        }
    }
    Outcome outcome;
    if (launch.stdout_full) {
        // Drained once das is seen waiting for room, and read to the end.
        wait_until_asleep(pid);
        close(out_fd);
        out_fd = -1;
        char buffer[4096];
        for (ssize_t n; (n = read(out_pipe[0], buffer, sizeof buffer)) > 0;)
            outcome.out.append(buffer, static_cast<std::size_t>(n));
        close(out_pipe[0]);
        outcome.out.erase(0, filler);
    }
    int status;
    rusage usage;
    check(wait4(pid, &status, 0, &usage), "wait4");
    end_group(pid);
    ended = true;
    if (taker.joinable()) {
        taker.join();
        outcome.out = taken;
    }
    if (launch.late && in_pair[1] >= 0)
        close(in_pair[1]);

    if (launch.nonblocking) {
        outcome.input_left_nonblocking = fcntl(in_fd, F_GETFL) & O_NONBLOCK;
        close(in_fd);
    }
    if (!launch.stdout_path && !launch.stdout_reader_gone && !launch.stdout_full && launch.stdout_takes_at_most == 0)
        outcome.out = read_all(out_fd);
    outcome.err = read_all(err_fd);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    outcome.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                          static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (out_fd >= 0)
        close(out_fd);
    close(err_fd);
    return outcome;
}
