// Work run in a child process, so that limits, faults and mounts stay there,
// and what a test can learn of a process's memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace korvalt::testing {

// Resident anonymous memory of this process in bytes, from /proc/self/status.
std::uint64_t ResidentAnonymousBytes();

// Runs work() in a forked child and returns the text it returned, or a text
// starting "child died" when the child did not end normally.
std::string RunInChild(const std::function<std::string()>& work);

}  // namespace korvalt::testing
