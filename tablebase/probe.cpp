// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/probe.h"

#include <atomic>
#include <cstdlib>
#include <utility>

#include "board/board.h"
#include "tablebase/module.h"

namespace {

// At most five men, so a side has at most five entries; one more slot for the end mark.
constexpr int MAX_SIDE = 5;

struct TbPosition {
    Square squares[2][MAX_SIDE + 1];
    uint8_t codes[2][MAX_SIDE];
    int count[2];
    int side;
};

struct GtbAnswer {
    unsigned code;
    unsigned plies;
};

std::atomic_ref<int32_t> statusOf(TbModule &m, int row) { return std::atomic_ref<int32_t>(m.status[row]); }

bool readSide(const Square *squares, const uint8_t *codes, Square *outSquares, uint8_t *outCodes, int &count) {
    if (!squares || !codes) return false;
    for (count = 0; squares[count] != NO_SQUARE; ++count) {
        if (count == MAX_SIDE || squares[count] < 0 || squares[count] > 63) return false;
        if (codes[count] < PAWN || codes[count] > KING) return false;
        outSquares[count] = squares[count];
        outCodes[count] = codes[count];
    }
    outSquares[count] = NO_SQUARE;
    return codes[count] == 0 && count > 0;
}

// Highest code first, so the king leads and the rest follow the order of endgame names.
void sortSide(TbPosition &p, int c) {
    for (int i = 1; i < p.count[c]; ++i)
        for (int j = i; j > 0 && p.codes[c][j] > p.codes[c][j - 1]; --j) {
            std::swap(p.codes[c][j], p.codes[c][j - 1]);
            std::swap(p.squares[c][j], p.squares[c][j - 1]);
        }
}

void endgameName(const TbPosition &p, int first, char *name) {
    static constexpr char LETTERS[] = "-pnbrqkkqk";
    int n = 0;
    for (int c : {first, first ^ 1})
        for (int i = 0; i < p.count[c]; ++i) name[n++] = LETTERS[p.codes[c][i]];
    name[n] = '\0';
}

void mirrorColours(TbPosition &p) {
    std::swap(p.squares[0], p.squares[1]);
    std::swap(p.codes[0], p.codes[1]);
    std::swap(p.count[0], p.count[1]);
    for (auto &side : p.squares)
        for (Square &s : side)
            if (s != NO_SQUARE) s ^= 56;
    p.side ^= 1;
}

// The block holding `index` goes into the cache (or, without a cache, the single byte
// is read); called under the lock after a miss.
bool loadAnswer(TbModule &m, int row, int side, uint32_t index, uint16_t &answer) {
    const TablebaseEndgame &e = tablebaseEndgames[row];
    if (m.cache.capacity() == 0) {
        uint8_t byte = 0;
        if (!tbReadByte(m, row, side, index, byte)) return false;
        answer = storedByteToAnswer(byte, side);
        return true;
    }
    const uint32_t start = index / TB_BLOCK_POSITIONS * TB_BLOCK_POSITIONS;
    const uint32_t count = std::min(TB_BLOCK_POSITIONS, e.positionsPerSide - start);
    uint16_t *block = m.cache.beginLoad();
    const bool ok = tbReadBlock(m, row, side, start, count, m.output);
    if (ok)
        for (uint32_t i = 0; i < count; ++i) block[i] = storedByteToAnswer(m.output[i], side);
    m.cache.finishLoad(ok, row + 1, side, start);
    if (!ok) return false;
    answer = block[index - start];
    return true;
}

// Cache lookup and, on a miss, the load; file failures make the endgame unavailable.
bool lookUp(TbModule &m, int row, int side, uint32_t index, bool mayReadFiles, uint16_t &answer) {
    std::lock_guard guard(m.lock);
    TbStatistics &stats = m.cache.stats;
    ++(mayReadFiles ? stats.hardProbes : stats.softProbes);
    if (auto hit = m.cache.lookup(row + 1, side, index)) {
        answer = *hit;
        return true;
    }
    ++(mayReadFiles ? stats.hardMisses : stats.softMisses);
    if (!mayReadFiles) return false;
    if (!m.files[row] && !tbEnsureFileOpen(m, row)) return false;  // missing: retried later
    if (loadAnswer(m, row, side, index, answer)) return true;
    statusOf(m, row).store(TB_STATUS_UNAVAILABLE, std::memory_order_relaxed);
    return false;
}

// Steps after the input checks, without en passant: sort, find the endgame (mirroring a
// position whose colours are the other way round), encode, look up.
bool probeWithoutEp(TbModule &m, TbPosition p, bool mayReadFiles, GtbAnswer &out) {
    out = {TB_FORBIDDEN, 0};
    sortSide(p, WHITE);
    sortSide(p, BLACK);
    char name[2 * MAX_SIDE + 1];
    endgameName(p, WHITE, name);
    int row = findEndgame(name);
    const bool mirrored = row < 0;
    if (mirrored) {
        endgameName(p, BLACK, name);
        if ((row = findEndgame(name)) < 0) return false;
        mirrorColours(p);
    }
    const TablebaseEndgame &e = tablebaseEndgames[row];
    if (statusOf(m, row).load(std::memory_order_relaxed) == TB_STATUS_UNAVAILABLE || !e.encode) return false;
    uint32_t index = 0;
    if (!e.encode(p.squares[WHITE], p.squares[BLACK], index) || index >= e.positionsPerSide) return false;
    uint16_t answer = 0;
    if (!lookUp(m, row, p.side, index, mayReadFiles, answer)) return false;
    out = {answer & 7u, unsigned(answer >> 3)};
    if (mirrored && (out.code == TB_WHITE_MATES || out.code == TB_BLACK_MATES)) out.code ^= 3;
    return true;
}

// How much the side to move likes an answer: wins (shorter first) over draws over
// losses (longer first). Forbidden answers are never compared.
int preference(const GtbAnswer &a, int side) {
    if (a.code == TB_DRAW) return 0;
    const bool win = a.code == (side == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES);
    return win ? 100000 - int(a.plies) : int(a.plies) - 100000;
}

// The tables know nothing of en passant: each legal-looking capture is probed as the
// position after it, and the side to move keeps the better of capturing or not.
bool addEpCaptures(TbModule &m, const TbPosition &p, int epSquare, bool mayReadFiles, GtbAnswer &best) {
    const int us = p.side, them = us ^ 1;
    const Square victim = epSquare ^ 8;
    if (rankOf(epSquare) != (us == WHITE ? RANK_6 : RANK_3)) return true;
    int victimAt = -1;
    for (int i = 0; i < p.count[them]; ++i)
        if (p.squares[them][i] == victim && p.codes[them][i] == PAWN) victimAt = i;
    if (victimAt < 0) return true;
    for (int i = 0; i < p.count[us]; ++i) {
        const Square s = p.squares[us][i];
        if (p.codes[us][i] != PAWN || rankOf(s) != rankOf(victim) || std::abs(fileOf(s) - fileOf(victim)) != 1)
            continue;
        TbPosition after = p;
        after.squares[us][i] = epSquare;
        for (int j = victimAt; j < p.count[them]; ++j) {
            after.squares[them][j] = p.squares[them][j + 1];
            after.codes[them][j] = j + 1 < p.count[them] ? p.codes[them][j + 1] : 0;
        }
        --after.count[them];
        after.side = them;
        GtbAnswer capture{};
        if (!probeWithoutEp(m, after, mayReadFiles, capture)) return false;
        if (capture.code == TB_WHITE_MATES || capture.code == TB_BLACK_MATES) ++capture.plies;
        if (capture.code == TB_FORBIDDEN) continue;
        if (best.code == TB_FORBIDDEN || preference(capture, us) > preference(best, us)) best = capture;
    }
    return true;
}

bool kingsOnlyLegal(const TbPosition &p) {
    const Square a = p.squares[WHITE][0], b = p.squares[BLACK][0];
    return a != b && std::max(std::abs(fileOf(a) - fileOf(b)), std::abs(rankOf(a) - rankOf(b))) > 1;
}

}  // namespace

