// Windows test scaffolding: running another program (reg.exe among them) with captured
// output, and setting an environment variable for the programs a test starts.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace gapscope::test {

inline std::wstring Wide(std::string_view utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
    return text;
}

inline std::string Utf8(std::wstring_view wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
    return text;
}

// 8-bit text in the ANSI code page, as UTF-8.
inline std::string Utf8FromAnsi(std::string_view ansi) {
    const int n =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return Utf8(wide);
}

// One argument quoted so that CommandLineToArgvW gives it back unchanged: backslashes are
// doubled only where a quote follows them.
inline std::wstring QuoteArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

struct ProcessResult {
    DWORD status = 0;
    std::string out;  // as written: 8-bit text with the program's line ends
    std::string err;
};

// Everything written to a pipe until its last writer closes it.
inline std::string ReadPipe(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    return text;
}

// Runs `program` with `arguments` and waits for it, its standard output and error caught
// through pipes. (Pipes, not files: under Wine a process counts as ended a moment before
// its handles are closed, and a pipe only ends when the last of them is.)
inline ProcessResult RunProgram(const std::filesystem::path& program,
                                const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = QuoteArgument(program.wstring());
    for (const std::wstring& argument : arguments) commandLine += L" " + QuoteArgument(argument);

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    ProcessResult result;
    result.status = static_cast<DWORD>(-1);
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0)) return result;
    if (!CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        CloseHandle(outRead);
        CloseHandle(outWrite);
        return result;
    }
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        // Standard error is read alongside, so that neither pipe can fill up and stall.
        std::thread errReader([&] { result.err = ReadPipe(errRead); });
        result.out = ReadPipe(outRead);
        errReader.join();
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

// Runs the system's reg.exe with `arguments`; its exit status.
inline DWORD Reg(const std::vector<std::wstring>& arguments) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    return RunProgram(std::filesystem::path(system) / L"reg.exe", arguments).status;
}

// Sets (or, with nullopt, removes) an environment variable of this process, which the
// programs it starts inherit, and restores it afterwards.
class ScopedVariable {
  public:
    ScopedVariable(const wchar_t* name, std::optional<std::wstring> value) : name_(name) {
        const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
        if (needed > 0) {
            std::wstring old(needed, L'\0');
            old.resize(GetEnvironmentVariableW(name, old.data(), needed));
            old_ = old;
        }
        SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

}  // namespace gapscope::test
