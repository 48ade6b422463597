// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Handlers of the protocol's set-up and settings commands: feature negotiation, the
// time control and clock, depth, thinking output, threads, tablebases, options, book
// and random-game mode, and quit.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/time_manager.h"
#include "xboard/output.h"
#include "xboard/wbengine.h"
#include "platform/text_line.h"

bool WBEngine::onQuit(const Arguments &) {
    // The loop has stopped any search already; the threads now leave their loops.
    player_.search().shutdownThreads();
    quitRequested_ = true;
    return true;
}

bool WBEngine::onXboard(const Arguments &) {
    std::printf("\n");
    std::fflush(stdout);
    xboardMode_ = true;
    return true;
}

bool WBEngine::onProtover(const Arguments &) {
    std::printf("feature ping=1\nfeature setboard=1\nfeature playother=1\nfeature usermove=1\n"
                "feature colors=0\nfeature sigint=0\nfeature sigterm=0\nfeature analyze=1\n"
                "feature name=0\nfeature nps=0\nfeature debug=1\nfeature egt=\"gaviota,syzygy\"\n"
                "feature smp=1\nfeature variants=\"normal,fischerandom\"\n");
    // The table sizes offer their defaults, the tablebase and book settings what they
    // hold now.
    for (const Setting &s : SETTINGS) {
        if (!s.xboardOption) continue;
        if (s.kind == SettingKind::PATH)
            std::printf("feature option=\"%s -path %s\"\n", s.name, player_.settings().text(s.id).c_str());
        else if (s.kind == SettingKind::CHECK)
            std::printf("feature option=\"%s -check %d\"\n", s.name, player_.settings().number(s.id));
        else
            std::printf("feature option=\"%s -spin %d %d %d\"\n", s.name,
                        s.id == GTB_CACHE_MB ? player_.settings().number(s.id) : s.defaultValue, s.min, s.max);
    }
    std::printf("feature myname=\"%s %s\"\n", ENGINE_NAME, ENGINE_VERSION);
    // Changed table sizes are told here; the tables themselves wait for "new" or the
    // next search.
    player_.announceTables();
    std::printf("feature done=1\n");
    std::fflush(stdout);
    return true;
}

// The answer also means that the tables "new" or an option made are in memory, so
// the search that follows does not wait for them.
bool WBEngine::onPing(const Arguments &args) {
    if (!player_.search().busy()) player_.tables().waitUntilReady();
    std::printf("pong %d\n", parseInteger(args[0].c_str()));
    std::fflush(stdout);
    return true;
}

// A negative count or time is refused and the level stays as it was; the player counts
// times beyond some 248 days as that, which is unlimited for any game.
bool WBEngine::onLevel(const Arguments &args) {
    const std::vector<std::string> base = splitArguments(args[1], ':');
    if (base.size() > 2) return false;
    const int64_t moves = parseInteger(args[0].c_str());
    const int64_t minutes = base.empty() ? 0 : parseInteger(base[0].c_str());
    const int64_t seconds = base.size() == 2 ? parseInteger(base[1].c_str()) : 0;
    const int64_t increment = parseInteger(args[2].c_str());
    if (moves < 0 || minutes < 0 || seconds < 0 || increment < 0) return false;
    clock_.movesPerSession = moves;
    clock_.sessionMs = (minutes * 60 + seconds) * 1000;
    clock_.incrementMs = increment * 1000;
    player_.setClock(clock_);
    return true;
}

// The interface tells the time left on the engine's clock, in centiseconds.
bool WBEngine::onTime(const Arguments &args) {
    SearchClock reading = clock_;
    reading.timeLeftMs = int64_t(parseInteger(args[0].c_str())) * 10;
    player_.setClock(reading);
    return true;
}

bool WBEngine::onSd(const Arguments &args) {
    const int depth = parseInteger(args[0].c_str());
    if (depth < 0) return false;
    clock_.depth = depth;
    player_.setClock(clock_);
    return true;
}

