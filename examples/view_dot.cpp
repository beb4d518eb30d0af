#include "view_dot.hpp"

#ifdef _WIN32
#include <algorithm>

#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace view {

namespace {

const char *const kMissing = "cannot run dot: not found (is Graphviz installed and on the PATH?)";

} // namespace

#ifdef _WIN32

namespace {

// Closes a handle when it goes out of scope, so that no path leaks one.
struct handle {
    HANDLE h = nullptr;
    handle() = default;
    handle(const handle &) = delete;
    handle &operator=(const handle &) = delete;
    ~handle() { reset(); }
    void reset()
    {
        if (h) CloseHandle(h);
        h = nullptr;
    }
};

std::string windows_error(const char *what)
{
    return std::string(what) + ": Windows error " + std::to_string(GetLastError());
}

} // namespace

std::optional<std::string> render_svg(const std::string &dot_text, std::string &svg)
{
    // Both pipes are made inheritable, then our own ends are taken back, so
    // that the child holds only its own ends and sees the end of its input.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    handle in_read, in_write, out_read, out_write;
    if (!CreatePipe(&in_read.h, &in_write.h, &inherit, 0) || !CreatePipe(&out_read.h, &out_write.h, &inherit, 0) ||
        !SetHandleInformation(in_write.h, HANDLE_FLAG_INHERIT, 0) ||
        !SetHandleInformation(out_read.h, HANDLE_FLAG_INHERIT, 0))
        return windows_error("cannot make a pipe for dot");
    STARTUPINFOA start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = in_read.h;
    start.hStdOutput = out_write.h;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // A fixed command line: nothing of the caller's is ever parsed by it.
    char command[] = "dot -Tsvg";
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &child)) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) return kMissing;
        return windows_error("cannot run dot");
    }
    handle process, thread;
    process.h = child.hProcess;
    thread.h = child.hThread;
    in_read.reset();
    out_write.reset();

    // dot reads the whole graph before it writes anything, so the text goes
    // in whole before the SVG is read. A write that fails means dot has
    // stopped early; its exit status says why.
    for (std::size_t done = 0; done < dot_text.size();) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(dot_text.size() - done, 1 << 16));
        if (!WriteFile(in_write.h, dot_text.data() + done, chunk, &wrote, nullptr)) break;
        done += wrote;
    }
    in_write.reset();
    char buffer[1 << 16];
    for (DWORD got = 0; ReadFile(out_read.h, buffer, sizeof buffer, &got, nullptr) && got;) svg.append(buffer, got);
    DWORD status = 1;
    if (WaitForSingleObject(process.h, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.h, &status))
        return windows_error("cannot wait for dot");
    if (status != 0) return "dot failed (exit status " + std::to_string(status) + ")";
    return std::nullopt;
}

#else

namespace {

// Closes a descriptor when it goes out of scope, so that no path leaks one.
struct descriptor {
    int fd = -1;
    descriptor() = default;
    descriptor(const descriptor &) = delete;
    descriptor &operator=(const descriptor &) = delete;
    ~descriptor() { reset(); }
    void reset()
    {
        if (fd >= 0) close(fd);
        fd = -1;
    }
};

bool make_pipe(descriptor &read_end, descriptor &write_end)
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    read_end.fd = fds[0];
    write_end.fd = fds[1];
    // Closed in the child at exec: it keeps only the copies on 0 and 1.
    return fcntl(fds[0], F_SETFD, FD_CLOEXEC) == 0 && fcntl(fds[1], F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

std::optional<std::string> render_svg(const std::string &dot_text, std::string &svg)
{
    descriptor in_read, in_write, out_read, out_write;
    if (!make_pipe(in_read, in_write) || !make_pipe(out_read, out_write))
        return std::string("cannot make a pipe for dot: ") + std::strerror(errno);
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return std::string("cannot run dot: out of memory");
    int failed = posix_spawn_file_actions_adddup2(&actions, in_read.fd, 0);
    if (!failed) failed = posix_spawn_file_actions_adddup2(&actions, out_write.fd, 1);
    // An argument vector, searched on the PATH: no shell reads it.
    char name[] = "dot", format[] = "-Tsvg";
    char *argv[] = {name, format, nullptr};
    pid_t pid = -1;
    if (!failed) failed = posix_spawnp(&pid, "dot", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed == ENOENT) return kMissing;
    if (failed) return std::string("cannot run dot: ") + std::strerror(failed);
    in_read.reset();
    out_write.reset();

    // dot reads the whole graph before it writes anything, so the text goes
    // in whole before the SVG is read. A write that fails means dot has
    // stopped early (its exit status says why): SIGPIPE is ignored meanwhile
    // so that it cannot end this process.
    void (*const previous)(int) = std::signal(SIGPIPE, SIG_IGN);
    for (std::size_t done = 0; done < dot_text.size();) {
        const ssize_t wrote = write(in_write.fd, dot_text.data() + done, dot_text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) break;
        done += static_cast<std::size_t>(wrote);
    }
    in_write.reset();
    std::signal(SIGPIPE, previous);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(out_read.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        svg.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return std::string("cannot wait for dot: ") + std::strerror(errno);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return std::nullopt;
    // Where the spawn cannot report a failed exec (valgrind, some systems),
    // the child says so by ending with 127.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return kMissing;
    if (WIFEXITED(status)) return "dot failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    return "dot was ended by signal " + std::to_string(WTERMSIG(status));
}

#endif

} // namespace view
