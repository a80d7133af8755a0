// Reads of the mapped input that survive the input shrinking under them.
//
// Another program may shorten the input while it is mapped; reading the pages
// past the new end then faults (SIGBUS on POSIX). A guarded read is abandoned
// at that fault and reports where it happened, instead of ending the program.
#pragma once

#include <cstdint>

#include "byte_view.h"

namespace korvalt {

struct ReadFault {
    bool faulted = false;
    std::uint64_t offset = 0;  // within the view: the byte whose read failed
};

using GuardedRead = void (*)(void* context) noexcept;

// The platform part behind GuardViewReads.
ReadFault RunGuardingView(ByteView view, GuardedRead read, void* context) noexcept;

// Runs read() and tells whether a read of the view failed, and where. A failed
// read abandons read() without unwinding it, so while read() touches the view
// it must hold no object whose destructor matters: plain loops over the bytes,
// as the scan and the PE test are. Only faults of this thread inside the view
// are caught, and only while read() runs; any other fault goes wherever it
// went before.
template <class Read>
ReadFault GuardViewReads(ByteView view, Read& read) noexcept {
    return RunGuardingView(
        view, [](void* context) noexcept { (*static_cast<Read*>(context))(); }, &read);
}

}  // namespace korvalt
