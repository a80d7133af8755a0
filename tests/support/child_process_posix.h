// Work run in a child process, so that limits, faults and mounts stay there,
// and what a test can learn of a process's memory.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvalt::testing {

// A memory figure of this process from /proc/self/status, in bytes: "VmRSS"
// for all it has resident, "RssAnon" for its resident anonymous memory.
std::uint64_t MemoryStatusBytes(std::string_view field);

// Runs work() in a forked child and returns the text it returned, or a text
// starting "child died" when the child did not end normally.
std::string RunInChild(const std::function<std::string()>& work);

}  // namespace korvalt::testing
