// Fuzz target: the whole extraction command on a file holding the bytes, in a
// scratch folder of its own. Checks that the command ends as the bytes demand,
// writes exactly the pictures the reference walk finds and nothing else,
// leaves the input as it was and holds no descriptor afterwards.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "extraction.h"
#include "fuzz_check.h"
#include "hit_rules.h"
#include "path_rules.h"
#include "pe_check.h"
#include "scan.h"

namespace korvalt::fuzz {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

constexpr std::string_view kInputName = "input.exe";

// The folder every run works in, made on first use and removed at exit.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "korvalt-fuzz-XXXXXX").string();
        KORVALT_FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        m_path = pattern;
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }

    const fs::path& Path() const { return m_path; }

  private:
    fs::path m_path;
};

std::size_t OpenDescriptorCount() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

Bytes ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    KORVALT_FUZZ_CHECK(in.good());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWhole(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    KORVALT_FUZZ_CHECK(out.good());
}

ExtractOutcome ExpectedOutcome(ByteView view) {
    if (view.empty()) {
        return ExtractOutcome::OpenFailed;
    }
    return CheckPeSignatures(view) != 0 ? ExtractOutcome::Done : ExtractOutcome::NotPe;
}

void CheckOneRun(const fs::path& scratch, ByteView view) {
    const fs::path input = scratch / kInputName;
    const fs::path folder = scratch / kOutputFolderName;
    WriteWhole(input, view.data(), view.size());
    const std::size_t descriptors = OpenDescriptorCount();

    const ExtractReport report = ExtractFile(input.string());

    const ExtractOutcome expected = ExpectedOutcome(view);
    KORVALT_FUZZ_CHECK(report.outcome == expected);
    KORVALT_FUZZ_CHECK(OpenDescriptorCount() == descriptors);
    KORVALT_FUZZ_CHECK(ReadWhole(input) == Bytes(view.begin(), view.end()));

    // Nothing but the input and, once the PE test passed, the output folder.
    std::size_t entries = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch)) {
        KORVALT_FUZZ_CHECK(entry.path() == input || entry.path() == folder);
        ++entries;
    }
    KORVALT_FUZZ_CHECK(entries == (expected == ExtractOutcome::Done ? 2u : 1u));
    if (expected != ExtractOutcome::Done) {
        return;
    }

    // The command's walk is the fast one; what it wrote must be what the
    // reference walk finds.
    RuleCheckingSink reference(view);
    ScanRangeReference(view, 0, view.size(), reference);
    KORVALT_FUZZ_CHECK(report.tally.picturesFound == reference.hits.size());
    KORVALT_FUZZ_CHECK(report.tally.picturesNotWritten == 0);
    for (const PictureHit& hit : reference.hits) {
        const fs::path name =
            PictureFileName<char>(folder.string(), hit.offset, hit.kind, PathSyntax::Posix);
        const auto begin = view.begin() + static_cast<std::ptrdiff_t>(hit.offset);
        KORVALT_FUZZ_CHECK(ReadWhole(name) ==
                           Bytes(begin, begin + static_cast<std::ptrdiff_t>(hit.available)));
    }
    const auto files = static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
    KORVALT_FUZZ_CHECK(files == reference.hits.size());
    fs::remove_all(folder);
}

}  // namespace
}  // namespace korvalt::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const korvalt::fuzz::ScratchFolder scratch;
    korvalt::fuzz::CheckOneRun(scratch.Path(), korvalt::ByteView(data, size));
    return 0;
}
