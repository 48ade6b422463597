// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "platform/files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32

#include <stdio.h>

// Windows has no FIFOs that a path can name, and opening its devices ("NUL", "CON")
// does not wait; but a device need not show as one through its path, so the open
// stream is examined too.
std::FILE *openRegularFile(const char *path, const char *mode) {
    if (!path || !mode || !mode[0] || !std::strchr("rwa", mode[0])) {
        errno = EINVAL;
        return nullptr;
    }
    struct _stat64 info;
    if (_stat64(path, &info) == 0 && (info.st_mode & _S_IFMT) != _S_IFREG) {
        errno = (info.st_mode & _S_IFMT) == _S_IFDIR ? EISDIR : EINVAL;
        return nullptr;
    }
    std::FILE *file = std::fopen(path, mode);
    if (!file) return nullptr;
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        errno = EINVAL;
        return nullptr;
    }
    return file;
}

std::optional<std::uint64_t> regularFileSize(const char *path) {
    struct _stat64 info;
    if (!path || _stat64(path, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return std::nullopt;
    return std::uint64_t(info.st_size);
}

// The C runtime's own ceiling on open streams (512 unless raised).
std::optional<std::uint64_t> openFileLimit() {
    const int limit = _getmaxstdio();
    if (limit <= 0) return std::nullopt;
    return std::uint64_t(limit);
}

#else

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The open(2) flags of an fopen mode, or -1 for a mode that is not one.
int openFlags(const char *mode) {
    if (!mode) return -1;
    const bool update = std::strchr(mode, '+') != nullptr;
    switch (mode[0]) {
    case 'r': return update ? O_RDWR : O_RDONLY;
    case 'w': return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a': return (update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default: return -1;
    }
}

// Closes fd and fails with the given errno (close must not overwrite it).
std::FILE *refuse(int fd, int error) {
    ::close(fd);
    errno = error;
    return nullptr;
}

}  // namespace

std::FILE *openRegularFile(const char *path, const char *mode) {
    const int flags = openFlags(mode);
    if (!path || flags < 0) {
        errno = EINVAL;
        return nullptr;
    }
    // O_NONBLOCK makes opening a FIFO return at once: for reading it opens without a
    // writer, for writing it fails with ENXIO without a reader. Either way fstat then
    // tells what was opened before anything reads or writes.
    const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat info;
    if (::fstat(fd, &info) != 0) return refuse(fd, errno);
    if (!S_ISREG(info.st_mode)) return refuse(fd, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    // A regular file never blocks, but the stream should behave as fopen's would.
    const int status = ::fcntl(fd, F_GETFL);
    if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) return refuse(fd, errno);
    std::FILE *file = ::fdopen(fd, mode);
    if (!file) return refuse(fd, errno);
    return file;
}

std::optional<std::uint64_t> regularFileSize(const char *path) {
    struct stat info;
    if (!path || ::stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return std::uint64_t(info.st_size);
}

std::optional<std::uint64_t> openFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    return std::uint64_t(limit.rlim_cur);
}

#endif
