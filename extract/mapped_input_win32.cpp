#include <windows.h>

#include <algorithm>

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

std::uint64_t PageSize() noexcept {
    static const std::uint64_t size = [] {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return static_cast<std::uint64_t>(info.dwPageSize);
    }();
    return size;
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
    m_released = 0;
    return 1;
}

// Windows reads a mapped file ahead by itself, in clusters of pages.
void MappedInput::PrepareRange(std::uint64_t, std::uint64_t) noexcept {}

void MappedInput::ReleaseBefore(std::uint64_t offset) noexcept {
    const std::uint64_t end = std::min(m_size, offset) / PageSize() * PageSize();
    if (end <= m_released) {
        return;
    }
    // Unlocking pages that were never locked takes them out of the working
    // set (the call then reports failure); they stay in the file cache.
    VirtualUnlock(const_cast<std::uint8_t*>(m_pView) + m_released,
                  static_cast<SIZE_T>(end - m_released));
    m_released = end;
}

void MappedInput::CloseInput() noexcept {
    if (m_pView != nullptr) {
        UnmapViewOfFile(m_pView);
        m_pView = nullptr;
        m_size = 0;
        m_released = 0;
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
