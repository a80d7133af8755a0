#include "extraction.h"

#include <algorithm>

#include "mapped_input.h"
#include "output_files.h"
#include "path_rules.h"
#include "pe_check.h"
#include "read_fault_guard.h"
#include "scan.h"

namespace korvalt {
namespace {

class PictureWriter final : public HitSink {
  public:
    PictureWriter(ByteView view, const PathString& folder, bool folderReady,
                  const PictureObserver& observer) noexcept
        : m_view(view), m_folder(folder), m_folderReady(folderReady), m_observer(observer) {}

    void OnHit(const PictureHit& hit) noexcept override {
        const PathString name =
            PictureFileName<PathChar>(m_folder, hit.offset, hit.kind, kNativeSyntax);
        const bool written =
            m_folderReady && WritePictureFile(name, m_view.data() + hit.offset, hit.available);
        ++m_tally.picturesFound;
        if (!written) {
            ++m_tally.picturesNotWritten;
        }
        if (m_observer) {
            m_observer({hit.offset, hit.kind, hit.available, name, written});
        }
    }

    const ExtractTally& Tally() const noexcept { return m_tally; }

  private:
    ByteView m_view;
    const PathString& m_folder;
    bool m_folderReady;
    const PictureObserver& m_observer;
    ExtractTally m_tally;
};

}  // namespace

ExtractTally ExtractPictures(ByteView view, const PathString& folder, bool folderReady,
                             const PictureObserver& observer, MappedInput* walkedInput) {
    PictureWriter writer(view, folder, folderReady, observer);
    // Everything the walk holds is plain data, as a guarded read requires.
    auto walk = [&]() noexcept {
        std::uint64_t position = 0;
        std::uint64_t limit = 0;
        while (limit < view.size()) {
            // A picture's span may carry the position past the previous limit.
            limit = std::min<std::uint64_t>(view.size(), std::max(limit, position) + kWalkPiece);
            if (walkedInput != nullptr && position < limit) {
                // The walk reads a count before the position it goes on from.
                walkedInput->ReleaseBefore(position - std::min(position, kCountPrefixSize));
                walkedInput->PrepareRange(position, limit - position);
            }
            position = ScanRange(view, position, limit, writer);
        }
    };
    const ReadFault fault = GuardViewReads(view, walk);
    ExtractTally tally = writer.Tally();
    tally.inputShrank = fault.faulted;
    tally.readStop = fault.offset;
    return tally;
}

ExtractReport ExtractFile(PathStringView path, const PictureObserver& observer) {
    ExtractReport report;
    const PathString input(TrimPath(path));
    if (input.empty()) {
        report.outcome = ExtractOutcome::NoPath;
        return report;
    }
    MappedInput mapped;
    if (mapped.OpenInput(input) == 0) {
        report.outcome = ExtractOutcome::OpenFailed;
        return report;
    }
    int isPe = 0;
    auto testPe = [&]() noexcept { isPe = CheckPeSignatures(mapped.View()); };
    if (GuardViewReads(mapped.View(), testPe).faulted) {
        report.outcome = ExtractOutcome::OpenFailed;
        return report;
    }
    if (isPe == 0) {
        mapped.CloseInput();
        report.outcome = ExtractOutcome::NotPe;
        return report;
    }
    report.outputFolder = OutputFolderFor<PathChar>(input, kNativeSyntax);
    const bool folderReady = CreateOutputFolder(report.outputFolder);
    report.tally =
        ExtractPictures(mapped.View(), report.outputFolder, folderReady, observer, &mapped);
    mapped.CloseInput();
    if (report.tally.inputShrank) {
        report.outcome = ExtractOutcome::InputShrank;
    } else {
        report.outcome = report.tally.picturesNotWritten == 0 ? ExtractOutcome::Done
                                                              : ExtractOutcome::NotAllWritten;
    }
    return report;
}

}  // namespace korvalt
