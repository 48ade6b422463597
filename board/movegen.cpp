// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Attack tests, pins, and the legal move generators. Every generator appends legal
// moves only: a candidate that moves the king, moves a pinned piece, or is played in
// check is tested before it enters the list.
#include <initializer_list>

#include "board/movegen.h"

namespace {

// The two sinks: a list takes every move, a counter only counts. A counter may count
// in any order, which lets it take whole target sets at once.
inline void put(MoveList &list, Move m) { list.add(m); }
inline void put(MoveCounter &counter, Move) { ++counter.count; }
inline void putTargets(MoveList &list, Square from, Bitboard to) {
    while (to) list.add(makeMove(from, popLsb(to)));
}
inline void putTargets(MoveCounter &counter, Square, Bitboard to) { counter.count += uint32_t(popCount(to)); }
template <Colour Us> void put(CheckingMoveFilter<Us> &filter, Move m) {
    AttackInfo checks;
    checkersAfter<Us>(filter.board, m, checks);
    if (checks.count) filter.list.add(m);
}
// Whole target sets come from knights, bishops, rooks and queens, whose empty-board
// reach is symmetric: unless the piece leaves a line through the king, only targets
// from which it would reach the king can check, and only those are looked at.
template <Colour Us> void putTargets(CheckingMoveFilter<Us> &filter, Square from, Bitboard to) {
    const Square k = filter.board.kingSquare(opposite(Us));
    if (k == NO_SQUARE) return;
    if (!((bishopRays[k] | rookRays[k]) & squareBB(from))) to &= emptyBoardReach<Us>(filter.board.pieceOn[from], k);
    while (to) put(filter, makeMove(from, popLsb(to)));
}

// The legality filter for one move.
template <Colour Us, class Sink> inline void addLegal(Board_BB64 &b, const CheckInfo &info, Move m, Sink &list) {
    if (passesLegalityTest<Us>(b, m, info)) put(list, m);
}

// Outside check an unpinned piece other than the king needs no test at all, which
// covers most moves; it is decided once per piece rather than once per move.
inline bool movesFreely(const CheckInfo &info, Square from) {
    return !info.inCheck() && !(info.pinned() & squareBB(from));
}

// Attack set of a piece category from s.
template <int Pt> inline Bitboard attacksFrom(Square s, Bitboard occ) {
    if constexpr (Pt == KNIGHT) return knightAttacks[s];
    else if constexpr (Pt == BISHOP) return bishopAttacks(s, occ);
    else if constexpr (Pt == ROOK) return rookAttacks(s, occ);
    else if constexpr (Pt == QUEEN) return queenAttacks(s, occ);
    else return kingAttacks[s];
}

// Moves of one piece category onto the target squares, pieces and destinations lowest
// first. Given the diagonal (line) movers, BISHOP (ROOK) also walks the queens' diagonals
// (lines).
template <Colour Us, int Pt, class Sink>
void addPieceMoves(Board_BB64 &b, const CheckInfo &info, Bitboard movers, Bitboard targets, Sink &list) {
    static_assert(Pt != PAWN);
    const Bitboard occ = b.occupied();
    while (movers) {
        const Square from = popLsb(movers);
        Bitboard to = attacksFrom<Pt>(from, occ) & targets;
        if (Pt != KING && movesFreely(info, from))
            putTargets(list, from, to);
        else
            while (to) addLegal<Us>(b, info, makeMove(from, popLsb(to)), list);
    }
}

// All four promotions of one pawn move: queen, knight, rook, bishop. The promoted
// piece has no bearing on the own king, so one test serves all four.
template <Colour Us, class Sink>
void addPromotions(Board_BB64 &b, const CheckInfo &info, Square from, Square to, Sink &list) {
    if (!movesFreely(info, from) && !passesLegalityTest<Us>(b, makePromotion(from, to, QUEEN), info)) return;
    for (int pt : {QUEEN, KNIGHT, ROOK, BISHOP}) put(list, makePromotion(from, to, pt));
}

// One pawn move that promotes to at most one piece.
template <Colour Us, class Sink> inline void addPawnMove(Board_BB64 &b, const CheckInfo &info, Move m, Sink &list) {
    if (movesFreely(info, moveFrom(m))) put(list, m);
    else addLegal<Us>(b, info, m, list);
}

enum PawnMoveKind { PLAIN, PROMOTE_ALL, PROMOTE_QUEEN };

// Pawn moves for every target of a shifted set; D is the step from pawn to target.
template <Colour Us, int D, PawnMoveKind K, class Sink>
void addPawnMoves(Board_BB64 &b, const CheckInfo &info, Bitboard targets, Sink &list) {
    for (; targets;) {
        const Square to = popLsb(targets), from = to - D;
        if constexpr (K == PROMOTE_ALL) {
            addPromotions<Us>(b, info, from, to, list);
            continue;
        }
        addPawnMove<Us>(b, info, K == PROMOTE_QUEEN ? makePromotion(from, to, QUEEN) : makeMove(from, to), list);
    }
}

template <Colour Us> struct PawnSteps {
    static constexpr Colour Them = opposite(Us);
    static constexpr int Up = pawnPush(Us);
    static constexpr int UpWest = Up + WEST;
    static constexpr int UpEast = Up + EAST;
    static constexpr Bitboard Rank2 = relativeRankBB(Us, RANK_2);
    static constexpr Bitboard Rank3 = relativeRankBB(Us, RANK_3);
    static constexpr Bitboard Rank7 = relativeRankBB(Us, RANK_7);
    static constexpr Bitboard Rank8 = relativeRankBB(Us, RANK_8);
};

// Outside check, the moves of pawns without a pin, counted by target sets: pushes, double
// steps and captures to either side, a promotion counting four.
template <Colour Us> uint32_t countFreePawnMoves(const Board_BB64 &b, Bitboard pawns) {
    using P = PawnSteps<Us>;
    const Bitboard empty = ~b.occupied(), enemies = b.pieces(P::Them);
    const Bitboard push = shift<P::Up>(pawns) & empty;
    const Bitboard twice = shift<P::Up>(push & P::Rank3) & empty;
    const Bitboard west = shift<P::UpWest>(pawns) & enemies, east = shift<P::UpEast>(pawns) & enemies;
    return uint32_t(popCount(push & ~P::Rank8) + popCount(twice) + popCount(west & ~P::Rank8) +
                    popCount(east & ~P::Rank8) +
                    4 * (popCount(push & P::Rank8) + popCount(west & P::Rank8) + popCount(east & P::Rank8)));
}

}  // namespace

