// An output stream over a standard handle that takes UTF-8 and shows it
// correctly wherever the handle leads: a console gets the text as UTF-16,
// whatever its code page; a pipe or a file gets the UTF-8 bytes unchanged.
#pragma once

#include <windows.h>

#include <ostream>
#include <streambuf>
#include <string>

namespace korvalt {

class ConsoleStreamBuf final : public std::streambuf {
  public:
    explicit ConsoleStreamBuf(DWORD standardHandle) noexcept;
    ConsoleStreamBuf(const ConsoleStreamBuf&) = delete;
    ConsoleStreamBuf& operator=(const ConsoleStreamBuf&) = delete;
    ~ConsoleStreamBuf() override;

  protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* data, std::streamsize count) override;
    int sync() override;

  private:
    // Passes on every complete line, or everything when flushing.
    bool Emit(bool everything);

    HANDLE m_handle;
    bool m_isConsole;
    std::string m_pending;
};

class ConsoleStream final : public std::ostream {
  public:
    explicit ConsoleStream(DWORD standardHandle) : std::ostream(nullptr), m_buffer(standardHandle) {
        rdbuf(&m_buffer);
    }

  private:
    ConsoleStreamBuf m_buffer;
};

}  // namespace korvalt
