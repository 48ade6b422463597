#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/movegen.h"
#include "tools/randgames.h"
#include "tools/randpos.h"

namespace {

// A fixed seed makes a failing position reproducible.
constexpr unsigned TEST_SEED = 20261206;

std::string readAll(FILE *f) {
    std::rewind(f);
    std::string text;
    for (int ch; (ch = std::fgetc(f)) != EOF;) text += char(ch);
    return text;
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool onSquare(const Board_BB64 &b, Colour c, int pt, Square s) { return b.pieces(c, pt) & squareBB(s); }

// Everything a random position promises, with a message naming the broken rule.
std::string brokenRule(const Board_BB64 &b) {
    char fen[128];
    b.toFEN(fen);
    Board_BB64 parsed;
    char again[128] = "";
    if (!parsed.setFromFEN(fen)) return "FEN does not parse";
    parsed.toFEN(again);
    if (std::string(fen) != again) return "FEN does not round-trip";
    if (!b.isConsistent()) return "keys or sums inconsistent";
    if (b.sideToMove > BLACK || b.epSquare != NO_SQUARE) return "bad side or en-passant square";
    for (Colour c : {WHITE, BLACK}) {
        if (popCount(b.pieces(c)) > 16 || popCount(b.pieces(c, KING)) != 1) return "bad army size or king count";
        if (popCount(b.pieces(c, PAWN)) > 8 || (b.pieces(c, PAWN) & (RANK_1_BB | RANK_8_BB))) return "bad pawns";
        const Bitboard bishops = b.pieces(c, BISHOP);
        if (popCount(bishops) > 2) return "too many bishops";
        if (popCount(bishops) == 2 && ((lsb(bishops) ^ (lsb(bishops) >> 3)) & 1) == ((msb(bishops) ^ (msb(bishops) >> 3)) & 1))
            return "bishops on one colour";
    }
    if (isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())))) return "side not to move in check";
    if (kingAttacks[b.kingSquare(WHITE)] & b.pieces(BLACK, KING)) return "kings adjacent";
    const struct {
        int right;
        Colour c;
        Square king, rook;
    } homes[4] = {{WHITE_OO, WHITE, 4, 7}, {WHITE_OOO, WHITE, 4, 0}, {BLACK_OO, BLACK, 60, 63}, {BLACK_OOO, BLACK, 60, 56}};
    for (const auto &h : homes)
        if ((b.castlingRights & h.right) && !(onSquare(b, h.c, KING, h.king) && onSquare(b, h.c, ROOK, h.rook)))
            return "castling right without king and rook at home";
    return "";
}

TEST(RandomPosition, EveryPositionKeepsTheRules) {
    Board_BB64 b;
    std::srand(TEST_SEED);
    int sideCounts[2] = {}, checks = 0, promotedQueens = 0;
    for (int i = 0; i < 5000; ++i) {
        generateRandomPosition(b);
        const std::string rule = brokenRule(b);
        char fen[128];
        b.toFEN(fen);
        ASSERT_EQ(rule, "") << fen;
        ++sideCounts[b.sideToMove];
        checks += isAttackedBy(b, opposite(b.side()), b.kingSquare(b.side()));
        promotedQueens += popCount(b.pieces(QUEEN)) > 2 || (b.pieces(QUEEN) && popCount(b.pieces(PAWN)) > 14);
        // The move generator copes with every position (it assumes legal ones).
        MoveList list;
        generateAllLegal(b, list);
    }
    // Both sides move and checks occur; the random choices are not stuck.
    EXPECT_GT(sideCounts[WHITE], 2000);
    EXPECT_GT(sideCounts[BLACK], 2000);
    EXPECT_GT(checks, 100);
    EXPECT_GT(promotedQueens, 0);
}

