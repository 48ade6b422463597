// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's side of the tablebases: the handle that "egtpath" and the options
// (re)create, and the probe of a board position that the search calls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Board_BB64;

// Owns the module's state while it is the newest handle; an older handle that is
// destroyed after a newer one was created leaves the newer one's state alone.
class TablebaseHandle {
public:
    ~TablebaseHandle();
    TablebaseHandle(const TablebaseHandle &) = delete;
    TablebaseHandle &operator=(const TablebaseHandle &) = delete;

    bool isAvailable() const { return available.load(std::memory_order_relaxed) != 0; }
    const std::string &pathText() const { return path; }
    const std::vector<std::string> &directoryList() const { return directories; }

private:
    friend std::unique_ptr<TablebaseHandle> tbInitialise(const char *, const char *, int);
    TablebaseHandle() = default;
    std::atomic<uint8_t> available{0};  // read by every search thread
    std::string path;
    std::vector<std::string> directories;
    uint64_t generation = 0;
};

// Tears down whatever tablebase state exists and returns a new handle; the handle is
// available only for type "gaviota", after the module, the cache of cacheMB megabytes
// and the statistics have been set up over the ";"-separated directories.
std::unique_ptr<TablebaseHandle> tbInitialise(const char *type, const char *directories, int cacheMB);

// Probe of a board with at most five men (castling rights are the caller's business).
// Same contract as tbProbe: result code and plies to mate on success.
bool tbProbeBoard(const Board_BB64 &board, bool mayReadFiles, unsigned &info, unsigned &plies);
