// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine player: the settings door and its effects, the tablebases, and the
// operations that coordinate the game, the tables, the clock and the search threads.
#include "engine/player.h"

#include <algorithm>

#include "board/movegen.h"
#include "engine/tablebases.h"
#include "engine/threads.h"

ChessPlayer::ChessPlayer(EngineListener *listener, SettingFace face)
    : timeManager_(listener, limits_),
      settings_(face),
      tablebases_(std::make_unique<EngineTablebases>()),
      tables_(listener),
      search_(listener, game_, tables_, timeManager_, limits_, settings_, tablebases_.get()) {
    newGame();
}

void ChessPlayer::newGame() {
    timeManager_.newGame();
    search_.level().newGame();
}

// The threads go first: they hold pointers to everything else.
ChessPlayer::~ChessPlayer() { search_.shutdownThreads(); }

CoresReport ChessPlayer::setCores(uint32_t requested) {
    const uint32_t used = std::min(requested, search_.maxThreads());
    settings_.setNumber(THREADS, int(used));
    return {used, requested, search_.threads() ? search_.threadCount() : announcedThreads_, search_.maxThreads()};
}

void ChessPlayer::announceTables() {
    announcedThreads_ = uint32_t(settings_.number(THREADS));
    tables_.announce(uint32_t(settings_.number(TT_HASH_MB)), uint32_t(settings_.number(PAWN_HASH_MB)));
}

// Called only while no search runs.
void ChessPlayer::prepareSearch(bool clearTables) {
    // The pool holds pointers into the tables: it goes before they can be replaced.
    const uint32_t threads = uint32_t(settings_.number(THREADS));
    if (clearTables || threads != search_.threadCount()) search_.shutdownThreads(threads);
    tables_.prepare(clearTables, uint32_t(settings_.number(TT_HASH_MB)), uint32_t(settings_.number(PAWN_HASH_MB)));
    search_.buildPool();
}

void ChessPlayer::startSearch(int64_t askedAtMs) {
    // The plan runs from the request: any wait here is the interface's time too.
    timeManager_.markRequest(askedAtMs);
    tables_.waitUntilReady();
    search_.start(settings_.number(LIMIT_STRENGTH) != 0 && !limits_->options.analysis);
}

MoveNotation ChessPlayer::notation(MoveListing listing) const {
    CastlingText text = CastlingText::KING_DESTINATION;
    if (chess960() && settings_.face() == SettingFace::UCI) text = CastlingText::KING_TAKES_ROOK;
    else if (chess960() && listing == MoveListing::GAME) text = CastlingText::O_O;
    return MoveNotation(game_.board().castling, text);
}

std::optional<EvalBreakdown> ChessPlayer::evaluation() {
    auto b = std::make_unique<Board_BB64>();
    game_.copyBoard(*b);
    if (!isEvaluable(*b)) return std::nullopt;
    return tables_.evaluation(*b, search_.busy(), uint32_t(settings_.number(PAWN_HASH_MB)));
}

std::optional<int64_t> ChessPlayer::setClock(const SearchClock &clock) {
    return timeManager_.setClock(clock, game_.gamePly(), settings_.number(MOVE_OVERHEAD_MS));
}

void ChessPlayer::setSearchOptions(const SearchOptions &options) {
    SearchOptions &o = limits_->options;
    o = options;
    o.multiPv = std::clamp(o.multiPv, 1, MAX_MULTI_PV);
    o.rootMoveCount = std::clamp(o.rootMoveCount, 0, MAX_ROOT_MOVES);
    o.mateMoves = std::max(o.mateMoves, 0);
}

bool ChessPlayer::reloadGaviota() {
    const std::string path = settings_.text(GTB_PATH);
    return tablebases_->loadGaviota(path == SYZYGY_NO_PATH ? std::string() : path, settings_.number(GTB_CACHE_MB));
}

