#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "mapped_input.h"

namespace korvalt {

int MappedInput::OpenInput(const PathString& path) noexcept {
    CloseInput();
    struct stat info {};
    // Opening a device can act on it (a tape rewinds, a watchdog starts), so
    // anything but a regular file is refused before it is opened; the check
    // after opening catches a file swapped in between.
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return 0;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        ::close(fd);
        return 0;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (view == MAP_FAILED) {
        ::close(fd);
        return 0;
    }
    // The scan reads the view once, from start to end.
    ::madvise(view, size, MADV_SEQUENTIAL);
    m_fd = fd;
    m_pView = static_cast<const std::uint8_t*>(view);
    m_size = size;
    m_released = 0;
    return 1;
}

namespace {

std::uint64_t PageSize() noexcept {
    static const auto size = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

}  // namespace

void MappedInput::PrepareRange(std::uint64_t offset, std::uint64_t length) noexcept {
#ifdef MADV_POPULATE_READ
    if (offset >= m_size || length == 0) {
        return;
    }
    const std::uint64_t start = offset / PageSize() * PageSize();
    const std::uint64_t end = offset + std::min(length, m_size - offset);
    // Mapping a range in one call costs far less than a fault per page where
    // the page cache holds small pages. Kernels before 5.14 refuse it: then
    // the pages come in by faults as usual.
    ::madvise(const_cast<std::uint8_t*>(m_pView) + start, end - start, MADV_POPULATE_READ);
#else
    static_cast<void>(offset);
    static_cast<void>(length);
#endif
}

void MappedInput::ReleaseBefore(std::uint64_t offset) noexcept {
    const std::uint64_t end = std::min(m_size, offset) / PageSize() * PageSize();
    if (end <= m_released) {
        return;
    }
    // The mapping is shared and read-only: dropped pages stay in the page
    // cache and come back unchanged should they be read again.
    ::madvise(const_cast<std::uint8_t*>(m_pView) + m_released, end - m_released, MADV_DONTNEED);
    m_released = end;
}

void MappedInput::CloseInput() noexcept {
    if (m_pView != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(m_pView), m_size);
        m_pView = nullptr;
        m_size = 0;
        m_released = 0;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace korvalt
