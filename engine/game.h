// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The game: the game board, the record of the moves played since the last set-up and
// what taking each back needs, and the lock that keeps a reader's copy of the board
// whole while search thread 0 plays the engine's move on it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "board/board.h"
#include "board/relaxed.h"
#include "engine/listener.h"
#include "engine/replay.h"

class Game {
public:
    Game();

    // The game board, read-only: it changes only through the operations below. Thread 0
    // writes it (the engine's move) while the command loop may read it: readers that
    // can run during a search copy it under lock().
    const Board_BB64 &board() const { return *board_; }
    std::unique_lock<std::mutex> lock() { return std::unique_lock<std::mutex>(mutex_); }
    // A consistent copy of the game board, safe during a search.
    void copyBoard(Board_BB64 &out);
    // The board search thread 0 searches: no other thread writes it meanwhile.
    Board_BB64 &searchBoard() { return *board_; }

    // The one way a position comes in: the game from a FEN and the moves played from it,
    // read by the face's rules (engine/replay.h). The record keeps the moves since the
    // last irreversible one. A refused FEN (BAD_FEN, UNPLAYABLE) leaves the board as the
    // FEN reader left it or no position at all, as the rules say, with an empty record.
    GameReplay setGame(std::string_view fen, std::span<const std::string_view> moves = {},
                       SetupRules rules = {.lenientFen = true});
    // Whether the board can be searched (isPlayable): a refused FEN can leave one that
    // cannot.
    bool boardUsable() const;

    // recordMove refuses (false) when the record is full.
    uint32_t gamePly() const { return ply_; }
    bool recordFull() const { return ply_ >= GAME_RECORD_CAPACITY; }
    bool recordMove(Move move);
    bool takeBackMove();

    // End of the game: mate, stalemate or a draw by insufficient material.
    GameEnd checkGameEnd();
    // Playing move would reach a fifty-move or threefold-repetition draw.
    bool shouldOfferDraw(Move move);
    // A legal move drawn at random; false when there is none.
    bool randomMove(Move &move);

private:
    void recordUnlocked(Move move);
    void takeBackUnlocked();

    std::unique_ptr<Board_BB64> board_;
    std::mutex mutex_;
    Relaxed<uint32_t> ply_ = 0;
    Move moves_[GAME_RECORD_CAPACITY] = {};
    UndoInfo undo_[GAME_RECORD_CAPACITY] = {};
};
