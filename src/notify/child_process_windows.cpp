#include <windows.h>

#include <cwctype>
#include <system_error>

#include "notify/child_process.h"

namespace stillmon {

namespace {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}

std::string error_text(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

// One argument as the C runtime's parsing reads it back: quoted when it holds blanks or
// quotes, the backslashes before a quote doubled.
void append_argument(std::wstring& line, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

bool same_name(std::wstring_view variable, const std::wstring& name) {
    if (variable.size() <= name.size() || variable[name.size()] != L'=') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (std::towupper(variable[i]) != std::towupper(name[i])) {
            return false;
        }
    }
    return true;
}

// The program's environment block without the names `added` sets, then `added`, each
// variable ended by a NUL and the block by one more.
std::wstring child_environment(const std::vector<std::pair<std::string, std::string>>& added) {
    std::vector<std::pair<std::wstring, std::wstring>> wide_added;
    for (const auto& [name, value] : added) {
        wide_added.emplace_back(wide(name), wide(value));
    }
    std::wstring block;
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = own; *entry != L'\0'; entry += wcslen(entry) + 1) {
            const std::wstring_view variable(entry);
            bool replaced = false;
            for (const auto& [name, value] : wide_added) {
                replaced = replaced || same_name(variable, name);
            }
            if (!replaced) {
                block.append(variable);
                block += L'\0';
            }
        }
        FreeEnvironmentStringsW(own);
    }
    for (const auto& [name, value] : wide_added) {
        block += name + L'=' + value;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

}  // namespace

ChildEnd run_child_process(const std::vector<std::string>& argv,
                           const std::vector<std::pair<std::string, std::string>>& added,
                           std::string_view input, std::chrono::seconds limit) {
    ChildEnd end;
    if (argv.empty()) {
        end.why = error_text(ERROR_FILE_NOT_FOUND);
        return end;
    }
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherited, 0)) {
        end.why = error_text(GetLastError());
        return end;
    }
    // Only the child's end is inherited: with the writing end in the child too, the child
    // would never see its input end.
    SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);

    std::wstring command_line;
    for (const std::string& argument : argv) {
        if (!command_line.empty()) {
            command_line += L' ';
        }
        append_argument(command_line, wide(argument));
    }
    std::wstring environment = child_environment(added);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = read_end;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                                        environment.data(), nullptr, &startup, &process);
    const DWORD start_error = GetLastError();
    CloseHandle(read_end);
    if (!started) {
        CloseHandle(write_end);
        end.why = error_text(start_error);
        return end;
    }
    CloseHandle(process.hThread);
    // The JSON is far smaller than the pipe's buffer: the write does not wait for the child.
    DWORD written = 0;
    WriteFile(write_end, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    CloseHandle(write_end);

    const auto limit_ms = std::chrono::duration_cast<std::chrono::milliseconds>(limit).count();
    if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(limit_ms)) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        end.how = ChildEnd::How::stopped_at_limit;
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        end.how = ChildEnd::How::exited;
        end.code = static_cast<int>(code);
    }
    CloseHandle(process.hProcess);
    return end;
}

}  // namespace stillmon
