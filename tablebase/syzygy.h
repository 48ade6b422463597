// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Syzygy endgame tables (.rtbw win/draw/loss, .rtbz distance to zeroing) of a list of
// folders: what is on disk, the lazy mapping of each file on first use, and the raw
// lookups of a board position. Any number of threads may probe at once; files are
// opened under a lock and published through an atomic state.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mapped_file.h"
#include "tablebase/syzygy_format.h"

class Board_BB64;

// How folders are separated in a path list: ';' on Windows (where ':' follows a
// drive letter), ':' elsewhere.
#ifdef _WIN32
constexpr char SZ_PATH_SEPARATOR = ';';
#else
constexpr char SZ_PATH_SEPARATOR = ':';
#endif

// The result of a raw table lookup.
enum class SzLookup : uint8_t { FOUND, NOT_STORED, NO_TABLE, FAILED };

class SyzygyTables {
public:
    SyzygyTables();
    ~SyzygyTables();
    SyzygyTables(const SyzygyTables &) = delete;
    SyzygyTables &operator=(const SyzygyTables &) = delete;

    // Forgets the tables known so far and registers every table whose .rtbw file is in
    // one of the folders (a later folder does not replace a table found earlier).
    // Nothing is opened yet. Returns the number of tables found.
    int load(const std::string &folders);
    int tableCount() const { return int(tables_.size()); }
    // The most men of any table found (0 when none): no larger position is covered.
    int maxMen() const { return maxMen_; }
    // Reasons files were refused since the last call (damaged, truncated, unreadable).
    std::vector<std::string> takeProblems();

    // The stored win/draw/loss of the position (-2..2 for the side to move), ignoring
    // captures and en passant. KvK is a draw.
    SzLookup tableWdl(const Board_BB64 &b, int &wdl) const;
    // The stored DTZ in plies of a position whose WDL (captures included) is wdl != 0;
    // NOT_STORED when the file keeps only the other side to move for this placement.
    SzLookup tableDtz(const Board_BB64 &b, int wdl, int &dtz) const;
    // Whether both files of the position's table exist (probed or not).
    bool hasDtz(const Board_BB64 &b) const;

private:
    struct Table;
    struct Entry {
        Table *table;
        bool flipped;  // the table's first side is black in the position
    };
    const Entry *find(const Board_BB64 &b) const;
    bool ready(Table &t, SzKind kind) const;
    SzLookup lookup(const Board_BB64 &b, SzKind kind, int &value, const SzSubTable *&sub) const;

    std::vector<std::unique_ptr<Table>> tables_;
    std::unordered_map<uint64_t, Entry> byKey_;
    int maxMen_ = 0;
    mutable std::mutex openLock_;
    mutable std::vector<std::string> problems_;
};
