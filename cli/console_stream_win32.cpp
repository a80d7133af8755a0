#include "console_stream_win32.h"

#include <algorithm>

#include "text_encoding.h"

namespace korvalt {
namespace {

// Keeps each WriteFile and WriteConsoleW call well inside a DWORD.
constexpr std::size_t kMaxWriteChunk = 1u << 20;

bool WriteBytes(HANDLE handle, const char* data, std::size_t count) {
    while (count > 0) {
        const auto chunk = static_cast<DWORD>(std::min(count, kMaxWriteChunk));
        DWORD written = 0;
        if (WriteFile(handle, data, chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

bool WriteConsoleText(HANDLE handle, const std::wstring& text) {
    const wchar_t* data = text.data();
    std::size_t count = text.size();
    while (count > 0) {
        const auto chunk = static_cast<DWORD>(std::min(count, kMaxWriteChunk));
        DWORD written = 0;
        if (WriteConsoleW(handle, data, chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

}  // namespace

ConsoleStreamBuf::ConsoleStreamBuf(DWORD standardHandle) noexcept
    : m_handle(GetStdHandle(standardHandle)) {
    DWORD mode = 0;
    m_isConsole = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE &&
                  GetConsoleMode(m_handle, &mode) != 0;
}

ConsoleStreamBuf::~ConsoleStreamBuf() {
    Emit(true);
}

ConsoleStreamBuf::int_type ConsoleStreamBuf::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    m_pending.push_back(traits_type::to_char_type(ch));
    if (ch == '\n' && !Emit(false)) {
        return traits_type::eof();
    }
    return ch;
}

std::streamsize ConsoleStreamBuf::xsputn(const char* data, std::streamsize count) {
    m_pending.append(data, static_cast<std::size_t>(count));
    return Emit(false) ? count : 0;
}

int ConsoleStreamBuf::sync() {
    return Emit(true) ? 0 : -1;
}

bool ConsoleStreamBuf::Emit(bool everything) {
    // Only whole lines go out between flushes, so a character's UTF-8 bytes
    // are never split between two conversions.
    std::size_t end = m_pending.size();
    if (!everything) {
        const std::size_t lastNewline = m_pending.rfind('\n');
        if (lastNewline == std::string::npos) {
            return true;
        }
        end = lastNewline + 1;
    }
    if (end == 0) {
        return true;
    }
    if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE) {
        m_pending.erase(0, end);
        return false;
    }
    const std::string_view text(m_pending.data(), end);
    const bool written = m_isConsole ? WriteConsoleText(m_handle, PathFromUtf8(text))
                                     : WriteBytes(m_handle, text.data(), text.size());
    m_pending.erase(0, end);
    return written;
}

}  // namespace korvalt