// ---------------------------------------------------------------- attack tests

template <Colour By> bool isAttackedBy(const Board_BB64 &b, Square s, AttackInfo &info) {
    // A board set from a bad FEN may lack a king; its king square NO_SQUARE is never attacked.
    if (s == NO_SQUARE) return false;
    const Bitboard occ = b.occupied();
    const Bitboard groups[5] = {
        pawnAttacks[opposite(By)][s] & b.pieces(By, PAWN),
        knightAttacks[s] & b.pieces(By, KNIGHT),
        kingAttacks[s] & b.pieces(By, KING),
        bishopAttacks(s, occ) & diagonalMovers(b, By),
        rookAttacks(s, occ) & lineMovers(b, By),
    };
    bool attacked = false;
    for (Bitboard g : groups)
        if (g) {
            attacked = true;
            info.add(lsb(g));
        }
    return attacked;
}

bool isAttackedBy(const Board_BB64 &b, Colour by, Square s, AttackInfo &info) {
    return by == WHITE ? isAttackedBy<WHITE>(b, s, info) : isAttackedBy<BLACK>(b, s, info);
}

bool isAttackedBy(const Board_BB64 &b, Colour by, Square s) {
    if (s == NO_SQUARE) return false;
    return by == WHITE ? attackedThrough<WHITE>(b, s, b.occupied()) : attackedThrough<BLACK>(b, s, b.occupied());
}

