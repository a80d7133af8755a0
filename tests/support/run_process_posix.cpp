#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

#include "run_process.h"

extern char** environ;

namespace korvalt::testing {

RunResult RunProgram(const PathString& program, const std::vector<PathString>& args) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0) {
        return {-1, {}};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string out;
    std::array<char, 4096> buffer{};
    for (ssize_t n; (n = read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) {
        out.append(buffer.data(), static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        return {-1, out};
    }
    return {WEXITSTATUS(status), out};
}

}  // namespace korvalt::testing
