#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "output_files.h"

namespace korvalt {
namespace {

// One write() moves at most this much; larger pictures take several calls.
constexpr std::uint64_t kMaxWriteChunk = 1u << 30;
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;

bool WriteAll(int fd, const std::uint8_t* data, std::uint64_t count) noexcept {
    while (count > 0) {
        const auto chunk = static_cast<std::size_t>(std::min(count, kMaxWriteChunk));
        const ssize_t written = ::write(fd, data, chunk);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (written == 0) {
            return false;
        }
        data += written;
        count -= static_cast<std::uint64_t>(written);
    }
    return true;
}

}  // namespace

bool CreateOutputFolder(const PathString& folder) noexcept {
    if (::mkdir(folder.c_str(), kNewFolderMode) == 0) {
        return true;
    }
    struct stat info {};
    return errno == EEXIST && ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool WritePictureFile(const PathString& name, const std::uint8_t* data,
                      std::uint64_t count) noexcept {
    // Only a plain file of our own is replaced: a symbolic link is not
    // followed, a hard link would carry the picture into another name's file,
    // and a FIFO or device planted under the name must neither block nor be
    // written to. So the name is opened without truncating, checked, and only
    // then emptied.
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                          kNewFileMode);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1) {
        ::close(fd);
        return false;
    }
    const bool written = ::ftruncate(fd, 0) == 0 && WriteAll(fd, data, count);
    const bool closed = ::close(fd) == 0;
    if (written && closed) {
        return true;
    }
    ::unlink(name.c_str());
    return false;
}

}  // namespace korvalt