bool WBEngine::onPost(const Arguments &) {
    postThinking_ = true;
    return true;
}

bool WBEngine::onNopost(const Arguments &) {
    postThinking_ = false;
    return true;
}

bool WBEngine::onCores(const Arguments &args) {
    const SettingOutcome o = player_.applySetting(THREADS, args[0]);
    if (o.accepted) printCores(o.cores);
    return o.accepted;
}

bool WBEngine::onEgtpath(const Arguments &args) {
    if (args[0] != "gaviota" && args[0] != "syzygy") {
        std::printf("# invalid TB type: %s\n", args[0].c_str());
        return false;
    }
    std::printf("# initializing TB: type=%s path=%s\n", args[0].c_str(), args[1].c_str());
    const SettingOutcome o = player_.applySetting(args[0] == "syzygy" ? SYZYGY_PATH : GTB_PATH, args[1]);
    if (o.gaviotaIndexFailed) exitOnTablebaseIndexFailure();
    if (args[0] == "syzygy" && o.tablesFound)
        std::printf("# syzygy: %d tables found, up to %d men\n", o.tablesFound, o.tablesMaxMen);
    else if (args[0] == "syzygy") std::printf("# syzygy: 0 tables found\n");
    return true;
}

// The tablebase index tables could not be built: nothing can be probed, and the engine
// stops as it always has.
void WBEngine::exitOnTablebaseIndexFailure() {
    std::printf("Wrong initialization order of data\n");
    std::fflush(stdout);
    std::exit(1);
}

bool WBEngine::onTbprobe(const Arguments &) {
    const TablebaseReport r = player_.probeTablebases();
    for (const std::string &problem : r.problemsBefore) std::printf("# %s\n", problem.c_str());
    for (const std::string &text : tablebaseAnswerLines(r)) std::printf("# %s\n", text.c_str());
    for (const std::string &problem : r.problemsAfter) std::printf("# %s\n", problem.c_str());
    std::fflush(stdout);
    return true;
}

bool WBEngine::onOption(const Arguments &args) {
    const std::vector<std::string> parts = splitArguments(args[0], '=');
    const std::string name = parts.empty() ? std::string() : parts[0];
    const std::string value = parts.size() > 1 ? parts[1] : std::string();
    const Setting *s = findSetting(name);
    if (!s || !s->xboardOption) {
        std::printf("Error (unknown option name): %s\n", name.c_str());
        return false;
    }
    // The protocol refuses a number out of range and keeps the value it had.
    const SettingOutcome o = player_.applySetting(s->id, value);
    if (!o.accepted) {
        std::printf("Error (illegal value for '%s' option): %s\n", name.c_str(), value.c_str());
        return false;
    }
    if (s->kind == SettingKind::PATH) std::printf("# setting option: %s=%s\n", name.c_str(), value.c_str());
    else std::printf("# setting option: %s=%d\n", name.c_str(), o.value.number);
    if (o.gaviotaIndexFailed) exitOnTablebaseIndexFailure();
    return true;
}

bool WBEngine::onBook(const Arguments &) {
    player_.setBookEnabled(true);
    return true;
}

bool WBEngine::onNobook(const Arguments &) {
    player_.setBookEnabled(false);
    return true;
}

bool WBEngine::onRandgame(const Arguments &) {
    player_.search().setRandomGameMode(true);
    return true;
}

bool WBEngine::onNorandgame(const Arguments &) {
    player_.search().setRandomGameMode(false);
    return true;
}

bool WBEngine::onTune(const Arguments &) { return true; }

// "variant fischerandom" (after "new") plays Chess960 from the position setboard sends;
// "variant normal" is the standard game again. Other variants are refused.
bool WBEngine::onVariant(const Arguments &args) {
    if (args[0] != "normal" && args[0] != "fischerandom") return false;
    player_.applySetting(CHESS960, args[0] == "fischerandom" ? "1" : "0");
    return true;
}
