#include <windows.h>

#include "mapped_input.h"

namespace korvalt {
namespace {

// Only plain files on a disk can be mapped whole; a directory, a device or a
// pipe is refused as on the POSIX side.
bool IsRegularFile(HANDLE file) noexcept {
    if (GetFileType(file) != FILE_TYPE_DISK) {
        return false;
    }
    FILE_STANDARD_INFO info{};
    return GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) != 0 &&
           info.Directory == FALSE;
}

}  // namespace

int MappedInput::OpenInput(const PathString& path) noexcept {
    CloseInput();
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    LARGE_INTEGER size{};
    if (!IsRegularFile(file) || GetFileSizeEx(file, &size) == 0 || size.QuadPart <= 0) {
        CloseHandle(file);
        return 0;
    }
    // The mapping is sized explicitly, so the view is exactly the size taken
    // here even if another program changes the file meanwhile (write sharing
    // allows that); a read-only mapping cannot be larger than the file.
    const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
    HANDLE mapping =
        CreateFileMappingW(file, nullptr, PAGE_READONLY, static_cast<DWORD>(bytes >> 32),
                           static_cast<DWORD>(bytes & 0xFFFFFFFFu), nullptr);
    if (mapping == nullptr) {
        CloseHandle(file);
        return 0;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
        CloseHandle(mapping);
        CloseHandle(file);
        return 0;
    }
    m_hFile = file;
    m_hMapping = mapping;
    m_pView = static_cast<const std::uint8_t*>(view);
    m_size = bytes;
    return 1;
}

void MappedInput::CloseInput() noexcept {
    if (m_pView != nullptr) {
        UnmapViewOfFile(m_pView);
        m_pView = nullptr;
        m_size = 0;
    }
    if (m_hMapping != nullptr) {
        CloseHandle(m_hMapping);
        m_hMapping = nullptr;
    }
    if (m_hFile != nullptr) {
        CloseHandle(m_hFile);
        m_hFile = nullptr;
    }
}

}  // namespace korvalt
