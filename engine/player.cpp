// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine player: the game record, the end-of-game test, and the tables and threads
// it prepares before a search.
#include "engine/player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>

#include "board/movegen.h"
#include "engine/tablebases.h"
#include "engine/threads.h"
#include "eval/pawnhash.h"
#include "platform/memory.h"
#include "platform/random.h"
#include "search/tt.h"
#include "tools/perft.h"
#include "tools/randgames.h"
#include "tools/randpos.h"
#include "book/book.h"

ChessPlayer::ChessPlayer(EngineListener *listener, SearchLimits *limits)
    : limits_(limits),
      listener_(listener),
      maxThreads_(std::max(1u, std::thread::hardware_concurrency())),
      board_(std::make_unique<Board_BB64>()),
      perftHash_(std::make_unique<PerftHash>()),
      tablebases_(std::make_unique<EngineTablebases>()) {
    board_->setFromFEN(START_FEN);
}

// The threads go first: they hold pointers to everything else.
ChessPlayer::~ChessPlayer() {
    stopSearch();
    pool_.reset();
    book_.reset();
    tablebases_.reset();
}

void ChessPlayer::copyBoard(Board_BB64 &out) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    out = *board_;
}

bool ChessPlayer::setPosition(const char *fen) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    return board_->setFromFEN(fen);
}

bool ChessPlayer::boardUsable() const { return perftPositionOk(*board_); }

bool evaluable(const Board_BB64 &b) {
    return b.sideToMove <= BLACK && popCount(b.pieces(WHITE, KING)) == 1 && popCount(b.pieces(BLACK, KING)) == 1;
}

void ChessPlayer::recordUnlocked(Move move) {
    gameMoves_[gamePly_] = move;
    board_->history[board_->historyIndex].movePlayed = move;
    board_->makeMove(move, gameUndo_[gamePly_]);
    gamePly_ = gamePly_ + 1;
}

void ChessPlayer::takeBackUnlocked() {
    gamePly_ = gamePly_ - 1;
    board_->unmakeMove(gameMoves_[gamePly_], gameUndo_[gamePly_]);
}

bool ChessPlayer::recordMove(Move move) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    return true;
}

bool ChessPlayer::takeBackMove() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (gamePly_ == 0) return false;
    takeBackUnlocked();
    return true;
}

// The legality tests make and take back moves on the board: under the game lock, as
// thread 0 runs this after its move while the loop may copy the board.
GameEnd ChessPlayer::checkGameEnd() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    MoveList list;
    const bool inCheck = generateAllLegal(*board_, list);
    if (list.size() == 0)
        return !inCheck ? GameEnd::STALEMATE : board_->side() == BLACK ? GameEnd::WHITE_MATES : GameEnd::BLACK_MATES;
    int reason = DRAW_NONE;
    // Repetitions and the fifty-move rule are the opponent's to claim (we offer).
    if (isDraw(*board_, reason) && reason == DRAW_MATERIAL) return GameEnd::INSUFFICIENT_MATERIAL;
    return GameEnd::NONE;
}

// The probe plays the move on the game board and takes it back, all under the lock so
// that a diagram printed meanwhile never shows the trial position.
bool ChessPlayer::shouldOfferDraw(Move move) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    MoveList list;
    generateAllLegal(*board_, list);
    int reason = DRAW_NONE;
    bool offer = false;
    // The draw test names a repetition only at the third occurrence.
    if (list.size() > 0 && isDraw(*board_, reason))
        offer = reason == DRAW_FIFTY_MOVES || reason == DRAW_REPETITION;
    takeBackUnlocked();
    return offer;
}

CoresReport ChessPlayer::setCores(uint32_t requested) {
    threadsToUse_ = std::min(requested, maxThreads_);
    return {threadsToUse_, requested, pool_ ? currentThreads_ : announcedThreads_, maxThreads_};
}

namespace {

uint32_t affordableMB(uint32_t requestedMB) { return tableMBWithin(requestedMB, physicalMemoryBytes()); }

}  // namespace

// A table is reported when it is cleared, when it has no memory, and when its size is
// not the one last told (announceTables may have told it before it was made).
void ChessPlayer::tellTableSize(const TableSizeReport &r, bool cleared, uint32_t &toldMB) {
    if (!cleared && r.allocated && r.sizeMB == toldMB) return;
    listener_->onTableSize(r);
    toldMB = r.sizeMB;
}

// A cleared table keeps its memory when its size stays: mapping a new block would
// leave its pages to be faulted in by the next search, inside the clock. Either way the
// size is reported again and nothing of the previous game survives. Current and
// requested sizes both become the size actually made, so a request that was rounded
// down does not reallocate before every search.
void ChessPlayer::prepareTransposition(bool clearTables) {
    if (!tt_) tt_ = std::make_unique<TranspositionTable>();
    const uint32_t asked = ttHashSizeMB_, full = TranspositionTable::sizeMBFor(asked);
    const bool remade = (asked != ttCurrentMB_ || (clearTables && !tt_->entryCount())) &&
                        tt_->resize(affordableMB(asked));
    if (remade) {
        const bool allocated = tt_->entryCount() != 0;
        const uint32_t size = allocated ? tt_->sizeMB() : TranspositionTable::sizeMBFor(affordableMB(asked));
        tellTableSize({HashTableKind::TRANSPOSITION, size, asked, allocated, size < full}, clearTables, ttToldMB_);
    } else if (clearTables) {
        tt_->clear();
        tellTableSize({HashTableKind::TRANSPOSITION, tt_->sizeMB(), asked, true, tt_->sizeMB() < full}, true,
                      ttToldMB_);
    }
    ttCurrentMB_ = ttHashSizeMB_ = tt_->sizeMB();
}

