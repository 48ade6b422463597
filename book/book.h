// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The opening book: a file of 16-byte entries sorted by position key, opened for each
// probe and closed again, with a weighted random choice among a position's moves.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>

#include "board/move.h"

class Board_BB64;

// One file entry, fields in file order (the file stores them big-endian).
struct BookEntry {
    uint64_t key;
    uint16_t move;  // book encoding: to file, to rank, from file, from rank, promotion
    uint16_t weight;
    uint32_t learn;  // read, not used
};

constexpr int BOOK_ENTRY_BYTES = 16;
constexpr int BOOK_PATH_SIZE = 256;
// More moves than this for one position are ignored; no real position has so many.
constexpr int MAX_BOOK_CANDIDATES = 256;

class PolyglotBook {
public:
    // Stores the path (at most 255 characters), counts the entries and seeds the generator from
    // the clock unless something in the process already did (one shared once-flag).
    explicit PolyglotBook(const char *path);
    ~PolyglotBook();
    PolyglotBook(const PolyglotBook &) = delete;
    PolyglotBook &operator=(const PolyglotBook &) = delete;

    // A new file name; the entry count is taken again from the new file's size.
    void rename(const char *path);
    uint64_t entryCount() const { return entries.load(std::memory_order_relaxed); }

    // Entry at index, or nothing past the end or on a failed seek or read. Uses the file
    // of the running probe, or opens and closes the file itself.
    std::optional<BookEntry> readBookEntry(uint64_t index);

    // A book move for the position, chosen at random by weight. Only a move that is
    // legal on this board is answered, so a damaged book cannot damage the game.
    bool probeBook(const Board_BB64 &board, Move &move);
    // The system's error number (errno) of a read that failed in the last probe, 0 when
    // every read succeeded or only ran off the end of a file that shrank meanwhile.
    int lastReadError() const { return readError; }

private:
    enum class Take { ADDED, OTHER_KEY, FAILED };

    char filePath[BOOK_PATH_SIZE];
    // The option may rename the book while thread 0 probes it: the name is copied under
    // the lock, and a count that changes mid-probe only makes reads past the end fail.
    std::atomic<uint64_t> entries;
    std::FILE *file = nullptr;
    std::mutex nameLock;
    int readError = 0;  // of the probing thread

    void countEntries();
    void noteReadError();
    bool openFile();
    void closeFile();
    bool readKeyAt(uint64_t index, uint64_t &key);
    bool findKey(uint64_t key, uint64_t &index);
    Take takeIfSameKey(uint64_t index, uint64_t key, BookEntry *candidates, int &count);
    int collectCandidates(uint64_t key, uint64_t mid, BookEntry *candidates);
};

// The book move in the engine's encoding: castling from the king's two-square or
// king-takes-rook form, promotions, en-passant captures, and the double-step mark.
// False for a promotion field that names no piece.
bool convertBookMove(const Board_BB64 &board, uint16_t bookMove, Move &move);
