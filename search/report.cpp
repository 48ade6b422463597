// Principal variation bookkeeping, counter sums and the search output lines.
#include "search/report.h"

#include <cinttypes>
#include <cstdio>
#include <sstream>

void PrincipalVariation::setToRest(const PrincipalVariation &from) {
    length = from.length > 1 ? uint16_t(from.length - 1) : 0;
    for (uint16_t i = 0; i < length; ++i) moves[i] = from.moves[i + 1];
}

void PrincipalVariation::setLine(Move m, const PrincipalVariation &child) {
    moves[0] = m;
    const uint16_t rest = child.length < MAX_PV_LENGTH - 1 ? child.length : uint16_t(MAX_PV_LENGTH - 1);
    for (uint16_t i = 0; i < rest; ++i) moves[i + 1] = child.moves[i];
    length = uint16_t(rest + 1);
}

void SearchStats::reset() {
    for (RelaxedCounter *c : {&nodes, &qsNodes, &qsChecks, &cutoffs, &firstMoveCutoffs, &qsCutoffs,
                              &qsFirstMoveCutoffs, &ttHashHits, &tbHits})
        c->reset();
}

void StatsTotals::add(const SearchStats &s) {
    nodes += s.nodes.load();
    qsNodes += s.qsNodes.load();
    qsChecks += s.qsChecks.load();
    cutoffs += s.cutoffs.load();
    firstMoveCutoffs += s.firstMoveCutoffs.load();
    qsCutoffs += s.qsCutoffs.load();
    qsFirstMoveCutoffs += s.qsFirstMoveCutoffs.load();
    ttHashHits += s.ttHashHits.load();
    tbHits += s.tbHits.load();
}

// Each output is put together first and written with one call: the command loop
// prints on its own thread ("pong", diagnostics), and a line must never be cut by it.
void printThinkingLine(uint32_t depth, int score, int32_t elapsedCs, uint64_t nodes, const PrincipalVariation &pv) {
    char line[64 + MAX_PV_LENGTH * 6];
    int n = std::snprintf(line, sizeof line, "%u %d %d %" PRIu64, depth, score, elapsedCs, nodes);
    char text[6];
    for (uint16_t i = 0; i < pv.length && i < MAX_PV_LENGTH; ++i) {
        moveToText(pv.moves[i], text);
        n += std::snprintf(line + n, sizeof line - size_t(n), " %s", text);
    }
    std::snprintf(line + n, sizeof line - size_t(n), "\n");
    std::fputs(line, stdout);
}

namespace {

uint64_t percent(uint64_t part, uint64_t whole) { return whole ? part * 100 / whole : 0; }

}  // namespace

void printStatistics(const StatsTotals &t, int32_t elapsedCs, double ttFillPercent, double pawnFillPercent,
                     uint64_t pawnHashHits) {
    const uint64_t nps = elapsedCs > 0 ? t.nodes * 100 / uint64_t(elapsedCs) : 0;
    const uint64_t all = t.cutoffs + t.qsCutoffs, allFirst = t.firstMoveCutoffs + t.qsFirstMoveCutoffs;
    // The fill values go through a stream so they print in its default float format.
    std::ostringstream out;
    out << "# total nodes = " << t.nodes << ", QS nodes = " << t.qsNodes << " ("
              << percent(t.qsNodes, t.nodes) << "%), time = " << elapsedCs << ", nps = " << nps << "\n"
              << "# QS checks = " << t.qsChecks << "\n"
              << "# cutoffs = " << t.cutoffs << ", cutoffs on 1st move = " << t.firstMoveCutoffs << " ("
              << percent(t.firstMoveCutoffs, t.cutoffs) << "%)\n"
              << "# qsCutoffs = " << t.qsCutoffs << ", qsCutoffs on 1st move = " << t.qsFirstMoveCutoffs << " ("
              << percent(t.qsFirstMoveCutoffs, t.qsCutoffs) << "%)\n"
              << "# allCutoffs = " << all << ", all cutoffs on 1st move = " << allFirst << " ("
              << percent(allFirst, all) << "%)\n"
              << "# ttHashFull% = " << ttFillPercent << ", ttHashHits = " << t.ttHashHits << "\n"
              << "# pawnHashFull% = " << pawnFillPercent << ", pawnHashHits = " << pawnHashHits << "\n"
              << "# tbHits = " << t.tbHits << "\n";
    std::fputs(out.str().c_str(), stdout);
    std::fflush(stdout);
}
