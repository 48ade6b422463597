// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Book lookup: a binary search over the sorted keys in the file, then the position's
// moves gathered around the hit, one of them chosen by weight and converted.
#include "book/book.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "board/movegen.h"
#include "board/zobrist.h"
#include "book/polyglot_keys.h"
#include "platform/files.h"
#include "platform/random.h"

namespace {

uint64_t readBigEndian(const unsigned char *bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

// Reads the first count bytes of the entry at index.
bool readAt(std::FILE *file, uint64_t index, unsigned char *bytes, size_t count) {
    const off_t offset = off_t(index * BOOK_ENTRY_BYTES);
    return fseeko(file, offset, SEEK_SET) == 0 && std::fread(bytes, 1, count, file) == count;
}

std::optional<BookEntry> readEntry(std::FILE *file, uint64_t index) {
    unsigned char bytes[BOOK_ENTRY_BYTES];
    if (!readAt(file, index, bytes, sizeof bytes)) return std::nullopt;
    return BookEntry{readBigEndian(bytes, 8), uint16_t(readBigEndian(bytes + 8, 2)),
                     uint16_t(readBigEndian(bytes + 10, 2)), uint32_t(readBigEndian(bytes + 12, 4))};
}

template <Colour Us> Move convertFor(const Board_BB64 &b, Square from, Square to, int promotion) {
    constexpr Square KingHome = relativeSquare(Us, makeSquare(FILE_E, RANK_1));
    constexpr Square RookKingSide = relativeSquare(Us, makeSquare(FILE_H, RANK_1));
    constexpr Square RookQueenSide = relativeSquare(Us, makeSquare(FILE_A, RANK_1));
    constexpr int ExtraOO = Us == WHITE ? CASTLE_WHITE_OO : CASTLE_BLACK_OO;
    constexpr int Up = Us == WHITE ? 8 : -8;
    const auto ownRookOn = [&](Square s) { return b.pieceOn[s] == ROOK && b.colorOn[s] == Us; };

    // Books write castling as the king taking its own rook; older ones as the king's
    // two-square step. Either becomes the engine's castling move.
    if (from == KingHome && b.pieceOn[from] == KING) {
        if ((to == KingHome + 2 || to == RookKingSide) && ownRookOn(RookKingSide)) return CASTLE_MOVES[ExtraOO];
        if ((to == KingHome - 2 || to == RookQueenSide) && ownRookOn(RookQueenSide))
            return CASTLE_MOVES[ExtraOO + 1];
    }
    if (promotion != 0) return makePromotion(from, to, KNIGHT + promotion - 1);
    if (b.pieceOn[from] == PAWN) {
        if (to == b.epSquare) return makeMove(from, to, EN_PASSANT);
        if (rankOf(from) == relativeRank(Us, RANK_2) && to == from + 2 * Up) return makeMove(from, to, NORMAL, 1);
    }
    return makeMove(from, to);
}

// The book is data from outside: its move is played only if the generator agrees, bit
// for bit, so make never sees a move it was not written for.
bool isLegalHere(const Board_BB64 &board, Move move) {
    if (board.sideToMove != WHITE && board.sideToMove != BLACK) return false;
    Board_BB64 scratch = board;  // the generators test legality by make and unmake
    MoveList list;
    generateAllLegal(scratch, list);
    return std::any_of(list.begin(), list.end(), [move](const ScoredMove &m) { return m.move == move; });
}

// Index of the chosen candidate: by weight with nextRandom(), or the first when all weigh 0.
int chooseBookCandidate(const BookEntry *candidates, int count) {
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) total += candidates[i].weight;
    if (total == 0) return 0;
    const uint64_t r = uint64_t(nextRandom() & 0x7FFFFFFF) % total;
    uint64_t sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += candidates[i].weight;
        if (sum > r) return i;
    }
    return count - 1;  // not reached: the running sum ends at total, which exceeds r
}

}  // namespace

bool convertBookMove(const Board_BB64 &board, uint16_t bookMove, Move &move) {
    const Square to = bookMove & 63;
    const Square from = (bookMove >> 6) & 63;
    const int promotion = (bookMove >> 12) & 7;
    if (promotion > 4) return false;
    // The mover's colour decides which castling and double step apply; an empty
    // from-square can only give a plain move or a promotion, the same for both colours.
    move = board.colorOn[from] == BLACK ? convertFor<BLACK>(board, from, to, promotion)
                                        : convertFor<WHITE>(board, from, to, promotion);
    return true;
}

PolyglotBook::PolyglotBook(const char *path) : filePath{}, entries(0) {
    seedRandomFromClock();
    rename(path);
}