void ChessPlayer::preparePawnHash(bool clearTables) {
    if (!pawnHash_) pawnHash_ = std::make_unique<PawnHashTable>();
    const uint32_t asked = pawnHashSizeMB_;
    const bool resize = asked != pawnHashCurrentMB_ || !pawnHash_->entryCount();
    if (clearTables || resize) {
        if (resize) pawnHash_->resize(affordableMB(asked));
        else pawnHash_->clear();
        const uint32_t size = pawnHash_->sizeMB();
        const TableSizeReport r{HashTableKind::PAWN, size, asked, pawnHash_->entryCount() != 0,
                                size < PawnHashTable::sizeMBFor(asked)};
        tellTableSize(r, clearTables, pawnToldMB_);
    }
    pawnHashCurrentMB_ = pawnHashSizeMB_ = pawnHash_->sizeMB();
}

void ChessPlayer::announceTables() {
    announcedThreads_ = threadsToUse_;
    const uint32_t tt = ttHashSizeMB_, pawn = pawnHashSizeMB_;
    const uint32_t ttSize = TranspositionTable::sizeMBFor(affordableMB(tt));
    const uint32_t pawnSize = PawnHashTable::sizeMBFor(affordableMB(pawn));
    tellTableSize({HashTableKind::TRANSPOSITION, ttSize, tt, true, ttSize < TranspositionTable::sizeMBFor(tt)},
                  false, ttToldMB_);
    tellTableSize({HashTableKind::PAWN, pawnSize, pawn, true, pawnSize < PawnHashTable::sizeMBFor(pawn)}, false,
                  pawnToldMB_);
}

// A new block is faulted in on background threads (a large one takes a tenth of a
// second or more); whoever needs it whole waits here.
void ChessPlayer::waitUntilReady() {
    if (tt_) tt_->waitFaulted();
    if (pawnHash_) pawnHash_->waitFaulted();
}

// Called only while no search runs.
void ChessPlayer::prepareSearch(bool clearTables) {
    // The pool holds pointers into the tables: it goes before they can be replaced.
    if (clearTables || threadsToUse_ != currentThreads_) {
        pool_.reset();
        currentThreads_ = threadsToUse_;
    }
    prepareTransposition(clearTables);
    preparePawnHash(clearTables);
    if (!pool_) pool_ = std::make_unique<ThreadPool>(currentThreads_, &ChessPlayer::searchJob, this);
}

void ChessPlayer::setRandomPosition() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    generateRandomPosition(*board_, chess960_);
}

void ChessPlayer::setBookFile(const std::string &path) {
    std::lock_guard<std::mutex> lock(bookMutex_);
    bookFilePath_ = path;
    if (book_) book_->rename(path.c_str());
}

bool ChessPlayer::bookMove(Move &move) {
    PolyglotBook *book;
    {
        std::lock_guard<std::mutex> lock(bookMutex_);
        if (!book_) book_ = std::make_unique<PolyglotBook>(bookFilePath_.c_str());
        book = book_.get();
    }
    // The object lives until the player goes; only its name may change meanwhile.
    return book->probeBook(*board_, move);
}

void ChessPlayer::initialiseTablebases(const std::string &type, const std::string &path) {
    gtbPath_ = path;
    tablebases_->initialise(type, path, int(gtbCacheSizeMB_));
}

void ChessPlayer::applySetting(SettingId id, int number, const std::string &text) {
    switch (id) {
    case THREADS: setCores(uint32_t(number)); break;
    case TT_HASH_MB: ttHashSizeMB_ = uint32_t(number); break;
    case PAWN_HASH_MB: pawnHashSizeMB_ = uint32_t(number); break;
    case GTB_CACHE_MB:
        gtbCacheSizeMB_ = uint32_t(number);
        initialiseTablebases("gaviota", gtbPath_);
        break;
    case GTB_PATH: initialiseTablebases("gaviota", text); break;
    case BOOK_FILE: setBookFile(text); break;
    case OWN_BOOK: bookEnabled_ = number != 0; break;
    case MULTI_PV: multiPv_ = uint32_t(number); break;
    case CHESS960: chess960_ = number != 0; break;
    default: break;  // the face's own settings
    }
}

void ChessPlayer::storeSetting(SettingId id, int number, const std::string &text) {
    switch (id) {
    case GTB_CACHE_MB: gtbCacheSizeMB_ = uint32_t(number); break;
    case GTB_PATH: gtbPath_ = text; break;
    case BOOK_FILE: bookFilePath_ = text; break;
    default: applySetting(id, number, text); break;
    }
}

uint32_t ChessPlayer::settingNumber(SettingId id) const {
    switch (id) {
    case THREADS: return threadsToUse_;
    case TT_HASH_MB: return ttHashSizeMB_;
    case PAWN_HASH_MB: return pawnHashSizeMB_;
    case GTB_CACHE_MB: return gtbCacheSizeMB_;
    case OWN_BOOK: return bookEnabled_ ? 1 : 0;
    case MULTI_PV: return multiPv_;
    case CHESS960: return chess960_ ? 1 : 0;
    default: return uint32_t(setting(id).defaultValue);
    }
}

bool ChessPlayer::playRandomGames(int n) {
    const bool shuffled = chess960_;
    const RandomGameHooks hooks{[this, shuffled] {
                                    char fen[100];
                                    if (!shuffled || !chess960Fen(int(nextRandom() % 960), FenStyle::X_FEN, fen))
                                        std::strcpy(fen, START_FEN);
                                    setPosition(fen);
                                },
                                [this](Move m) { return recordMove(m); }};
    const bool ok = runRandomGames(*board_, n, hooks);
    setPosition(START_FEN);
    return ok;
}