template <Colour Us> void computePins(const Board_BB64 &b, CheckInfo &info) {
    constexpr Colour Them = opposite(Us);
    const Square k = b.kingSquare(Us);
    const Bitboard occ = b.occupied();
    info.orthoPinned = info.diagPinned = 0;
    if (k == NO_SQUARE) return;
    auto pinsFrom = [&](Bitboard snipers) {
        Bitboard pinned = 0;
        while (snipers) {
            const Bitboard blockers = between[popLsb(snipers)][k] & occ;
            if (blockers && !moreThanOne(blockers)) pinned |= blockers;
        }
        return pinned & b.pieces(Us);
    };
    info.orthoPinned = pinsFrom(rookRays[k] & lineMovers(b, Them));
    info.diagPinned = pinsFrom(bishopRays[k] & diagonalMovers(b, Them));
}

template <Colour Us> void computeCheckInfo(const Board_BB64 &b, CheckInfo &info) {
    computePins<Us>(b, info);
    info.checkers = AttackInfo{};
    isAttackedBy<opposite(Us)>(b, b.kingSquare(Us), info.checkers);
}

void computeCheckInfo(const Board_BB64 &b, CheckInfo &info) {
    b.sideToMove == WHITE ? computeCheckInfo<WHITE>(b, info) : computeCheckInfo<BLACK>(b, info);
}

// ---------------------------------------------------------------- generators

template <Colour Us, class Sink> void generateEpCaptures(Board_BB64 &b, const CheckInfo &info, Sink &list) {
    if (b.epSquare == NO_SQUARE) return;
    for (Bitboard pawns = pawnAttacks[opposite(Us)][b.epSquare] & b.pieces(Us, PAWN); pawns;)
        addLegal<Us>(b, info, makeMove(popLsb(pawns), b.epSquare, EN_PASSANT), list);
}

// Promotions by a push, capturing promotions to either side, then other pawn captures.
// The quiescence search wants queen promotions only.
template <Colour Us, PawnMoveKind Promote, class Sink>
void addPawnCaptures(Board_BB64 &b, const CheckInfo &info, Bitboard pawns, Sink &list) {
    using P = PawnSteps<Us>;
    const Bitboard enemies = b.pieces(P::Them);
    addPawnMoves<Us, P::Up, Promote>(b, info, shift<P::Up>(pawns & P::Rank7) & ~b.occupied(), list);
    addPawnMoves<Us, P::UpWest, Promote>(b, info, shift<P::UpWest>(pawns & P::Rank7) & enemies, list);
    addPawnMoves<Us, P::UpEast, Promote>(b, info, shift<P::UpEast>(pawns & P::Rank7) & enemies, list);
    addPawnMoves<Us, P::UpWest, PLAIN>(b, info, shift<P::UpWest>(pawns & ~P::Rank7) & enemies, list);
    addPawnMoves<Us, P::UpEast, PLAIN>(b, info, shift<P::UpEast>(pawns & ~P::Rank7) & enemies, list);
}

// Pawn captures and promotions as above, then knight, bishop, rook, queen and king
// captures (a queen's in all directions at once).
template <Colour Us, PawnMoveKind Promote, class Sink>
void addPromotionsAndCaptures(Board_BB64 &b, const CheckInfo &info, Sink &list) {
    const Bitboard enemies = b.pieces(opposite(Us));
    addPawnCaptures<Us, Promote>(b, info, b.pieces(Us, PAWN), list);
    addPieceMoves<Us, KNIGHT>(b, info, b.pieces(Us, KNIGHT), enemies, list);
    addPieceMoves<Us, BISHOP>(b, info, b.pieces(Us, BISHOP), enemies, list);
    addPieceMoves<Us, ROOK>(b, info, b.pieces(Us, ROOK), enemies, list);
    addPieceMoves<Us, QUEEN>(b, info, b.pieces(Us, QUEEN), enemies, list);
    addPieceMoves<Us, KING>(b, info, b.pieces(Us, KING), enemies, list);
}