GaviotaTables::GaviotaTables() : m_(std::make_unique<TbModule>()) {}

GaviotaTables::~GaviotaTables() { close(); }

bool GaviotaTables::probe(int sideToMove, int epSquare, const Square *whiteSquares, const Square *blackSquares,
                          const uint8_t *whitePieces, const uint8_t *blackPieces, bool mayReadFiles, unsigned &info,
                          unsigned &plies) {
    info = TB_FORBIDDEN;
    plies = 0;
    TbPosition p{};
    if (sideToMove != WHITE && sideToMove != BLACK) return false;
    if (epSquare < 0 || epSquare > NO_SQUARE) return false;
    if (!readSide(whiteSquares, whitePieces, p.squares[WHITE], p.codes[WHITE], p.count[WHITE]) ||
        !readSide(blackSquares, blackPieces, p.squares[BLACK], p.codes[BLACK], p.count[BLACK]))
        return false;
    if (p.count[WHITE] + p.count[BLACK] > MAX_SIDE) return false;
    p.side = sideToMove;
    if (p.count[WHITE] == 1 && p.count[BLACK] == 1 && p.codes[WHITE][0] == KING && p.codes[BLACK][0] == KING) {
        info = kingsOnlyLegal(p) ? TB_DRAW : TB_FORBIDDEN;
        return true;
    }
    GtbAnswer answer{};
    if (!probeWithoutEp(*m_, p, mayReadFiles, answer)) return false;
    if (epSquare != NO_SQUARE && !addEpCaptures(*m_, p, epSquare, mayReadFiles, answer)) return false;
    const uint16_t packed = packAnswer(answer.code, answer.plies);
    info = packed & 7;
    plies = packed >> 3;
    return true;
}

