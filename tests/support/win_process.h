// Windows test scaffolding: running another program with captured output, and setting an
// environment variable for the programs a test starts.
#pragma once

#include <windows.h>


#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace gapscope::test {

inline std::wstring Wide(std::string_view utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
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
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                      nullptr, 0);
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

// Runs `program` with `arguments` and waits for it; standard output and error go to files
// of their own in `scratch`, which must be a writable folder, and are removed afterwards. (A process counts as ended
// before all its handles are closed, so the files of one run are never reused.)
inline ProcessResult RunProgram(const std::filesystem::path& program,
                                const std::vector<std::wstring>& arguments,
                                const std::filesystem::path& scratch) {
    std::wstring commandLine = QuoteArgument(program.wstring());
    for (const std::wstring& argument : arguments) commandLine += L" " + QuoteArgument(argument);

    static int runs = 0;
    const std::wstring run = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const std::filesystem::path outPath = scratch / (L"stdout-" + run + L".txt");
    const std::filesystem::path errPath = scratch / (L"stderr-" + run + L".txt");
    auto create = [&](const std::filesystem::path& path) {
        return CreateFileW(path.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE out = create(outPath);
    const HANDLE err = create(errPath);
    ProcessResult result;
    result.status = static_cast<DWORD>(-1);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) return result;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    result.out = read(outPath);
    result.err = read(errPath);
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return result;
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
