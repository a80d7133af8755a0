// How many files and other kernel objects the test process holds open, to see
// that an extraction gives back everything it took.
#pragma once

#include <cstddef>

namespace korvalt::testing {

std::size_t OpenHandleCount();

}  // namespace korvalt::testing
