// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The staged move picker and the ordering scores of its stages.
#include "search/movepick.h"

#include <utility>

#include "eval/pst.h"
#include "search/search.h"
#include "search/see.h"

namespace {

enum Stage : int {
    STAGE_ALL_LEGAL,
    STAGE_EVASIONS,
    STAGE_PV,
    STAGE_HASH,
    STAGE_SCORED_EVASIONS,
    STAGE_GOOD_CAPTURES,
    STAGE_KILLERS,
    STAGE_QUIETS,
    STAGE_QUIESCENCE,
    STAGE_END
};

constexpr int STAGE_SEQUENCE[5][6] = {
    {STAGE_ALL_LEGAL, STAGE_END},
    {STAGE_EVASIONS, STAGE_END},
    {STAGE_PV, STAGE_HASH, STAGE_SCORED_EVASIONS, STAGE_END},
    {STAGE_PV, STAGE_HASH, STAGE_GOOD_CAPTURES, STAGE_KILLERS, STAGE_QUIETS, STAGE_END},
    {STAGE_PV, STAGE_QUIESCENCE, STAGE_END},
};

constexpr int GOOD_CAPTURE_BONUS = 1000;
constexpr int BAD_CAPTURE_PENALTY = 1050;
constexpr int LOSING_EVASION_PENALTY = 50;
constexpr int KILLER_BONUS = 150;

void nextStage(MovePicker &p) {
    ++p.stage;
    p.stageStarted = false;
    p.cursor = 0;
}

// Killers apply only to moves that are quiet here: a killer that became a capture,
// a promotion or an en-passant capture belongs to the capture stages.
bool quietShape(const Board_BB64 &b, Move m) {
    return b.pieceOn[moveTo(m)] == 0 && moveKind(m) != PROMOTION && moveKind(m) != EN_PASSANT;
}

bool isKillerHere(const Board_BB64 &b, Move m) {
    const HistoryEntry &h = b.history[b.historyIndex];
    if (m == h.killer1 || m == h.killer2) return true;
    if (b.historyIndex + 2 >= uint32_t(HISTORY_SIZE)) return false;
    const HistoryEntry &h2 = b.history[b.historyIndex + 2];
    return m == h2.killer1 || m == h2.killer2;
}

void reportCollision(const MovePicker &p, Move m, bool pseudoLegal) {
    if (p.reporter) p.reporter->reportHashCollision(*p.board, m, pseudoLegal);
}

// Pseudo-legal and legal: in check by playing the move and looking at the own king,
// otherwise by the generators' pin test.
template <Colour Us> bool passesLegality(MovePicker &p, Move m) {
    // Castling out of check passes the square tests of a castling move, so it is
    // refused here.
    if (p.info.inCheck()) return moveKind(m) != CASTLING && p.board->template isLegalAfterQuickMake<Us>(m);
    return isLegal<Us>(*p.board, m, p.info);
}

template <Colour Us> bool validateHashMove(MovePicker &p, Move m) {
    if (!isValidMove<Us>(*p.board, m)) {
        reportCollision(p, m, false);
        return false;
    }
    if (!passesLegality<Us>(p, m)) {
        reportCollision(p, m, true);
        return false;
    }
    return true;
}

bool isPvOrHash(const MovePicker &p, Move m) { return m == p.pvMove || m == p.hashMove; }

bool isAcceptedKiller(const MovePicker &p, Move m) {
    for (uint32_t i = 0; i < p.killerCount; ++i)
        if (p.killers[i].move == m) return true;
    return false;
}

// Evasions: tactical moves first unless the capture loses material, then killers,
// then the other quiet evasions by their piece-square gain.
void scoreEvasions(MovePicker &p) {
    const Board_BB64 &b = *p.board;
    for (ScoredMove &sm : p.moves) {
        const Move m = sm.move;
        int score;
        if (moveKind(m) == PROMOTION || moveKind(m) == EN_PASSANT)
            score = mvvLvaScore(b, m) + GOOD_CAPTURE_BONUS;
        else if (b.pieceOn[moveTo(m)] != 0)
            score = mvvLvaScore(b, m) +
                    (captureHoldsExchange(b, m) ? GOOD_CAPTURE_BONUS : -LOSING_EVASION_PENALTY);
        else if (isKillerHere(b, m))
            score = KILLER_BONUS - ORDER_VALUE[b.pieceOn[moveFrom(m)]];
        else
            score = quietScore(b, m);
        sm.score = int16_t(score);
    }
}

template <Colour Us> void acceptKillers(MovePicker &p) {
    Board_BB64 &b = *p.board;
    Move candidates[4] = {b.history[b.historyIndex].killer1, b.history[b.historyIndex].killer2, NO_MOVE, NO_MOVE};
    if (b.historyIndex + 2 <= uint32_t(HISTORY_SIZE - 1)) {
        candidates[2] = b.history[b.historyIndex + 2].killer1;
        candidates[3] = b.history[b.historyIndex + 2].killer2;
    }
    for (Move m : candidates) {
        if (m == NO_MOVE || isPvOrHash(p, m) || isAcceptedKiller(p, m) || !quietShape(b, m)) continue;
        if (!isValidMove<Us>(b, m) || !passesLegality<Us>(p, m)) continue;
        p.killers[p.killerCount++] = {m, int16_t(mvvLvaScore(b, m) + KILLER_BONUS)};
    }
}

template <Colour Us> void generateQuietStage(MovePicker &p) {
    Board_BB64 &b = *p.board;
    p.moves.clear();
    generateQuiets<Us>(b, p.info, p.moves);
    if (!p.info.inCheck()) generateCastling<Us>(b, p.info, p.moves);
    for (ScoredMove &sm : p.moves) sm.score = int16_t(quietScore(b, sm.move));
    for (uint32_t i = 0; i < p.badCaptureCount; ++i) p.moves.add(p.badCaptures[i].move, p.badCaptures[i].score);
}

template <Colour Us> void generateQuiescenceStage(MovePicker &p) {
    Board_BB64 &b = *p.board;
    p.moves.clear();
    generateQuiescenceMoves<Us>(b, p.info, p.moves);
    for (ScoredMove &sm : p.moves) sm.score = int16_t(mvvLvaScore(b, sm.move));
}

template <Colour Us> void generateStage(MovePicker &p, int stage) {
    Board_BB64 &b = *p.board;
    p.moves.clear();
    switch (stage) {
    case STAGE_ALL_LEGAL:
        generateAllLegal<Us>(b, p.info, p.moves);
        break;
    case STAGE_EVASIONS:
        generateEvasions<Us>(b, p.info, p.moves);
        break;
    case STAGE_SCORED_EVASIONS:
        generateEvasions<Us>(b, p.info, p.moves);
        scoreEvasions(p);
        break;
    case STAGE_GOOD_CAPTURES:
        generateEpCaptures<Us>(b, p.info, p.moves);
        generateCapturesAndPromotions<Us>(b, p.info, p.moves);
        for (ScoredMove &sm : p.moves) sm.score = int16_t(mvvLvaScore(b, sm.move) + GOOD_CAPTURE_BONUS);
        break;
    case STAGE_KILLERS:
        acceptKillers<Us>(p);
        break;
    case STAGE_QUIETS:
        generateQuietStage<Us>(p);
        break;
    case STAGE_QUIESCENCE:
        generateQuiescenceStage<Us>(p);
        break;
    default:
        break;
    }
    p.stageStarted = true;
}

// Good captures: losing plain captures are put aside for the quiet stage.
Move pickGoodCapture(MovePicker &p) {
    while (p.cursor < p.moves.count) {
        const uint32_t at = p.cursor++;
        const Move m = selectAt(p.moves.moves, p.moves.count, at);
        if (isPvOrHash(p, m)) continue;
        if (moveKind(m) != NORMAL || captureHoldsExchange(*p.board, m)) return m;
        if (p.badCaptureCount < MAX_BAD_CAPTURES)
            p.badCaptures[p.badCaptureCount++] = {m, int16_t(p.moves.moves[at].score - BAD_CAPTURE_PENALTY)};
    }
    return NO_MOVE;
}

// Hands out the rest of the stage list in score order, leaving out the moves an
// earlier stage has already handed out.
Move pickFromList(MovePicker &p, bool skipKillers) {
    while (p.cursor < p.moves.count) {
        const Move m = selectAt(p.moves.moves, p.moves.count, p.cursor++);
        if (isPvOrHash(p, m) || (skipKillers && isAcceptedKiller(p, m))) continue;
        return m;
    }
    return NO_MOVE;
}

template <Colour Us> Move pick(MovePicker &p) {
    for (;;) {
        const int stage = STAGE_SEQUENCE[p.kind][p.stage];
        if (stage == STAGE_END) return NO_MOVE;
        if (!p.stageStarted && stage != STAGE_PV && stage != STAGE_HASH) generateStage<Us>(p, stage);
        Move m = NO_MOVE;
        switch (stage) {
        case STAGE_ALL_LEGAL:
        case STAGE_EVASIONS:
            // Every score is 0 here, so the selection scan would change nothing.
            if (p.cursor < p.moves.count) return p.moves.moves[p.cursor++].move;
            break;
        case STAGE_PV:
            nextStage(p);
            if (p.pvMove != NO_MOVE) return p.pvMove;
            continue;
        case STAGE_HASH:
            nextStage(p);
            if (p.hashMove != NO_MOVE && p.hashMove != p.pvMove && validateHashMove<Us>(p, p.hashMove))
                return p.hashMove;
            continue;
        case STAGE_GOOD_CAPTURES:
            m = pickGoodCapture(p);
            break;
        case STAGE_KILLERS:
            if (p.cursor < p.killerCount) return selectAt(p.killers, p.killerCount, p.cursor++);
            break;
        case STAGE_QUIETS:
            m = pickFromList(p, true);
            break;
        default:  // scored evasions, quiescence moves
            m = pickFromList(p, false);
            break;
        }
        if (m != NO_MOVE) return m;
        nextStage(p);
    }
}

}  // namespace

