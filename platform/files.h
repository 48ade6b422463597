// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Opening files that the user names. A name may point at a FIFO, a folder or a device
// as easily as at a file, and opening or reading such a thing can wait for ever; only
// regular files are let through.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>

// Opens path with the fopen mode ("r", "rb", "w", "wb", "a", with or without "+") if it
// is a regular file; a write mode creates or truncates it as fopen does. Never blocks:
// a FIFO, with or without a partner, is refused at once. Returns nullptr with errno set
// on failure: the open's own errno, EISDIR for a folder, EINVAL for another kind of
// file that is not regular, or EINVAL for a mode it does not know.
std::FILE *openRegularFile(const char *path, const char *mode);

// The size in bytes of path if it names a regular file; nothing for anything else (a
// folder has a size too) or when it cannot be examined.
std::optional<std::uint64_t> regularFileSize(const char *path);

// How many files the process may have open at once, or nothing when it is unlimited or
// cannot be told.
std::optional<std::uint64_t> openFileLimit();

// Whether c ends a folder's name in a path: '/' everywhere, and '\\' on Windows too.
constexpr bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}