void ChessPlayer::applyEffect(SettingEffect effect, SettingOutcome &outcome) {
    switch (effect) {
    case SettingEffect::NONE: break;
    case SettingEffect::RELOAD_TABLEBASES: outcome.gaviotaIndexFailed = !reloadGaviota(); break;
    case SettingEffect::BOOK_FILE: search_.renameBook(); break;
    case SettingEffect::CLEAR_HASH: prepareSearch(true); break;
    case SettingEffect::RELOAD_SYZYGY: outcome.tablesFound = loadSyzygy(outcome.tablesMaxMen); break;
    case SettingEffect::SYZYGY_LIMITS:
        tablebases_->setSyzygyProbeDepth(settings_.number(SYZYGY_PROBE_DEPTH));
        tablebases_->setSyzygyFiftyMoveRule(settings_.number(SYZYGY_50_MOVE_RULE) != 0);
        tablebases_->setSyzygyProbeLimit(settings_.number(SYZYGY_PROBE_LIMIT));
        break;
    }
}

int ChessPlayer::loadSyzygy(int &maxMen) {
    const std::string folders = settings_.text(SYZYGY_PATH);
    const int found = tablebases_->loadSyzygy(folders == SYZYGY_NO_PATH ? std::string() : folders);
    maxMen = tablebases_->syzygyMaxMen();
    return found;
}

std::vector<std::string> ChessPlayer::syzygyProblems() { return tablebases_->syzygyProblems(); }

std::vector<std::string> tablebaseAnswerLines(const TablebaseReport &r) {
    std::vector<std::string> lines;
    const TbAnswer &s = r.syzygy, &g = r.gaviota;
    static constexpr const char *RESULTS[] = {"loss", "draw", "win"};
    if (!s.found()) lines.push_back("syzygy none");
    else
        lines.push_back("syzygy wdl " + std::to_string(s.wdl) + " dtz " +
                        (s.dtzKnown ? std::to_string(s.dtz) : std::string("none")) + " clock " +
                        std::to_string(r.halfmoveClock) + " " + RESULTS[r.syzygyVerdict + 1]);
    if (g.found())
        lines.push_back(g.wdl == 0 ? std::string("gaviota draw")
                                   : (g.wdl > 0 ? "gaviota win " : "gaviota loss ") + std::to_string(g.matePlies));
    return lines;
}

TablebaseReport ChessPlayer::probeTablebases() {
    auto b = std::make_unique<Board_BB64>();
    game_.copyBoard(*b);
    TablebaseReport r;
    r.problemsBefore = tablebases_->syzygyProblems();
    TbRequest syzygy, gaviota;
    syzygy.gaviota = false;
    syzygy.dtz = true;
    gaviota.syzygy = false;
    r.syzygy = tablebases_->probe(*b, syzygy);
    r.gaviota = tablebases_->probe(*b, gaviota);
    r.halfmoveClock = b->halfmoveClock;
    r.syzygyVerdict = tbVerdict(r.syzygy, r.halfmoveClock, tablebases_->syzygyFiftyMoveRule());
    r.problemsAfter = tablebases_->syzygyProblems();
    return r;
}

SettingOutcome ChessPlayer::applySetting(SettingId id, std::string_view text, SettingRequest request) {
    const Setting &s = setting(id);
    SettingOutcome o;
    o.value = readSetting(s, text, settings_.face());
    const SettingValue &v = o.value;
    const bool machineCapped = s.max == MACHINE_LIMIT && v.written > v.number;
    if (request.outOfRange == OutOfRange::REFUSE)
        o.accepted = s.kind == SettingKind::PATH || s.kind == SettingKind::BUTTON ||
                     (s.kind == SettingKind::SPIN ? !v.clamped || machineCapped : v.wellFormed);
    else o.accepted = v.wellFormed;
    if (!o.accepted) return o;
    if (s.kind == SettingKind::PATH) settings_.setText(id, v.text);
    else if (id == THREADS) o.cores = setCores(uint32_t(machineCapped ? v.written : v.number));
    else settings_.setNumber(id, v.number);
    if (!request.startUp || s.effectAtStartUp) applyEffect(s.effect, o);
    return o;
}
