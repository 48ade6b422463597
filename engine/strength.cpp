// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The strength levels and the choice among a level's lines, and the state a search at a
// level keeps from its start to its move.
#include "engine/strength.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

// The ladder as measured: each point a node budget and a margin, and the Elo they
// played at, at 10 s + 0.1 s on the scale fixed at fairymax = 1950 with a core to
// itself (BENCHMARKS.md, "Strength levels"). An Elo between two points gets a node budget between theirs
// (geometrically) and a margin between theirs; beyond the ends, the end's level.
struct LevelPoint {
    int elo;
    double nodes;
    int marginCp;
};
constexpr LevelPoint LADDER[] = {
    {849, 250, 150},
    {894, 600, 120},
    {1099, 1500, 80},
    {1374, 3000, 60},
    {1604, 6000, 45},
    {1854, 15800, 29},
    {1912, 30000, 15},
    {2142, 80000, 0},
    {2450, 250000, 0},
};

// A 64-bit mix (splitmix64's finaliser): neighbouring seeds give unrelated results.
constexpr uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

StrengthLevel strengthLevel(int elo) {
    elo = std::clamp(elo, STRENGTH_ELO_MIN, STRENGTH_ELO_MAX);
    const LevelPoint *hi =
        std::find_if(std::begin(LADDER), std::end(LADDER), [elo](const LevelPoint &p) { return p.elo >= elo; });
    if (hi == std::end(LADDER)) --hi;
    const LevelPoint *lo = hi == std::begin(LADDER) || hi->elo <= elo ? hi : hi - 1;
    const double t = hi == lo ? 0.0 : double(elo - lo->elo) / (hi->elo - lo->elo);
    StrengthLevel level;
    level.nodes = uint64_t(std::llround(lo->nodes * std::pow(hi->nodes / lo->nodes, t)));
    level.marginCp = int(std::lround(lo->marginCp + (hi->marginCp - lo->marginCp) * t));
    return level;
}

int chooseLine(std::span<const LineChoice> lines, int marginCp, uint64_t seed, uint64_t positionKey) {
    int best = 0;
    int64_t bestValue = INT64_MIN;
    const uint64_t base = mix(seed ^ mix(positionKey));
    for (size_t i = 0; i < lines.size(); ++i) {
        const int64_t share = marginCp > 0 ? int64_t(mix(base + i) % uint64_t(marginCp)) : 0;
        const int64_t value = int64_t(lines[i].score) + share;
        if (value > bestValue) {
            bestValue = value;
            best = int(i);
        }
    }
    return best;
}

void LevelSearch::newGame() {
    std::random_device device;
    salt_ = uint64_t(device()) << 32 | device();
}

void LevelSearch::begin(SearchOptions &o, int elo) {
    saved_ = o;
    level_ = strengthLevel(elo);
    shownLines_ = o.multiPv;
    lineCount_ = 0;
    shownMove_ = NO_MOVE;
    o.multiPv = std::max(o.multiPv, STRENGTH_LINES);
    o.nodeLimit = o.nodeLimit ? std::min(o.nodeLimit, level_.nodes) : level_.nodes;
}

// The lines of the last depth the search completed; none when it completed no depth
// with several lines (a single legal move, a position the tables settle, a budget
// spent within depth 1): the search's own move stands. Either way the last line shown
// is the one played, with its score.
std::optional<LineReport> LevelSearch::end(SearchOptions &options, SearchResult &result, int seed,
                                           uint64_t positionKey) {
    options = saved_;
    LineReport played;
    if (lineCount_ >= 2) {
        const int i = chooseLine({lines_, size_t(lineCount_)}, level_.marginCp, seed ? uint64_t(seed) : salt_.load(),
                                 positionKey);
        result.bestMove = lines_[i].move;
        result.ponderMove = lines_[i].ponder;
        result.score = lines_[i].score;
        played.depth = depth_;
        played.selDepth = selDepth_;
        played.pv = &pvs_[i];
    } else {
        own_ = PrincipalVariation();
        own_.moves[0] = result.bestMove;
        own_.moves[1] = result.ponderMove;
        own_.length = result.ponderMove != NO_MOVE ? 2 : 1;
        played.depth = std::max(result.depth, 1);
        played.pv = &own_;
    }
    played.score = result.score;
    if (result.bestMove == NO_MOVE || (shownMove_ == result.bestMove && shownScore_ == result.score))
        return std::nullopt;
    played.multiPv = 1;
    return played;
}

// Several lines come after each completed depth, in order from line 1.
bool LevelSearch::takeLine(const LineReport &line) {
    if (line.multiPv <= STRENGTH_LINES && line.bound == ScoreBound::EXACT && line.pv->length) {
        const PrincipalVariation &pv = *line.pv;
        const int i = line.multiPv - 1;
        lines_[i] = {pv.moves[0], pv.length > 1 ? pv.moves[1] : NO_MOVE, line.score};
        pvs_[i] = pv;
        depth_ = line.depth;
        selDepth_ = line.selDepth;
        lineCount_ = line.multiPv;
    }
    return line.multiPv <= shownLines_;
}

void LevelSearch::noteShown(const LineReport &line) {
    if (!active_) return;
    const bool best = line.multiPv == 1 && line.bound == ScoreBound::EXACT;
    shownMove_ = best ? line.pv->first() : NO_MOVE;
    shownScore_ = line.score;
}

void LevelSearch::noteThinking(Move first, int score) {
    shownMove_ = first;
    shownScore_ = score;
}
