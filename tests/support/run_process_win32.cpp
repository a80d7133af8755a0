#include <windows.h>

#include <array>

#include "run_process.h"

namespace korvalt::testing {
namespace {

// Quotes one argument so that the C runtime's command-line parser gives it
// back unchanged: backslashes double only before a quote or the closing quote.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    line.push_back(L'"');
    std::size_t backslashes = 0;
    for (const wchar_t ch : arg) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line.push_back(ch);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

class OwnedHandle {
  public:
    OwnedHandle() = default;
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { Close(); }

    HANDLE* Receive() { return &m_handle; }
    HANDLE Get() const { return m_handle; }
    void Close() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
            m_handle = nullptr;
        }
    }

  private:
    HANDLE m_handle = nullptr;
};

}  // namespace

RunResult RunProgram(const PathString& program, const std::vector<PathString>& args) {
    std::wstring line;
    AppendQuoted(line, program);
    for (const PathString& arg : args) {
        line.push_back(L' ');
        AppendQuoted(line, arg);
    }

    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    OwnedHandle readEnd;
    OwnedHandle writeEnd;
    if (CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0) == 0 ||
        SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0) == 0) {
        return {-1, {}};
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    writeEnd.Close();
    if (started == 0) {
        return {-1, {}};
    }
    OwnedHandle processHandle;
    *processHandle.Receive() = process.hProcess;
    CloseHandle(process.hThread);

    std::string out;
    std::array<char, 4096> buffer{};
    DWORD n = 0;
    while (ReadFile(readEnd.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr) !=
               0 &&
           n > 0) {
        out.append(buffer.data(), n);
    }
    DWORD status = 0;
    if (WaitForSingleObject(processHandle.Get(), INFINITE) != WAIT_OBJECT_0 ||
        GetExitCodeProcess(processHandle.Get(), &status) == 0) {
        return {-1, out};
    }
    return {static_cast<int>(status), out};
}

}  // namespace korvalt::testing
