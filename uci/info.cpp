// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "uci/info.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "board/movegen.h"

namespace {

// printf onto the end of a string; every piece here is far shorter than the buffer.
[[gnu::format(printf, 2, 3)]] void appendf(std::string &out, const char *format, ...) {
    char buffer[64];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) out.append(buffer, std::min<size_t>(size_t(n), sizeof buffer - 1));
}

}  // namespace

std::string uciMoveText(Move m, const MoveNotation &notation) {
    char text[6];
    moveToText(m, notation, text);
    return text;
}

std::string scoreText(int score) {
    std::string out;
    if (score > MATE_BOUND) {
        const int plies = std::max(MATE_SCORE - score, 1);
        appendf(out, "mate %d", (plies + 1) / 2);
    } else if (score < -MATE_BOUND) {
        const int plies = std::max(MATE_SCORE + score, 0);
        appendf(out, "mate %d", -((plies + 1) / 2));
    } else
        appendf(out, "cp %d", score);
    return out;
}

std::string infoLine(const InfoFields &info) {
    std::string out = "info";
    if (info.depth) appendf(out, " depth %d", *info.depth);
    if (info.selDepth) appendf(out, " seldepth %d", *info.selDepth);
    if (info.multiPv) appendf(out, " multipv %d", *info.multiPv);
    if (info.score) {
        out += " score " + scoreText(*info.score);
        if (info.bound == ScoreBound::LOWER) out += " lowerbound";
        if (info.bound == ScoreBound::UPPER) out += " upperbound";
    }
    if (info.nodes) appendf(out, " nodes %" PRIu64, *info.nodes);
    if (info.nps) appendf(out, " nps %" PRIu64, *info.nps);
    if (info.hashFull) appendf(out, " hashfull %d", *info.hashFull);
    if (info.tbHits) appendf(out, " tbhits %" PRIu64, *info.tbHits);
    if (info.timeMs) appendf(out, " time %" PRId64, *info.timeMs);
    if (!info.pv.empty()) out += " pv";
    for (Move m : info.pv) {
        out += ' ' + uciMoveText(m, info.notation);
    }
    return out;
}

std::string infoStringLine(std::string_view text) {
    std::string out = "info string ";
    for (char c : text) out += (static_cast<unsigned char>(c) < 32 || c == 127) ? '?' : c;
    return out;
}

std::string bestMoveLine(Move best, Move ponder, const MoveNotation &notation) {
    if (best == NO_MOVE) return "bestmove 0000";
    std::string out = "bestmove " + uciMoveText(best, notation);
    if (ponder != NO_MOVE) out += " ponder " + uciMoveText(ponder, notation);
    return out;
}
