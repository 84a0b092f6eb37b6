#include "system/append_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace stillmon {

namespace {

std::error_code last_error() {
    return {errno, std::generic_category()};
}

}  // namespace

std::error_code AppendFile::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return last_error();
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const std::error_code error =
            errno == EWOULDBLOCK ? std::make_error_code(held_elsewhere) : last_error();
        ::close(fd);
        return error;
    }
    fd_ = fd;
    return {};
}

std::error_code AppendFile::append(std::string_view piece) {
    if (fd_ < 0) {
        return std::make_error_code(std::errc::bad_file_descriptor);
    }
    struct stat before {};
    if (::fstat(fd_, &before) != 0) {
        return last_error();
    }
    std::error_code error;
    while (!piece.empty()) {
        const ssize_t written = ::write(fd_, piece.data(), piece.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = last_error();
            break;
        }
        piece.remove_prefix(static_cast<std::size_t>(written));
    }
    if (!error && ::fdatasync(fd_) != 0) {
        error = last_error();
    }
    if (error) {
        // Cut off whatever part of the piece got in; that also frees the space it took.
        while (::ftruncate(fd_, before.st_size) != 0 && errno == EINTR) {
        }
    }
    return error;
}

void AppendFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
        fd_ = -1;
    }
}

}  // namespace stillmon
