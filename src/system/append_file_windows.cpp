#include <windows.h>
// After windows.h, which io.h relies on.
#include <fcntl.h>
#include <io.h>

#include "system/append_file.h"

#include <algorithm>

namespace stillmon {

// The Windows side of the logs: a file handle opened for appending only, with no sharing for
// writers, so a second program fails to open it as flock makes it fail on Linux. The handle
// lives in a C runtime descriptor, which keeps the class's one member as it is on Linux.

namespace {

std::error_code last_error() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

HANDLE handle_of(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

std::error_code AppendFile::open(const std::string& path) {
    close();
    // Readers may share the file (a viewer following the log); writers may not, so the end
    // this handle moves to is the file's end for every append, as O_APPEND keeps it on Linux.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) {
            return std::make_error_code(held_elsewhere);
        }
        // Windows refuses a folder as any other file it may not open; the report names why.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return std::make_error_code(std::errc::is_a_directory);
        }
        return {static_cast<int>(error), std::system_category()};
    }
    // Binary: the descriptor only carries the handle; bytes never pass through its CR LF
    // translation, all writes go to the handle.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_APPEND | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return std::make_error_code(std::errc::too_many_files_open);
    }
    fd_ = fd;
    return {};
}

std::error_code AppendFile::append(std::string_view piece) {
    if (fd_ < 0) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    HANDLE handle = handle_of(fd_);
    LARGE_INTEGER before{};
    if (!GetFileSizeEx(handle, &before) || !SetFilePointerEx(handle, before, nullptr, FILE_BEGIN)) {
        return last_error();
    }
    std::error_code error;
    while (!piece.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(piece.size(), 1U << 30));
        DWORD written = 0;
        if (!WriteFile(handle, piece.data(), chunk, &written, nullptr)) {
            error = last_error();
            break;
        }
        piece.remove_prefix(written);
    }
    if (!error && !FlushFileBuffers(handle)) {
        error = last_error();
    }
    if (error) {
        // Cut off whatever part of the piece got in; that also frees the space it took.
        if (SetFilePointerEx(handle, before, nullptr, FILE_BEGIN)) {
            SetEndOfFile(handle);
        }
    }
    return error;
}

void AppendFile::close() {
    if (fd_ >= 0) {
        _close(fd_);  // closes the handle, and with it the file for other writers
        fd_ = -1;
    }
}

}  // namespace stillmon
