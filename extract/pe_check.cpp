#include "pe_check.h"

namespace korvalt {

int CheckPeSignatures(ByteView view) noexcept {
    if (view.size() < kDosHeaderSize || LoadLe16(view.data()) != kDosSignature) {
        return 0;
    }
    // e_lfanew is a signed field: a negative one is no offset at all, even in
    // an input larger than 2 GiB.
    const auto lfanew = static_cast<std::int32_t>(LoadLe32(view.data() + kLfanewOffset));
    if (lfanew < 0) {
        return 0;
    }
    const auto ntOffset = static_cast<std::uint64_t>(lfanew);
    if (ntOffset > view.size() - sizeof(kNtSignature)) {
        return 0;
    }
    return LoadLe32(view.data() + ntOffset) == kNtSignature ? 1 : 0;
}

}  // namespace korvalt
