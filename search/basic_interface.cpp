// The search callbacks of a single thread without a clock.
#include "search/basic_interface.h"

#include "eval/pawnhash.h"
#include "search/tt.h"

void printThreadThinking(const SearchState &state, int depth, int score, const PrincipalVariation &pv) {
    printThinkingLine(uint32_t(depth), score, searchElapsed(*state.limits), state.stats.nodes.load(), pv);
}

void printThreadStatistics(const SearchState &state) {
    StatsTotals totals;
    totals.add(state.stats);
    const double ttFill = state.tt ? state.tt->fillPercent() : 0.0;
    const double pawnFill = state.pawnHash ? state.pawnHash->fillPercent() : 0.0;
    const uint64_t pawnHits = state.pawnHash ? state.pawnHash->hits() : 0;
    printStatistics(totals, searchElapsed(*state.limits), ttFill, pawnFill, pawnHits);
}

void BasicSearchInterface::reportThinking(int depth, int score, const PrincipalVariation &pv) {
    if (post_) printThreadThinking(state_, depth, score, pv);
}

void BasicSearchInterface::searchFinished() {
    if (post_) printThreadStatistics(state_);
}
