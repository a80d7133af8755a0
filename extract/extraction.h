// The extraction command: one input path in, a folder of pictures out.
#pragma once

#include <cstdint>
#include <functional>

#include "byte_view.h"
#include "extract_outcome.h"
#include "path_string.h"
#include "picture_signature.h"

namespace korvalt {

struct PictureRecord {
    std::uint64_t offset;
    PictureKind kind;
    std::uint64_t size;  // bytes written, or meant to be: the count, cut at the end of the input
    const PathString& path;
    bool written;
};

// Called once per picture found, in file order.
using PictureObserver = std::function<void(const PictureRecord&)>;

struct ExtractTally {
    std::uint64_t picturesFound = 0;
    std::uint64_t picturesNotWritten = 0;
    bool inputShrank = false;    // reading the input failed past a new, shorter end
    std::uint64_t readStop = 0;  // where, when it did: the scan found nothing from there on
};

struct ExtractReport {
    ExtractOutcome outcome = ExtractOutcome::NoPath;
    ExtractTally tally;
    PathString outputFolder;  // empty unless the scan ran

    std::string Message() const { return OutcomeMessage(outcome, tally.picturesNotWritten); }
};

class MappedInput;

// The walk goes through the view in pieces of this size: large enough that the
// calls between pieces cost nothing next to the scan, small enough to keep
// resident memory low.
inline constexpr std::uint64_t kWalkPiece = std::uint64_t{32} << 20;

// Writes every picture the scan finds in the view into the folder, straight
// from the view. With folderReady false nothing is written and every picture
// found counts as not written. Given the mapped input the view belongs to,
// the walk asks for each piece ahead of it and hands back the pages behind.
// When the input shrinks under the walk, the walk stops at the first byte it
// can no longer read and the tally says so.
ExtractTally ExtractPictures(ByteView view, const PathString& folder, bool folderReady,
                             const PictureObserver& observer, MappedInput* walkedInput = nullptr);

// Trims the path, opens and maps the file, tests the PE signatures, creates the
// output folder beside the input, extracts, and releases the input before
// returning. The input is never modified.
ExtractReport ExtractFile(PathStringView path, const PictureObserver& observer = {});

}  // namespace korvalt
