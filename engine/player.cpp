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
#include "platform/random.h"
#include "search/tt.h"
#include "tools/perft.h"
#include "tools/randgames.h"
#include "tools/randpos.h"
#include "book/book.h"

ChessPlayer::ChessPlayer(EngineListener *listener, SearchLimits *limits, SettingFace face)
    : limits_(limits),
      listener_(listener),
      settings_(face),
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

bool ChessPlayer::boardUsable() const { return isPlayable(*board_); }

GameReplay ChessPlayer::setGame(std::string_view fen, std::span<const std::string_view> moves) {
    GameReplay g = replayGame(fen, moves);
    if (g.outcome == ReplayOutcome::BAD_FEN) return g;
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    board_->setFromFEN(g.recordFen.c_str());
    for (Move m : g.recordMoves) recordUnlocked(m);
    return g;
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
    const uint32_t used = std::min(requested, maxThreads_);
    settings_.setNumber(THREADS, int(used));
    return {used, requested, currentThreads_, maxThreads_};
}

// A cleared table keeps its memory when its size stays: mapping a new block would
// leave its pages to be faulted in by the next search, inside the clock. Either way the
// size lines are printed again and nothing of the previous game survives. A request
// that was rounded down to the size made does not reallocate before every search.
void ChessPlayer::prepareTables(bool clearTables) {
    const uint32_t ttMB = uint32_t(settings_.number(TT_HASH_MB));
    const bool ttChanged = ttMB != ttRequestedMB_ && ttMB != ttCurrentMB_;
    if (!tt_) tt_ = std::make_unique<TranspositionTable>();
    const bool ttRemade = (ttChanged || (clearTables && !tt_->entryCount())) && tt_->resize(ttMB);
    if (ttRemade) {
        listener_->onTableSize(HashTableKind::TRANSPOSITION, TranspositionTable::sizeMBFor(ttMB),
                               tt_->entryCount() != 0);
    } else if (clearTables) {
        tt_->clear();
        listener_->onTableSize(HashTableKind::TRANSPOSITION, tt_->sizeMB(), true);
    }
    if (ttRemade || ttChanged) ttRequestedMB_ = ttMB;
    ttCurrentMB_ = tt_->sizeMB();

    const uint32_t pawnMB = uint32_t(settings_.number(PAWN_HASH_MB));
    const bool pawnChanged = pawnMB != pawnHashRequestedMB_ && pawnMB != pawnHashCurrentMB_;
    if (!pawnHash_) pawnHash_ = std::make_unique<PawnHashTable>();
    if (clearTables || pawnChanged || !pawnHash_->entryCount()) {
        if (pawnChanged || !pawnHash_->entryCount()) pawnHash_->resize(pawnMB);
        else pawnHash_->clear();
        listener_->onTableSize(HashTableKind::PAWN, pawnHash_->sizeMB(), pawnHash_->entryCount() != 0);
        pawnHashRequestedMB_ = pawnMB;
    }
    pawnHashCurrentMB_ = pawnHash_->sizeMB();
}

// A new block is faulted in on background threads (at start-up that keeps the 256 MB
// table out of the time to "feature done"); the search that would stall on it waits.
void ChessPlayer::waitForTables() {
    if (tt_) tt_->waitFaulted();
    if (pawnHash_) pawnHash_->waitFaulted();
}

// Called only while no search runs (start-up, "new", "protover", before a search).
void ChessPlayer::prepareSearch(bool clearTables) {
    // The pool holds pointers into the tables: it goes before they can be replaced.
    const uint32_t threads = uint32_t(settings_.number(THREADS));
    if (clearTables || threads != currentThreads_) {
        pool_.reset();
        currentThreads_ = threads;
    }
    prepareTables(clearTables);
    if (!pool_) pool_ = std::make_unique<ThreadPool>(currentThreads_, &ChessPlayer::searchJob, this);
}

void ChessPlayer::setRandomPosition() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    generateRandomPosition(*board_, chess960());
}

void ChessPlayer::renameBook() {
    std::lock_guard<std::mutex> lock(bookMutex_);
    if (book_) book_->rename(settings_.text(BOOK_FILE).c_str());
}

bool ChessPlayer::bookMove(Move &move) {
    PolyglotBook *book;
    {
        std::lock_guard<std::mutex> lock(bookMutex_);
        if (!book_) book_ = std::make_unique<PolyglotBook>(settings_.text(BOOK_FILE).c_str());
        book = book_.get();
    }
    // The object lives until the player goes; only its name may change meanwhile.
    const bool found = book->probeBook(*board_, move);
    if (book->lastReadError()) listener_->onBookError(book->lastReadError());
    return found;
}

void ChessPlayer::initialiseTablebases(const std::string &type, const std::string &path) {
    settings_.setText(GTB_PATH, readSetting(setting(GTB_PATH), path).text);
    tablebases_->initialise(type, settings_.text(GTB_PATH), settings_.number(GTB_CACHE_MB));
}

void ChessPlayer::applyEffect(SettingEffect effect) {
    switch (effect) {
    case SettingEffect::NONE: break;
    case SettingEffect::RELOAD_TABLEBASES: initialiseTablebases("gaviota", settings_.text(GTB_PATH)); break;
    case SettingEffect::BOOK_FILE: renameBook(); break;
    case SettingEffect::CLEAR_HASH: prepareSearch(true); break;
    }
}

void ChessPlayer::storeSetting(SettingId id, int number, const std::string &text) {
    if (setting(id).kind == SettingKind::PATH) settings_.setText(id, readSetting(setting(id), text).text);
    else settings_.setNumber(id, number);
}

void ChessPlayer::applySetting(SettingId id, int number, const std::string &text) {
    storeSetting(id, number, text);
    applyEffect(setting(id).effect);
}

bool ChessPlayer::playRandomGames(int n) {
    const bool shuffled = chess960();
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