Move selectAt(ScoredMove *list, uint32_t count, uint32_t cursor) {
    for (uint32_t j = cursor + 1; j < count; ++j)
        if (list[j].score > list[cursor].score) std::swap(list[cursor], list[j]);
    return list[cursor].move;
}

int mvvLvaScore(const Board_BB64 &b, Move m) {
    if (moveKind(m) == EN_PASSANT) return 64 * ORDER_VALUE[PAWN] - ORDER_VALUE[PAWN];
    return 64 * ORDER_VALUE[b.pieceOn[moveTo(m)]] + 8 * ORDER_VALUE[promotionPiece(m)] -
           ORDER_VALUE[b.pieceOn[moveFrom(m)]];
}

int quietScore(const Board_BB64 &b, Move m) {
    const Colour us = b.side();
    const int pt = b.pieceOn[moveFrom(m)];
    return -ORDER_VALUE[pt] + pstValue(us, pt, moveTo(m)).mg() - pstValue(us, pt, moveFrom(m)).mg();
}

void recordKiller(Board_BB64 &b, Move m) {
    if (!quietShape(b, m)) return;
    HistoryEntry &h = b.history[b.historyIndex];
    h.killer2 = h.killer1;
    h.killer1 = m;
}

void initPicker(MovePicker &p, int kind, Board_BB64 &b, const AttackInfo &checkers) {
    p.moves.clear();
    p.info = CheckInfo{};
    p.info.checkers = checkers;
    p.board = &b;
    p.kind = (kind >= PICK_ALL_LEGAL && kind <= PICK_QUIESCENCE) ? kind : PICK_ALL_LEGAL;
    p.stage = 0;
    p.stageStarted = false;
    p.cursor = 0;
    p.pvMove = NO_MOVE;
    p.hashMove = NO_MOVE;
    p.reporter = nullptr;
    p.killerCount = 0;
    p.badCaptureCount = 0;
    if (b.side() == WHITE) computePins<WHITE>(b, p.info);
    else computePins<BLACK>(b, p.info);
}

Move nextMove(MovePicker &p) { return p.board->side() == WHITE ? pick<WHITE>(p) : pick<BLACK>(p); }

uint32_t generateAndCount(MovePicker &p) {
    const int stage = STAGE_SEQUENCE[p.kind][p.stage];
    if (stage != STAGE_ALL_LEGAL && stage != STAGE_EVASIONS) return 0;
    if (!p.stageStarted) {
        if (p.board->side() == WHITE) generateStage<WHITE>(p, stage);
        else generateStage<BLACK>(p, stage);
    }
    return p.moves.count;
}

uint32_t countMoves(MovePicker &p) {
    const int stage = STAGE_SEQUENCE[p.kind][p.stage];
    if (stage != STAGE_ALL_LEGAL || p.stageStarted || p.info.inCheck()) return generateAndCount(p);
    Board_BB64 &b = *p.board;
    return b.side() == WHITE ? countLegalMoves<WHITE>(b, p.info) : countLegalMoves<BLACK>(b, p.info);
}
