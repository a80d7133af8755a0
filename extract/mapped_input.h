// The input file, opened for reading and writing and mapped whole, read-only,
// for the length of one extraction command.
#pragma once

#include <cstdint>

#include "byte_view.h"
#include "path_string.h"

namespace korvalt {

class MappedInput {
  public:
    MappedInput() noexcept = default;
    MappedInput(const MappedInput&) = delete;
    MappedInput& operator=(const MappedInput&) = delete;
    ~MappedInput() { CloseInput(); }

    // 1 when the file is open and its whole content mapped, 0 otherwise (and
    // then nothing is held). Opening for writing refuses read-only files and
    // files another program holds without write sharing, although nothing is
    // ever written to the input. Empty and non-regular files cannot be mapped.
    int OpenInput(const PathString& path) noexcept;

    // Releases view, mapping and file; harmless when nothing is open.
    void CloseInput() noexcept;

    ByteView View() const noexcept { return {m_pView, m_size}; }

    // A walk over the view goes forward in pieces and tells the system so:
    // bring in [offset, offset + length) now, in one go rather than a page
    // fault at a time, and take back the pages before offset, which it will
    // not read again. Resident memory then stays near one piece whatever the
    // file's size. Only hints: the whole view stays readable.
    void PrepareRange(std::uint64_t offset, std::uint64_t length) noexcept;
    void ReleaseBefore(std::uint64_t offset) noexcept;

  private:
#ifdef _WIN32
    void* m_hFile = nullptr;
    void* m_hMapping = nullptr;
#else
    int m_fd = -1;
#endif
    const std::uint8_t* m_pView = nullptr;
    std::uint64_t m_size = 0;
    std::uint64_t m_released = 0;  // bytes from the start already handed back
};

}  // namespace korvalt