PolyglotBook::~PolyglotBook() { closeFile(); }

void PolyglotBook::rename(const char *path) {
    const std::lock_guard<std::mutex> guard(nameLock);
    // A longer name is cut to the buffer, as every path setting is.
    const size_t n = path ? std::min(std::strlen(path), sizeof filePath - 1) : 0;
    std::memcpy(filePath, path ? path : "", n);
    filePath[n] = 0;
    countEntries();
}

// A seek or read that failed for a reason the platform can name is kept for the caller;
// running off the end of a file that shrank since it was counted is not an error.
void PolyglotBook::noteReadError() {
    if (errno != 0) readError = errno;
}

// A trailing partial entry is not counted; a file that cannot be measured has none, and
// neither has anything that is not a regular file (a folder has a size too).
void PolyglotBook::countEntries() {
    const std::optional<uint64_t> size = regularFileSize(filePath);
    entries.store(size ? *size / BOOK_ENTRY_BYTES : 0, std::memory_order_relaxed);
}

bool PolyglotBook::openFile() {
    const std::lock_guard<std::mutex> guard(nameLock);
    file = openRegularFile(filePath, "rb");
    return file != nullptr;
}

void PolyglotBook::closeFile() {
    if (file) std::fclose(file);
    file = nullptr;
}

std::optional<BookEntry> PolyglotBook::readBookEntry(uint64_t index) {
    if (index >= entryCount()) return std::nullopt;
    if (file) return readEntry(file, index);
    if (!openFile()) return std::nullopt;
    const std::optional<BookEntry> entry = readEntry(file, index);
    closeFile();
    return entry;
}

bool PolyglotBook::readKeyAt(uint64_t index, uint64_t &key) {
    unsigned char bytes[8];
    errno = 0;
    if (!readAt(file, index, bytes, sizeof bytes)) {
        noteReadError();
        return false;
    }
    key = readBigEndian(bytes, 8);
    return true;
}

// Lands on some entry with the key, not necessarily the first: the candidates are
// gathered on both sides of it afterwards.
bool PolyglotBook::findKey(uint64_t key, uint64_t &index) {
    // 64-bit bounds: the midpoint cannot overflow however large the file claims to be.
    int64_t lo = 0, hi = int64_t(entryCount()) - 1;
    while (lo <= hi) {
        const int64_t mid = (lo + hi + 1) / 2;
        uint64_t entryKey;
        if (!readKeyAt(uint64_t(mid), entryKey)) return false;
        if (entryKey == key) {
            index = uint64_t(mid);
            return true;
        }
        if (key < entryKey) hi = mid - 1;
        else lo = mid + 1;
    }
    return false;
}

PolyglotBook::Take PolyglotBook::takeIfSameKey(uint64_t index, uint64_t key, BookEntry *candidates, int &count) {
    errno = 0;
    const std::optional<BookEntry> entry = readBookEntry(index);
    if (!entry) {
        noteReadError();
        return Take::FAILED;
    }
    if (entry->key != key) return Take::OTHER_KEY;
    candidates[count++] = *entry;
    return Take::ADDED;
}

// The hit first, then its equal neighbours below, then above. Returns the count, or -1
// when a read failed.
int PolyglotBook::collectCandidates(uint64_t key, uint64_t mid, BookEntry *candidates) {
    int count = 0;
    if (takeIfSameKey(mid, key, candidates, count) != Take::ADDED) return -1;
    Take taken = Take::ADDED;
    for (uint64_t i = mid; i-- > 0 && count < MAX_BOOK_CANDIDATES && taken == Take::ADDED;)
        taken = takeIfSameKey(i, key, candidates, count);
    if (taken == Take::FAILED) return -1;
    taken = Take::ADDED;
    for (uint64_t i = mid + 1; i < entryCount() && count < MAX_BOOK_CANDIDATES && taken == Take::ADDED; ++i)
        taken = takeIfSameKey(i, key, candidates, count);
    return taken == Take::FAILED ? -1 : count;
}

bool PolyglotBook::probeBook(const Board_BB64 &board, Move &move) {
    const uint64_t key = polyglotKey(board);
    readError = 0;
    if (!openFile()) return false;
    uint64_t mid = 0;
    BookEntry candidates[MAX_BOOK_CANDIDATES];
    const int count = findKey(key, mid) ? collectCandidates(key, mid, candidates) : 0;
    closeFile();
    if (count <= 0) return false;
    Move converted;
    if (!convertBookMove(board, candidates[chooseBookCandidate(candidates, count)].move, converted)) return false;
    if (!isLegalHere(board, converted)) return false;
    move = converted;
    return true;
}