// Single pushes of advanced pawns, then of pawns on their initial rank, then double steps.
template <Colour Us, class Sink> void addPawnPushes(Board_BB64 &b, const CheckInfo &info, Bitboard pawns, Sink &list) {
    using P = PawnSteps<Us>;
    const Bitboard empty = ~b.occupied();
    addPawnMoves<Us, P::Up, PLAIN>(b, info, shift<P::Up>(pawns & ~P::Rank2 & ~P::Rank7) & empty, list);
    const Bitboard single = shift<P::Up>(pawns & P::Rank2) & empty;
    addPawnMoves<Us, P::Up, PLAIN>(b, info, single, list);
    for (Bitboard to = shift<P::Up>(single) & empty; to;) {
        const Square s = popLsb(to);
        addPawnMove<Us>(b, info, makeMove(s - 2 * P::Up, s, NORMAL, 1), list);
    }
}

template <Colour Us, class Sink> void generateCapturesAndPromotions(Board_BB64 &b, const CheckInfo &info, Sink &list) {
    addPromotionsAndCaptures<Us, PROMOTE_ALL, Sink>(b, info, list);
}

template <Colour Us, class Sink> void generateQuiets(Board_BB64 &b, const CheckInfo &info, Sink &list) {
    const Bitboard empty = ~b.occupied();
    // Piece moves to empty squares, then pawn pushes.
    addPieceMoves<Us, KNIGHT>(b, info, b.pieces(Us, KNIGHT), empty, list);
    addPieceMoves<Us, BISHOP>(b, info, diagonalMovers(b, Us), empty, list);
    addPieceMoves<Us, ROOK>(b, info, lineMovers(b, Us), empty, list);
    addPieceMoves<Us, KING>(b, info, b.pieces(Us, KING), empty, list);
    addPawnPushes<Us>(b, info, b.pieces(Us, PAWN), list);
}

// King side first, then queen side.
template <Colour Us, class Sink> void generateCastling(Board_BB64 &b, const CheckInfo &info, Sink &list) {
    constexpr int ExtraOO = Us == WHITE ? CASTLE_WHITE_OO : CASTLE_BLACK_OO;
    // Most positions have no right left for the side: one test covers both.
    if (info.inCheck() || !(b.castlingRights & (3 << ExtraOO))) return;
    for (int extra : {ExtraOO, ExtraOO + 1})
        if (castlingAvailable(b, extra)) addLegal<Us>(b, info, b.castling.move(extra), list);
}

template <Colour Us> void generateEvasions(Board_BB64 &b, const CheckInfo &info, MoveList &list) {
    using P = PawnSteps<Us>;
    const Square k = b.kingSquare(Us);
    if (info.checkers.count == 1) {
        const Square checker = info.checkers.squares[0];
        const Bitboard target = squareBB(checker);
        const Bitboard free = ~info.pinned();
        const Bitboard pawns = b.pieces(Us, PAWN) & free;
        generateEpCaptures<Us>(b, info, list);
        // Captures of the checker: pawns (promoting on the last rank), knights, sliders.
        const Bitboard capturers = pawnAttacks[P::Them][checker] & pawns;
        for (Bitboard from = capturers; from;) {
            const Square f = popLsb(from);
            if (squareBB(f) & P::Rank7) addPromotions<Us>(b, info, f, checker, list);
            else addPawnMove<Us>(b, info, makeMove(f, checker), list);
        }
        addPieceMoves<Us, KNIGHT>(b, info, b.pieces(Us, KNIGHT) & free, target, list);
        addPieceMoves<Us, BISHOP>(b, info, diagonalMovers(b, Us) & free, target, list);
        addPieceMoves<Us, ROOK>(b, info, lineMovers(b, Us) & free, target, list);
        // Interpositions on the squares between a checking slider and the king.
        if (const Bitboard gap = between[checker][k]) {
            addPieceMoves<Us, BISHOP>(b, info, diagonalMovers(b, Us) & free, gap, list);
            addPieceMoves<Us, KNIGHT>(b, info, b.pieces(Us, KNIGHT) & free, gap, list);
            addPieceMoves<Us, ROOK>(b, info, lineMovers(b, Us) & free, gap, list);
            const Bitboard empty = ~b.occupied();
            addPawnMoves<Us, P::Up, PLAIN>(b, info, shift<P::Up>(pawns & ~P::Rank7) & gap, list);
            for (Bitboard to = shift<P::Up>(shift<P::Up>(pawns & P::Rank2) & empty) & gap; to;) {
                const Square s = popLsb(to);
                addPawnMove<Us>(b, info, makeMove(s - 2 * P::Up, s, NORMAL, 1), list);
            }
            addPawnMoves<Us, P::Up, PROMOTE_ALL>(b, info, shift<P::Up>(pawns & P::Rank7) & gap, list);
        }
    }
    // King moves, to any square without an own piece.
    addPieceMoves<Us, KING>(b, info, squareBB(k), ~b.pieces(Us), list);
}

