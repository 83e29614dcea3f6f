#include "support/RunCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tracklore::test {

namespace {
// The tests check German texts: tracklore-cli, started by them, speaks German whatever the
// locale of the test run (C.UTF-8 would choose English). Set before main, so before any
// thread reads the environment.
const bool germanForTheProgramsStarted = setenv("LANGUAGE", "de", 1) == 0;
}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input,
                         const Environment& environment) {
    CommandResult result;
    // The child's environment is built before the fork: only exec runs in the child.
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        std::string variable = *entry;
        std::string name = variable.substr(0, variable.find('='));
        bool replaced = false;
        for (const auto& [setName, value] : environment) {
            replaced = replaced || setName == name;
        }
        if (!replaced) {
            variables.push_back(std::move(variable));
        }
    }
    for (const auto& [name, value] : environment) {
        variables.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& variable : variables) {
        envp.push_back(variable.data());
    }
    envp.push_back(nullptr);
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 ||
        pipe2(errPipe, O_CLOEXEC) != 0) {
        return result;
    }
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    // posix_spawn rather than fork: the test process runs threads (the local servers), and a
    // forked child of a threaded process may block on a lock another thread held at the fork,
    // as the ThreadSanitizer runtime's allocator does. A spawned child runs nothing but exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            close(fd);
        }
        result.status = 127;  // as a shell reports a program it cannot start
        return result;
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    std::size_t written = 0;
    if (input.empty()) {
        close(inPipe[1]);
        inPipe[1] = -1;
    } else {
        fcntl(inPipe[1], F_SETFL, O_NONBLOCK);
    }
    bool outOpen = true, errOpen = true;
    char buffer[65536];
    while (outOpen || errOpen) {
        pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
        int n = poll(fds, inPipe[1] >= 0 ? 3 : 2, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            bool& open = i == 0 ? outOpen : errOpen;
            if (open && (fds[i].revents & (POLLIN | POLLHUP))) {
                ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
                if (got <= 0) {
                    open = false;
                } else {
                    (i == 0 ? result.out : result.err)
                        .append(buffer, static_cast<std::size_t>(got));
                }
            }
        }
        if (inPipe[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t put = write(inPipe[1], input.data() + written, input.size() - written);
            if (put > 0) {
                written += static_cast<std::size_t>(put);
            }
            if (put < 0 || written == input.size()) {
                close(inPipe[1]);
                inPipe[1] = -1;
            }
        }
    }
    if (inPipe[1] >= 0) {
        close(inPipe[1]);
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

CommandResult RunCli(const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> argv{TRACKLORE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, input);
}

bool HaveProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path) {
        return false;
    }
    std::string dirs = path;
    std::size_t pos = 0;
    while (pos <= dirs.size()) {
        std::size_t colon = dirs.find(':', pos);
        std::string dir =
            dirs.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
        if (colon == std::string::npos) {
            break;
        }
        pos = colon + 1;
    }
    return false;
}

}  // namespace tracklore::test
