#include "command_line.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "extraction.h"
#include "text_encoding.h"
#include "version.h"

namespace korvalt {
namespace {

constexpr std::string_view kProgramName = "korvalt-extract";
constexpr std::string_view kUsage =
    "Usage: korvalt-extract [--verbose] FILE...\n"
    "Extracts the JPEG (JFIF) and GIF89a pictures stored behind 32-bit byte counts\n"
    "in Windows PE files (.exe, .dll) into a folder \"Tamsork\" beside each FILE.\n"
    "\n"
    "  -v, --verbose  list each picture: offset, kind, bytes, output file\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when every FILE was extracted completely, 1 otherwise,\n"
    "2 for a usage error.\n";

void PrintPicture(std::ostream& out, const PictureRecord& picture) {
    char line[96];
    std::snprintf(line, sizeof line, "  %08" PRIX64 " %s %" PRIu64 " bytes ", picture.offset,
                  SignatureOf(picture.kind).extension.data(), picture.size);
    out << line << PathToUtf8(picture.path) << (picture.written ? "" : " (not written)") << '\n';
}

}  // namespace

int RunCommandLine(const std::vector<PathString>& args, std::ostream& out, std::ostream& err) {
    bool verbose = false;
    bool optionsEnded = false;
    std::vector<PathString> files;
    for (const PathString& arg : args) {
        const std::string text = PathToUtf8(arg);
        if (optionsEnded || text.empty() || text[0] != '-' || text == "-") {
            files.push_back(arg);
        } else if (text == "--") {
            optionsEnded = true;
        } else if (text == "-v" || text == "--verbose") {
            verbose = true;
        } else if (text == "-h" || text == "--help") {
            out << kUsage;
            return kExitAllDone;
        } else if (text == "--version") {
            out << kProgramName << ' ' << KORVALT_VERSION_STRING << '\n';
            return kExitAllDone;
        } else {
            err << kProgramName << ": unknown option " << text << '\n' << kUsage;
            return kExitUsage;
        }
    }
    if (files.empty()) {
        err << kProgramName << ": no FILE given\n" << kUsage;
        return kExitUsage;
    }

    int status = kExitAllDone;
    const PictureObserver observer = [&out](const PictureRecord& picture) {
        PrintPicture(out, picture);
    };
    for (const PathString& file : files) {
        const ExtractReport report = ExtractFile(file, verbose ? observer : PictureObserver{});
        out << PathToUtf8(file) << ": " << report.Message() << '\n';
        if (report.outcome != ExtractOutcome::Done) {
            status = kExitSomeFailed;
        }
    }
    out.flush();
    return status;
}

}  // namespace korvalt
