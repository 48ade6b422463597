// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A regular file mapped read-only into memory, for tables that are read at random
// places many times (the operating system keeps the pages it needs and drops the rest).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    // Maps path (which must be a regular, non-empty file). On failure returns false and
    // says why in error; the object is then empty.
    bool open(const std::string &path, std::string &error);
    void close();

    const uint8_t *data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const uint8_t *data_ = nullptr;
    std::size_t size_ = 0;
#ifdef _WIN32
    void *mapping_ = nullptr;  // the file-mapping object's handle
#endif
};