bool GaviotaTables::probe(const Board_BB64 &board, bool mayReadFiles, unsigned &info, unsigned &plies) {
    Square squares[2][MAX_SIDE + 1];
    uint8_t codes[2][MAX_SIDE + 1];
    int total = 0;
    for (Colour c : {WHITE, BLACK}) {
        PieceIterator it(board, c);
        int n = 0;
        for (Square s = it.next(); s != NO_SQUARE; s = it.next()) {
            if (++total > MAX_SIDE) return false;
            squares[c][n] = s;
            codes[c][n++] = uint8_t(it.pieceType());
        }
        squares[c][n] = NO_SQUARE;
        codes[c][n] = 0;
    }
    const int ep = board.epSquare < 64 ? board.epSquare : NO_SQUARE;
    return probe(board.sideToMove, ep, squares[WHITE], squares[BLACK], codes[WHITE], codes[BLACK], mayReadFiles,
                 info, plies);
}

bool GaviotaTables::open(int scheme, const std::vector<std::string> &directories, int openFileLimit) {
    close();
    // The index tables and each endgame's index functions are the same for every set
    // of tables: built once.
    static const bool indexReady = tbBuildIndexTables() && (attachIndexClasses(), true);
    if (!indexReady) return false;
    TbModule &m = *m_;
    m.directories = directories;
    m.openFileLimit = openFileLimit > 0 ? openFileLimit : tbOpenFileLimitFromProcess();
    m.openFiles.clear();
    m.openFiles.reserve(size_t(m.openFileLimit));
    m.scheme = scheme < 0 || scheme > 9 ? 4 : scheme;
    for (int row = 0; row < TB_ENDGAME_COUNT; ++row)
        if (tablebaseEndgames[row].encode) tbEnsureFileOpen(m, row);
    m.cache.stats = {};
    return true;
}

bool GaviotaTables::setCache(int megabytes) { return m_->cache.create(tbCacheBlocksFor(megabytes, m_->scheme != 0)); }

void GaviotaTables::close() {
    TbModule &m = *m_;
    m.cache.release();
    tbCloseAllFiles(m);
    for (int32_t &status : m.status) status = TB_STATUS_FILES;
    for (auto &offsets : m.blockOffsets) offsets = {};
    m.directories = {};
}

TbStatistics GaviotaTables::statistics() {
    std::lock_guard guard(m_->lock);
    return m_->cache.stats;
}

void GaviotaTables::resetStatistics() {
    std::lock_guard guard(m_->lock);
    m_->cache.stats = {};
}
