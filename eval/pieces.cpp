// Piece terms: mobility, rooks and queens on open files, and king tropism.
#include <mutex>

#include "eval/terms.h"

namespace eval {

namespace {

// Closeness to the enemy king: [piece type - 1][0x88 distance].
int tropism[6][128];

constexpr TermPair TROPISM_WEIGHT[6] = {{10, -4}, {13, -5}, {9, -3}, {15, -11}, {5, 41}, {18, 14}};

// By the number of open files (rook on an open file), or of open plus half-open files.
constexpr TermPair ROOK_OPEN[9] = {{0, 0}, {68, 42}, {88, 20}, {86, 9}, {82, -2}, {35, -6}, {41, -21}, {3, -45}, {0, 0}};
constexpr TermPair ROOK_HALF_OPEN[9] = {{0, 0},  {25, -42}, {36, 4}, {44, 2}, {55, 8},
                                        {53, 10}, {24, 19},  {0, 20}, {0, 0}};
constexpr TermPair ROOK_KING_FILE(83, 36);
constexpr TermPair ROOK_KING_ADJACENT(54, -21);
constexpr TermPair QUEEN_KING_FILE(16, 111);
constexpr TermPair QUEEN_KING_ADJACENT(7, 39);

// Mobility: a pair per empty-board attack square not held by an own piece, and the
// penalty for a piece with none.
struct MobilityWeights {
    TermPair perSquare;
    TermPair trapped;
};
constexpr MobilityWeights KNIGHT_MOBILITY{{4, 8}, {-13, -55}};
constexpr MobilityWeights BISHOP_MOBILITY{{10, 6}, {-10, -20}};
constexpr MobilityWeights ROOK_MOBILITY{{-2, 13}, {-15, -30}};
constexpr MobilityWeights QUEEN_MOBILITY{{4, 13}, {-30, -60}};

// The same offset in either direction shares an entry; up and down the board differ.
int delta88(Square a, Square b) {
    const int d = (16 * rankOf(a) + fileOf(a)) - (16 * rankOf(b) + fileOf(b));
    return d < 0 ? -d : d;
}

// A heavy piece on an open file aimed at the enemy king's file or one beside it.
TermPair kingFileBonus(int f, int kingFile, TermPair onKingFile, TermPair besideKingFile) {
    if (f == kingFile) return onKingFile;
    if (f == kingFile - 1 || f == kingFile + 1) return besideKingFile;
    return TermPair();
}

constexpr TermPair mobility(int m, MobilityWeights w) {
    return TermPair(w.perSquare.mg * m + (m == 0 ? w.trapped.mg : 0), w.perSquare.eg * m + (m == 0 ? w.trapped.eg : 0));
}

TermPair tropismTerm(int pt, Square s, Square theirKing) {
    const int t = tropism[pt - 1][delta88(s, theirKing)];
    return TermPair(t * TROPISM_WEIGHT[pt - 1].mg, t * TROPISM_WEIGHT[pt - 1].eg);
}

// Writes the entries that the squares of `squares` give, seen from a king on `king`.
// Each distance reached replaces what an earlier reference wrote.
void applyReference(Square king, Bitboard squares) {
    const Bitboard zone = kingAttacks[king];
    for (Colour c : {WHITE, BLACK})
        for (Bitboard b = squares; b;) {
            const Square s = popLsb(b);
            if (const Bitboard meet = zone & pawnAttacks[c][s]) tropism[PAWN - 1][delta88(king, s)] = popCount(meet);
        }
    for (Bitboard b = squares; b;) {
        const Square s = popLsb(b);
        const int d = delta88(king, s);
        const Bitboard near = zone & kingAttacks[s];
        if (const Bitboard meet = zone & knightAttacks[s]) tropism[KNIGHT - 1][d] = popCount(meet);
        if (zone & bishopRays[s]) tropism[BISHOP - 1][d] = 1 + popCount(near & bishopRays[s]);
        if (zone & rookRays[s]) tropism[ROOK - 1][d] = 1 + popCount(near & rookRays[s]);
        if (zone & (bishopRays[s] | rookRays[s])) tropism[QUEEN - 1][d] = 1 + popCount(near);
        if (near) tropism[KING - 1][d] = popCount(near);
    }
}

void buildTropism() {
    constexpr Bitboard RANKS_1_TO_6 = 0x0000FFFFFFFFFFFFULL;
    const Bitboard filesAtoF = ~(fileBB(FILE_G) | fileBB(FILE_H));
    const Bitboard filesCtoH = ~(fileBB(FILE_A) | fileBB(FILE_B));
    constexpr Square A8 = 56, B7 = 49, G7 = 54, H8 = 63;
    applyReference(G7, (RANKS_1_TO_6 & ~fileBB(FILE_H)) | (rankBB(RANK_7) & filesAtoF));
    applyReference(H8, rankBB(RANK_1) | (fileBB(FILE_A) & ~rankBB(RANK_1)));
    applyReference(B7, RANKS_1_TO_6 & filesCtoH);
    applyReference(A8, (rankBB(RANK_1) & ~fileBB(FILE_A)) | (fileBB(FILE_H) & ~rankBB(RANK_1) & ~rankBB(RANK_8)));
}

std::once_flag tropismBuilt;

template <Colour Us> void knights(const Board_BB64 &b, Square theirKing, PieceTerms &out) {
    for (Bitboard pcs = b.pieces(Us, KNIGHT); pcs;) {
        const Square s = popLsb(pcs);
        out.knights += mobility(popCount(knightAttacks[s] & ~b.pieces(Us)), KNIGHT_MOBILITY);
        out.tropism += tropismTerm(KNIGHT, s, theirKing);
    }
}

template <Colour Us> void bishops(const Board_BB64 &b, Square theirKing, PieceTerms &out) {
    for (Bitboard pcs = b.pieces(Us, BISHOP); pcs;) {
        const Square s = popLsb(pcs);
        out.bishops += mobility(popCount(bishopRays[s] & ~b.pieces(Us)), BISHOP_MOBILITY);
        out.tropism += tropismTerm(BISHOP, s, theirKing);
    }
}

template <Colour Us> void rooks(const Board_BB64 &b, const PawnInfo &pi, Square theirKing, PieceTerms &out) {
    const int kingFile = fileOf(theirKing);
    for (Bitboard pcs = b.pieces(Us, ROOK); pcs;) {
        const Square s = popLsb(pcs);
        const int f = fileOf(s);
        out.rooks += mobility(popCount(rookRays[s] & ~b.pieces(Us)), ROOK_MOBILITY);
        if (pi.openFiles & (1 << f)) {
            out.rooks += ROOK_OPEN[pi.openCount];
            out.rooks += kingFileBonus(f, kingFile, ROOK_KING_FILE, ROOK_KING_ADJACENT);
        } else if (pi.halfOpenFiles & (1 << f)) {
            out.rooks += ROOK_HALF_OPEN[pi.openCount + pi.halfOpenCount];
        }
        out.tropism += tropismTerm(ROOK, s, theirKing);
    }
}

template <Colour Us> void queens(const Board_BB64 &b, const PawnInfo &pi, Square theirKing, PieceTerms &out) {
    const int kingFile = fileOf(theirKing);
    for (Bitboard pcs = b.pieces(Us, QUEEN); pcs;) {
        const Square s = popLsb(pcs);
        const int f = fileOf(s);
        out.queens += mobility(popCount((bishopRays[s] | rookRays[s]) & ~b.pieces(Us)), QUEEN_MOBILITY);
        if (pi.openFiles & (1 << f)) out.queens += kingFileBonus(f, kingFile, QUEEN_KING_FILE, QUEEN_KING_ADJACENT);
        out.tropism += tropismTerm(QUEEN, s, theirKing);
    }
}

// Pawns count only while they have not passed the enemy king's rank.
template <Colour Us> TermPair pawnAndKingTropism(const Board_BB64 &b, Square theirKing) {
    const int kingRank = relativeRank(Us, rankOf(theirKing));
    TermPair sum;
    for (Bitboard pcs = b.pieces(Us, PAWN); pcs;) {
        const Square s = popLsb(pcs);
        if (relativeRank(Us, rankOf(s)) <= kingRank) sum += tropismTerm(PAWN, s, theirKing);
    }
    return sum + tropismTerm(KING, b.kingSquare(Us), theirKing);
}

}  // namespace

void initTropismTables() { std::call_once(tropismBuilt, buildTropism); }

template <Colour Us> void pieceTerms(const Board_BB64 &b, const PawnInfo &pi, PieceTerms &out) {
    const Square theirKing = b.kingSquare(opposite(Us));
    knights<Us>(b, theirKing, out);
    bishops<Us>(b, theirKing, out);
    rooks<Us>(b, pi, theirKing, out);
    queens<Us>(b, pi, theirKing, out);
    out.tropism += pawnAndKingTropism<Us>(b, theirKing);
}

template void pieceTerms<WHITE>(const Board_BB64 &, const PawnInfo &, PieceTerms &);
template void pieceTerms<BLACK>(const Board_BB64 &, const PawnInfo &, PieceTerms &);

}  // namespace eval
