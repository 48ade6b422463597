// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "platform/mapped_file.h"

#include <cerrno>
#include <cstring>

#include "platform/files.h"

#ifdef _WIN32

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

bool MappedFile::open(const std::string &path, std::string &error) {
    close();
    const auto size = regularFileSize(path.c_str());
    if (!size || *size == 0) {
        error = size ? "empty file" : "not a regular file";
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot open (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    // The mapping keeps the file open; the handle itself is no longer needed.
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);
    const void *view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        error = "cannot map (error " + std::to_string(GetLastError()) + ")";
        if (mapping) CloseHandle(mapping);
        return false;
    }
    mapping_ = mapping;
    data_ = static_cast<const uint8_t *>(view);
    size_ = std::size_t(*size);
    return true;
}

void MappedFile::close() {
    if (data_) UnmapViewOfFile(data_);
    if (mapping_) CloseHandle(mapping_);
    data_ = nullptr;
    mapping_ = nullptr;
    size_ = 0;
}

#else

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

bool MappedFile::open(const std::string &path, std::string &error) {
    close();
    // O_NONBLOCK: a FIFO under a table's name must not hold the engine up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info {};
    const bool examined = ::fstat(fd, &info) == 0;
    if (!examined || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        error = !examined ? std::strerror(errno) : S_ISREG(info.st_mode) ? "empty file" : "not a regular file";
        ::close(fd);
        return false;
    }
    void *view = ::mmap(nullptr, std::size_t(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);  // the mapping stays valid without the descriptor
    if (view == MAP_FAILED) {
        error = std::strerror(errno);
        return false;
    }
    ::madvise(view, std::size_t(info.st_size), MADV_RANDOM);
    data_ = static_cast<const uint8_t *>(view);
    size_ = std::size_t(info.st_size);
    return true;
}

void MappedFile::close() {
    if (data_) ::munmap(const_cast<uint8_t *>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

#endif
