// A SearchInterface for one search thread without a clock limit: never times out,
// and prints the thinking lines and statistics when posting is on. Used by the
// fixed-depth tools, the bench and the tests.
#pragma once

#include "search/search.h"

// The thinking line of a search state's current result, with its own elapsed time and
// node count.
void printThreadThinking(const SearchState &state, int depth, int score, const PrincipalVariation &pv);
// The statistics block of one search state with the tables it searched with.
void printThreadStatistics(const SearchState &state);

class BasicSearchInterface : public SearchInterface {
public:
    BasicSearchInterface(SearchState &state, bool post) : state_(state), post_(post) {}

    bool timeOut() override { return false; }
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override;
    void searchFinished() override;

private:
    SearchState &state_;
    bool post_;
};
