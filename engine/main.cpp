// Process entry: tables, banner, hash tables, start position, then the command loop.
#include <cstdio>
#include <memory>

#include "board/board.h"
#include "engine/wbengine.h"
#include "eval/evaluate.h"

int main(int argc, char *argv[]) {
    initStaticTables();
    initEvaluationTables();
    auto engine = std::make_unique<WBEngine>();

    std::printf("# GrelvinBB 0.6.96\n# \nfeature done=0\n");
    std::fflush(stdout);

    // Commands arrive a line at a time from an interface that waits for our answers;
    // a read-ahead buffer would only hide input that arrives during a search.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    engine->player.prepareSearch(false);
    engine->setUpStartPosition();
    engine->commandLoop(stdin);
    engine.reset();
    return 0;
}