// A right held is granted three times in four, independently of the others.
TEST(RandomPosition, CastlingRightsGrantedAboutThreeTimesInFour) {
    Board_BB64 b;
    std::srand(TEST_SEED + 1);
    int chances = 0, granted = 0;
    const struct {
        int right;
        Colour c;
        Square king, rook;
    } homes[4] = {{WHITE_OO, WHITE, 4, 7}, {WHITE_OOO, WHITE, 4, 0}, {BLACK_OO, BLACK, 60, 63}, {BLACK_OOO, BLACK, 60, 56}};
    for (int i = 0; i < 150000 && chances < 200; ++i) {
        generateRandomPosition(b);
        for (const auto &h : homes)
            if (onSquare(b, h.c, KING, h.king) && onSquare(b, h.c, ROOK, h.rook)) {
                ++chances;
                granted += (b.castlingRights & h.right) != 0;
            }
    }
    ASSERT_GE(chances, 100);
    const double share = double(granted) / chances;
    EXPECT_GT(share, 0.6);
    EXPECT_LT(share, 0.9);
}

TEST(RandomPosition, FensToFileAndFailures) {
    Board_BB64 b;
    const std::string path = (std::filesystem::temp_directory_path() / "grelvin_randpos_test.fen").string();
    std::filesystem::remove(path);

    // Counts below 1 write nothing, not even the file.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(randomFensCommand(b, 0, path.c_str()));
    EXPECT_FALSE(randomFensCommand(b, -5, path.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(std::filesystem::exists(path));

    testing::internal::CaptureStdout();
    EXPECT_FALSE(randomFensCommand(b, 3, "/nonexistent/dir/file"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "# ERROR: failed to open file \"/nonexistent/dir/file\" for writing");

    testing::internal::CaptureStdout();
    EXPECT_TRUE(randomFensCommand(b, 7, path.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Wrote 7 random FENs to file \"" + path + "\"\n");
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    const std::vector<std::string> fens = splitLines(content.str());
    ASSERT_EQ(fens.size(), 7u);
    Board_BB64 check;
    for (const std::string &fen : fens) EXPECT_TRUE(check.setFromFEN(fen.c_str())) << fen;
    std::filesystem::remove(path);
}

// The numbers after a label, e.g. the six per-piece averages.
std::vector<double> numbersAfter(const std::string &line, size_t labelLength) {
    std::vector<double> out;
    std::istringstream in(line.substr(labelLength));
    for (double v; in >> v;) out.push_back(v);
    return out;
}

const std::string *findLine(const std::vector<std::string> &lines, const std::string &prefix) {
    for (const std::string &line : lines)
        if (line.rfind(prefix, 0) == 0) return &line;
    return nullptr;
}

TEST(RandomGames, HundredGamesReport) {
    Board_BB64 b;
    std::srand(TEST_SEED);
    FILE *out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(runRandomGames(b, 100, out));
    const std::string text = readAll(out);
    std::fclose(out);
    const std::vector<std::string> lines = splitLines(text);

    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "# Playing 100 random games ...");
    EXPECT_EQ(lines[1], std::string(50, '#'));  // one mark after each even-numbered game
    EXPECT_EQ(lines[2], "calculate average values ...");

    const std::string *total = findLine(lines, "Total games:");
    const std::string *positions = findLine(lines, "Total positions:");
    const std::string *average = findLine(lines, "Avg. moves/game:");
    const std::string *byPiece = findLine(lines, "Avg. moves of piece/game:");
    ASSERT_TRUE(total && positions && average && byPiece);
    EXPECT_EQ(*total, "Total games:                               100");
    const double perGame = std::atof(positions->c_str() + 16) / 100.0;
    EXPECT_NEAR(numbersAfter(*average, 16)[0], perGame, 0.006);
    double pieceSum = 0;
    for (double v : numbersAfter(*byPiece, 25)) pieceSum += v;
    EXPECT_NEAR(pieceSum, perGame, 0.04);

    // Each presence table: 8 rows of 8, then the bracketed total; kings always 100.
    int tables = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        unsigned c, pt;
        if (std::sscanf(lines[i].c_str(), "Avg. presence of %u %u:", &c, &pt) != 2) continue;
        ++tables;
        ASSERT_LT(i + 9, lines.size());
        for (int row = 1; row <= 8; ++row) EXPECT_EQ(numbersAfter(lines[i + row], 0).size(), 8u);
        if (pt == KING) {
            EXPECT_EQ(lines[i + 9], "[100.0]");
        }
    }
    EXPECT_EQ(tables, 12);

    // Each side's piece-count frequencies: 16 values on two lines, then an empty line.
    for (const char *side : {"white", "black"}) {
        const std::string title = std::string("Frequency of positions with given number of ") + side + " pieces:";
        size_t i = 0;
        while (i < lines.size() && lines[i] != title) ++i;
        ASSERT_LT(i + 3, lines.size()) << side;
        const std::vector<double> first = numbersAfter(lines[i + 1], 0), second = numbersAfter(lines[i + 2], 0);
        ASSERT_EQ(first.size(), 8u);
        ASSERT_EQ(second.size(), 8u);
        EXPECT_EQ(lines[i + 3], "");
        double share = 0;
        for (double v : first) share += v;
        for (double v : second) share += v;
        EXPECT_NEAR(share, 100.0, 0.8) << side;
    }

    // Every game falls in one of the 40 length bins.
    double lengthShare = 0;
    int bins = 0;
    for (const std::string &line : lines) {
        unsigned lo, hi;
        double share;
        if (std::sscanf(line.c_str(), "%u .. %u: %lf", &lo, &hi, &share) != 3) continue;
        EXPECT_EQ(lo, 20u * bins);
        EXPECT_EQ(hi, lo + 19);
        ++bins;
        lengthShare += share;
    }
    EXPECT_EQ(bins, 40);
    EXPECT_NEAR(lengthShare, 100.0, 0.2);
    // The board is handed back at the start position.
    char fen[128];
    b.toFEN(fen);
    EXPECT_STREQ(fen, START_FEN);
}

TEST(RandomGames, BadCountsAndFewGames) {
    Board_BB64 b;
    FILE *out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    EXPECT_FALSE(runRandomGames(b, 0, out));
    EXPECT_FALSE(runRandomGames(b, -3, out));
    EXPECT_EQ(readAll(out), "");
    // Below 50 games there are no progress marks.
    ASSERT_TRUE(runRandomGames(b, 49, out));
    const std::vector<std::string> lines = splitLines(readAll(out));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "");
    std::fclose(out);
}

// With the engine's hooks a full game record ends the game; the counters still agree
// with each other.
TEST(RandomGames, RefusedMovesEndGamesAndCountersAgree) {
    Board_BB64 b;
    std::srand(TEST_SEED);
    constexpr uint32_t LIMIT = 30;
    UndoInfo undo;
    int starts = 0;
    const RandomGameHooks hooks{[&] {
                                    ++starts;
                                    b.setFromFEN(START_FEN);
                                },
                                [&](Move m) {
                                    if (b.historyIndex >= LIMIT) return false;
                                    b.makeMove(m, undo);
                                    return true;
                                }};
    RandomGameStats stats;
    playRandomGames(b, 20, hooks, stats, nullptr);
    EXPECT_EQ(starts, 20);
    EXPECT_EQ(stats.games, 20u);
    // Mate or repetition may end a few games early; none runs past the limit.
    EXPECT_GE(stats.lengths[LIMIT], 15u);
    uint64_t plies = 0, byPiece = 0, white = 0, black = 0;
    for (uint32_t len = 0; len < RandomGameStats::MAX_LENGTH; ++len) {
        if (len > LIMIT) {
            EXPECT_EQ(stats.lengths[len], 0u);
        }
        plies += len * stats.lengths[len];
    }
    EXPECT_EQ(stats.positions, plies);
    for (uint64_t n : stats.movesByPiece) byPiece += n;
    for (int k = 0; k <= 16; ++k) white += stats.piecesCount[WHITE][k], black += stats.piecesCount[BLACK][k];
    EXPECT_EQ(byPiece, stats.positions);
    EXPECT_EQ(white, stats.positions);
    EXPECT_EQ(black, stats.positions);
}

}  // namespace
