#include <windows.h>

#include <algorithm>

#include "output_files.h"

namespace korvalt {
namespace {

// One WriteFile call moves at most this much; larger pictures take several calls.
constexpr std::uint64_t kMaxWriteChunk = 1u << 30;

bool WriteAll(HANDLE file, const std::uint8_t* data, std::uint64_t count) noexcept {
    while (count > 0) {
        const auto chunk = static_cast<DWORD>(std::min(count, kMaxWriteChunk));
        DWORD written = 0;
        if (WriteFile(file, data, chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

// True for a plain file of our own: not a directory, not a symbolic link or
// other reparse point, which would send the picture somewhere else, and not a
// hard link, which would carry it into another name's file.
bool IsPlainFile(HANDLE file) noexcept {
    FILE_ATTRIBUTE_TAG_INFO tags{};
    FILE_STANDARD_INFO standard{};
    return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tags, sizeof tags) != 0 &&
           (tags.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
           GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) != 0 &&
           standard.NumberOfLinks == 1;
}

}  // namespace

bool CreateOutputFolder(const PathString& folder) noexcept {
    if (CreateDirectoryW(folder.c_str(), nullptr) != 0) {
        return true;
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WritePictureFile(const PathString& name, const std::uint8_t* data,
                      std::uint64_t count) noexcept {
    // Opening the name itself rather than what it points to, then truncating,
    // replaces an earlier picture but never writes through a link planted
    // under the picture's name.
    HANDLE file =
        CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (!IsPlainFile(file)) {
        CloseHandle(file);
        return false;
    }
    const bool written = SetEndOfFile(file) != 0 && WriteAll(file, data, count);
    const bool closed = CloseHandle(file) != 0;
    if (written && closed) {
        return true;
    }
    DeleteFileW(name.c_str());
    return false;
}

}  // namespace korvalt
