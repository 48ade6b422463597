// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The game board and its record: set-up, moves played and taken back, and the end of
// the game, each under the game lock.
#include "engine/game.h"

#include "board/movegen.h"
#include "platform/random.h"

Game::Game() : board_(std::make_unique<Board_BB64>()) { board_->setFromFEN(START_FEN); }

void Game::copyBoard(Board_BB64 &out) {
    std::lock_guard<std::mutex> lock(mutex_);
    out = *board_;
}

bool Game::boardUsable() const { return isPlayable(*board_); }

// A game whose record keeps every move is set up from the FEN as read; a longer one
// from where its record starts.
GameReplay Game::setGame(std::string_view fen, std::span<const std::string_view> moves, SetupRules rules) {
    GameReplay g = replayGame(fen, moves, rules);
    std::lock_guard<std::mutex> lock(mutex_);
    ply_ = 0;
    if (g.outcome == ReplayOutcome::BAD_FEN || g.outcome == ReplayOutcome::UNPLAYABLE) {
        if (rules.keepRefusedBoard) board_->setFromFEN(g.fen.c_str());
        else board_->clear();
        return g;
    }
    const bool whole = g.recordMoves.size() == g.moves.size();
    board_->setFromFEN(whole ? g.fen.c_str() : g.recordFen.c_str());
    for (Move m : g.recordMoves) recordUnlocked(m);
    return g;
}

void Game::recordUnlocked(Move move) {
    moves_[ply_] = move;
    board_->history[board_->historyIndex].movePlayed = move;
    board_->makeMove(move, undo_[ply_]);
    ply_ = ply_ + 1;
}

void Game::takeBackUnlocked() {
    ply_ = ply_ - 1;
    board_->unmakeMove(moves_[ply_], undo_[ply_]);
}

bool Game::recordMove(Move move) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    return true;
}

bool Game::takeBackMove() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ply_ == 0) return false;
    takeBackUnlocked();
    return true;
}

// The legality tests make and take back moves on the board: under the game lock, as
// thread 0 runs this after its move while the loop may copy the board.
GameEnd Game::checkGameEnd() {
    std::lock_guard<std::mutex> lock(mutex_);
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
bool Game::shouldOfferDraw(Move move) {
    std::lock_guard<std::mutex> lock(mutex_);
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

// Thread 0 draws it while the loop may copy the board: the generator's trial moves stay
// under the lock.
bool Game::randomMove(Move &move) {
    MoveList list;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generateAllLegal(*board_, list);
    }
    if (list.size() == 0) return false;
    move = list[uint32_t(nextRandom() & 0x7FFFFFFF) % list.size()];
    return true;
}
