#include "child_process_posix.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <fstream>

namespace korvalt::testing {

std::uint64_t MemoryStatusBytes(std::string_view field) {
    constexpr std::uint64_t kBytesPerKib = 1024;
    std::ifstream status("/proc/self/status");
    for (std::string word; status >> word;) {
        if (word.size() == field.size() + 1 && word.starts_with(field) && word.back() == ':') {
            std::uint64_t kib = 0;
            status >> kib;
            return kib * kBytesPerKib;
        }
    }
    return 0;
}

std::string RunInChild(const std::function<std::string()>& work) {
    std::array<int, 2> pipeEnds{};
    if (::pipe(pipeEnds.data()) != 0) {
        return "child died: no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const std::string result = work();
        const bool sent = ::write(pipeEnds[1], result.data(), result.size()) ==
                          static_cast<ssize_t>(result.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string result;
    std::array<char, 4096> buffer{};
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) {
        result.append(buffer.data(), static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return "child died: status " + std::to_string(status) + ", said: " + result;
    }
    return result;
}

}  // namespace korvalt::testing
