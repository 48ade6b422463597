// The search callbacks of a single thread without a clock.
#include "search/basic_interface.h"

#include "eval/pawnhash.h"
#include "search/tt.h"

void BasicSearchInterface::reportThinking(int depth, int score, const PrincipalVariation &pv) {
    if (!post_) return;
    printThinkingLine(uint32_t(depth), score, searchElapsed(*state_.limits), state_.stats.nodes.load(), pv);
}

void BasicSearchInterface::searchFinished() {
    if (!post_) return;
    StatsTotals totals;
    totals.add(state_.stats);
    const double ttFill = state_.tt ? state_.tt->fillPercent() : 0.0;
    const double pawnFill = state_.pawnHash ? state_.pawnHash->fillPercent() : 0.0;
    const uint64_t pawnHits = state_.pawnHash ? state_.pawnHash->hits() : 0;
    printStatistics(totals, searchElapsed(*state_.limits), ttFill, pawnFill, pawnHits);
}
