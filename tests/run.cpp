#include "run.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int check(int result, const char* what)
{
    if (result < 0)
        throw std::runtime_error(what);
    return result;
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

} // namespace

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

    int in_pipe[2] = {-1, -1};
    int in_fd;
    if (launch.stdin_path) {
        in_fd = check(open(launch.stdin_path, O_RDONLY | O_CLOEXEC), "open stdin");
    } else if (launch.feed == Launch::file) {
        in_fd = check(memfd_create("das-in", MFD_CLOEXEC), "memfd");
        write_all(in_fd, launch.input);
        lseek(in_fd, 0, SEEK_SET);
    } else {
        check(pipe2(in_pipe, O_CLOEXEC), "pipe");
        in_fd = in_pipe[0];
    }
    int out_pipe[2] = {-1, -1};
    int out_fd;
    if (launch.stdout_path) {
        out_fd = check(open(launch.stdout_path, O_WRONLY | O_CLOEXEC), "open stdout");
    } else if (launch.stdout_reader_gone) {
        check(pipe2(out_pipe, O_CLOEXEC), "pipe");
        close(out_pipe[0]);
        out_fd = out_pipe[1];
    } else {
        out_fd = check(memfd_create("das-out", MFD_CLOEXEC), "memfd");
    }
    const int err_fd = check(memfd_create("das-err", MFD_CLOEXEC), "memfd");

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
        if (launch.env)
            execve(argv[0], argv.data(), envp.data());
        else
            execv(argv[0], argv.data());
        _exit(127);
    }

    close(in_fd);
    if (in_pipe[1] >= 0) {
        write_all(in_pipe[1], launch.input);
        close(in_pipe[1]);
    }
    int status;
    check(waitpid(pid, &status, 0), "waitpid");

    Outcome outcome;
    if (!launch.stdout_path && !launch.stdout_reader_gone)
        outcome.out = read_all(out_fd);
    outcome.err = read_all(err_fd);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    close(out_fd);
    close(err_fd);
    return outcome;
}