template <Colour Us> void generateQuiescenceMoves(Board_BB64 &b, const CheckInfo &info, MoveList &list) {
    generateEpCaptures<Us>(b, info, list);
    addPromotionsAndCaptures<Us, PROMOTE_QUEEN>(b, info, list);
}

template <Colour Us> void generateAllLegal(Board_BB64 &b, const CheckInfo &info, MoveList &list) {
    generateEpCaptures<Us>(b, info, list);
    generateCapturesAndPromotions<Us>(b, info, list);
    generateQuiets<Us>(b, info, list);
    generateCastling<Us>(b, info, list);
}

template <Colour Us> static bool generateAllLegalFor(Board_BB64 &b, MoveList &list) {
    CheckInfo info;
    computeCheckInfo<Us>(b, info);
    generateAllLegal<Us>(b, info, list);
    return info.inCheck();
}

bool generateAllLegal(Board_BB64 &b, MoveList &list) {
    // A board left by a FEN that failed before its side field has no side to move.
    if (b.sideToMove > BLACK) return false;
    return b.sideToMove == WHITE ? generateAllLegalFor<WHITE>(b, list) : generateAllLegalFor<BLACK>(b, list);
}

namespace {

// The king's steps and castling moves of a side with one king, not in check. The
// squares the king would step to or pass are tested together, with the king lifted
// off its square: out of check that changes no attack on the squares it passes.
template <Colour Us> uint32_t countKingMoves(Board_BB64 &b, const CheckInfo &info, Bitboard targets) {
    constexpr int ExtraOO = Us == WHITE ? CASTLE_WHITE_OO : CASTLE_BLACK_OO;
    const Bitboard kings = b.pieces(Us, KING);
    const Bitboard steps = kingAttacks[lsb(kings)] & targets;
    if (!(b.castlingRights & (3 << ExtraOO))) {
        uint32_t count = 0;
        for (Bitboard to = steps; to;) count += !attackedThrough<opposite(Us)>(b, popLsb(to), b.occupied() ^ kings);
        return count;
    }
    Bitboard passed = 0;
    bool open[2] = {false, false};
    for (int side : {0, 1})
        if ((open[side] = castlingUnobstructed(b, ExtraOO + side))) passed |= b.castling.kingPass[ExtraOO + side];
    const Bitboard attacked = attackedAmong<opposite(Us)>(b, steps | passed, b.occupied() ^ kings);
    uint32_t count = uint32_t(popCount(steps & ~attacked));
    for (int side : {0, 1})
        count += open[side] && !(b.castling.kingPass[ExtraOO + side] & attacked) &&
                 passesLegalityTest<Us>(b, b.castling.move(ExtraOO + side), info);
    return count;
}

}  // namespace

