#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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
    m_fd = fd;
    m_pView = static_cast<const std::uint8_t*>(view);
    m_size = size;
    return 1;
}

void MappedInput::CloseInput() noexcept {
    if (m_pView != nullptr) {
        ::munmap(const_cast<std::uint8_t*>(m_pView), m_size);
        m_pView = nullptr;
        m_size = 0;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace korvalt
