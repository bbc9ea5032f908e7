#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/child_process.h"

extern char** environ;

namespace gapscope {
namespace {

// A descriptor, closed at the end of its scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

ProgramRun NotStarted(int error) {
    ProgramRun run;
    run.startError = std::strerror(error);
    return run;
}

}  // namespace

ProgramRun RunProgram(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments, std::string_view input) {
    // The input goes through a socket: send() tells of a reader that is gone by EPIPE, never
    // by a signal that would end this process.
    int in[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in) != 0) return NotStarted(errno);
    Descriptor toChild(in[0]), childIn(in[1]);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return NotStarted(errno);
    Descriptor fromChild(out[0]), childOut(out[1]);

    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childIn.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childOut.get(), STDOUT_FILENO);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    childIn.Close();
    childOut.Close();
    if (spawned != 0) return NotStarted(spawned);

    // Writing and reading by turns, so that neither side waits for the other's full buffer.
    ProgramRun run;
    std::size_t sent = 0;
    if (input.empty()) toChild.Close();
    char buffer[4096];
    while (fromChild.get() >= 0 || toChild.get() >= 0) {
        pollfd fds[2] = {{fromChild.get(), POLLIN, 0}, {toChild.get(), POLLOUT, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents != 0) {
            const ssize_t n = send(toChild.get(), input.data() + sent, input.size() - sent,
                                   MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) sent += static_cast<std::size_t>(n);
            // A program that stopped reading is let be; its status tells the rest.
            const bool gone = n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK;
            if (gone || sent == input.size()) toChild.Close();
        }
        if (fds[0].revents != 0) {
            const ssize_t n = read(fromChild.get(), buffer, sizeof buffer);
            if (n > 0) {
                run.output.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fromChild.Close();
            }
        }
    }
    toChild.Close();
    fromChild.Close();

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            run.startError = std::strerror(errno);
            return run;
        }
    }
    if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

}  // namespace gapscope