template <Colour Us> uint32_t countLegalMoves(Board_BB64 &b, const CheckInfo &info) {
    if (info.inCheck()) {
        MoveList list;
        generateEvasions<Us>(b, info, list);
        return list.count;
    }
    // The same moves as the four generators of a full list, but each piece's captures
    // and quiet moves are counted from one attack set. Pinned pieces go through the
    // legality test; a pinned knight never moves.
    MoveCounter counter;
    const Bitboard targets = ~b.pieces(Us), occ = b.occupied(), pinned = info.pinned();
    const Bitboard pawns = b.pieces(Us, PAWN);
    generateEpCaptures<Us>(b, info, counter);
    counter.count += countFreePawnMoves<Us>(b, pawns & ~pinned);
    if (pawns & pinned) {
        addPawnCaptures<Us, PROMOTE_ALL>(b, info, pawns & pinned, counter);
        addPawnPushes<Us>(b, info, pawns & pinned, counter);
    }
    for (Bitboard n = b.pieces(Us, KNIGHT) & ~pinned; n;) counter.count += popCount(knightAttacks[popLsb(n)] & targets);
    for (Bitboard d = diagonalMovers(b, Us) & ~pinned; d;)
        counter.count += popCount(bishopAttacks(popLsb(d), occ) & targets);
    for (Bitboard l = lineMovers(b, Us) & ~pinned; l;) counter.count += popCount(rookAttacks(popLsb(l), occ) & targets);
    if (pinned) {
        addPieceMoves<Us, BISHOP>(b, info, diagonalMovers(b, Us) & pinned, targets, counter);
        addPieceMoves<Us, ROOK>(b, info, lineMovers(b, Us) & pinned, targets, counter);
    }
    const Bitboard kings = b.pieces(Us, KING);
    if (moreThanOne(kings)) {  // a hand-made board: the general path
        addPieceMoves<Us, KING>(b, info, kings, targets, counter);
        generateCastling<Us>(b, info, counter);
    } else if (kings) {
        counter.count += countKingMoves<Us>(b, info, targets);
    }
    return counter.count;
}

// Both colours of every per-side routine.
template bool isAttackedBy<WHITE>(const Board_BB64 &, Square, AttackInfo &);
template bool isAttackedBy<BLACK>(const Board_BB64 &, Square, AttackInfo &);
template void computePins<WHITE>(const Board_BB64 &, CheckInfo &);
template void computePins<BLACK>(const Board_BB64 &, CheckInfo &);
template void computeCheckInfo<WHITE>(const Board_BB64 &, CheckInfo &);
template void computeCheckInfo<BLACK>(const Board_BB64 &, CheckInfo &);
template void generateEpCaptures<WHITE, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateEpCaptures<WHITE, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateEpCaptures<BLACK, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateEpCaptures<BLACK, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateCapturesAndPromotions<WHITE, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateCapturesAndPromotions<WHITE, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateCapturesAndPromotions<BLACK, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateCapturesAndPromotions<BLACK, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateQuiets<WHITE, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateQuiets<WHITE, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateQuiets<BLACK, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateQuiets<BLACK, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateCastling<WHITE, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateCastling<WHITE, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateCastling<BLACK, MoveList>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateCastling<BLACK, MoveCounter>(Board_BB64 &, const CheckInfo &, MoveCounter &);
template void generateQuiets<WHITE, CheckingMoveFilter<WHITE>>(Board_BB64 &, const CheckInfo &, CheckingMoveFilter<WHITE> &);
template void generateQuiets<BLACK, CheckingMoveFilter<BLACK>>(Board_BB64 &, const CheckInfo &, CheckingMoveFilter<BLACK> &);
template void generateCastling<WHITE, CheckingMoveFilter<WHITE>>(Board_BB64 &, const CheckInfo &,
                                                                 CheckingMoveFilter<WHITE> &);
template void generateCastling<BLACK, CheckingMoveFilter<BLACK>>(Board_BB64 &, const CheckInfo &,
                                                                 CheckingMoveFilter<BLACK> &);
template void generateEvasions<WHITE>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateEvasions<BLACK>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateQuiescenceMoves<WHITE>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateQuiescenceMoves<BLACK>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateAllLegal<WHITE>(Board_BB64 &, const CheckInfo &, MoveList &);
template void generateAllLegal<BLACK>(Board_BB64 &, const CheckInfo &, MoveList &);
template uint32_t countLegalMoves<WHITE>(Board_BB64 &, const CheckInfo &);
template uint32_t countLegalMoves<BLACK>(Board_BB64 &, const CheckInfo &);
