// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "uci/uci_engine.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstring>
#include <memory>

#include "board/movegen.h"
#include "engine/version.h"
#include "search/basic_interface.h"
#include "search/bench.h"
#include "search/bench_positions.h"
#include "search/tt.h"
#include "tools/perft.h"
#include "platform/code_level.h"
#include "platform/text_line.h"
#include "uci/command.h"
#include "uci/info.h"

namespace {

// A GUI's FEN is completed as other engines complete it; one the engine refuses
// leaves no position, so no move of an earlier game can answer the next "go".
constexpr SetupRules POSITION_RULES{.lenientFen = true, .keepRefusedBoard = false};

Move firstLegalMove(Board_BB64 &b) {
    MoveList list;
    generateAllLegal(b, list);
    return list.size() ? list[0] : NO_MOVE;
}

}  // namespace

UciEngine::UciEngine() : player_(this, SettingFace::UCI) { player_.game().setGame(START_FEN); }

UciEngine::~UciEngine() { player_.search().shutdownThreads(); }

void UciEngine::emit(const std::string &line) {
    const std::lock_guard<std::mutex> lock(outputMutex_);
    std::fputs((line + '\n').c_str(), stdout);
    std::fflush(stdout);
}

void UciEngine::diagnostic(const std::string &text) {
    if (debug_) emit(infoStringLine(text));
}

// Sizes are the option's business; only a table without memory, or with less than the
// option asked for, is worth a line.
void UciEngine::onTableSize(const TableSizeReport &r) {
    const std::string name = r.table == HashTableKind::TRANSPOSITION ? "Hash" : "PawnHash";
    if (!r.allocated) emit(infoStringLine("could not allocate " + std::to_string(r.sizeMB) + " MB for " + name));
    else if (r.cut)
        emit(infoStringLine(name + " " + std::to_string(r.requestedMB) + " MB is more than this machine can give, using " +
                            std::to_string(r.sizeMB) + " MB"));
}

void UciEngine::onHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) {
    char move[6], fen[128];
    moveToText(m, move);
    b.toFEN(fen);
    diagnostic(std::string("hash move ") + move + (pseudoLegal ? " leaves the king in check" : " does not fit") +
               " in " + fen);
}

void UciEngine::onBookError(int errorNumber) {
    emit(infoStringLine(std::string("book not read: ") + std::strerror(errorNumber)));
}

void UciEngine::onStopReason(StopReason reason, Move, int plies) {
    static constexpr const char *NAMES[] = {"forced move", "easy move", "no time for another iteration",
                                            "forced mate", "forced draw", "getting mated"};
    std::string text = std::string("stopping: ") + NAMES[size_t(reason)];
    if (reason == StopReason::FORCED_MATE || reason == StopReason::GETTING_MATED)
        text += " in " + std::to_string(plies) + " plies";
    diagnostic(text);
}

void UciEngine::onTimeout() { diagnostic("time is up"); }

// The totals of the whole search, which the last line of the principal variation may
// not show (the nodes searched after it).
void UciEngine::onSearchFinished(const SearchSummary &s) {
    InfoFields info;
    info.nodes = s.totals.nodes;
    const int64_t ms = s.elapsedMs;
    info.timeMs = ms;
    if (ms > 0) info.nps = s.totals.nodes * 1000 / uint64_t(ms);
    info.hashFull = player_.tables().hashFullPermille();
    info.tbHits = s.totals.tbHits;
    emit(infoLine(info));
    char text[160];
    std::snprintf(text, sizeof text, "search finished: %" PRIu64 " nodes, %" PRIu64 " tb hits, %d ms, hash %.1f%%",
                  s.totals.nodes, s.totals.tbHits, int(s.elapsedMs), s.ttFillPercent);
    diagnostic(text);
}

void UciEngine::onIteration(const IterationReport &r) { onLine(r); }

void UciEngine::onLine(const IterationReport &r) {
    InfoFields info;
    info.depth = r.depth;
    if (r.selDepth > 0) info.selDepth = r.selDepth;
    info.multiPv = r.multiPv;
    info.score = r.score;
    info.bound = r.bound;
    info.nodes = r.nodes;
    const int64_t ms = r.elapsedMs;
    info.timeMs = ms;
    if (ms > 0) info.nps = r.nodes * 1000 / uint64_t(ms);
    info.hashFull = player_.tables().hashFullPermille();
    info.tbHits = r.tbHits;
    if (r.pv) info.pv = std::span<const Move>(r.pv->moves, r.pv->length);
    info.notation = notation_;
    emit(infoLine(info));
}

// Which root move is being searched: worth a line only once a search runs long enough
// for someone to watch it.
void UciEngine::onCurrentMove(int depth, Move move, int number, int32_t elapsedCs) {
    if (elapsedCs < CURRMOVE_AFTER_CS) return;
    emit("info depth " + std::to_string(depth) + " currmove " + uciMoveText(move, notation_) + " currmovenumber " +
         std::to_string(number));
}

// A search stopped before its first iteration has no move of its own; the GUI still
// needs a legal one whenever there is one.
void UciEngine::onBestMove(const SearchResult &r, bool) {
    for (const std::string &problem : player_.syzygyProblems()) emit(infoStringLine(problem));
    const Move best = r.bestMove != NO_MOVE ? r.bestMove : rootMove_;
    const std::string line = bestMoveLine(best, r.bestMove != NO_MOVE ? r.ponderMove : NO_MOVE, notation_);
    {
        const std::lock_guard<std::mutex> lock(outputMutex_);
        if (holdBestMove_) {
            heldBestMove_ = line;
            return;
        }
    }
    emit(line);
}

void UciEngine::stop() {
    pondering_ = false;
    std::string held;
    {
        const std::lock_guard<std::mutex> lock(outputMutex_);
        holdBestMove_ = false;
        held.swap(heldBestMove_);
    }
    if (!held.empty()) emit(held);
    if (player_.search().busy()) player_.search().stop();
}

// The expected move was played: the ponder search goes on as the search of our move,
// with the budget of its clock fields, the time it has pondered counted in. A search
// that ended meanwhile has its move waiting.
void UciEngine::ponderHit() {
    if (!pondering_) {
        diagnostic("ponderhit without a ponder search, ignored");
        return;
    }
    pondering_ = false;
    std::string held;
    {
        const std::lock_guard<std::mutex> lock(outputMutex_);
        if (ponderInfinite_) return;
        holdBestMove_ = false;
        held.swap(heldBestMove_);
    }
    if (!held.empty()) emit(held);
    else player_.ponderHit();
}

// A line ends at a line feed, a carriage return or a NUL byte: a stray byte from the
// GUI never glues the next command onto the one before it.
void UciEngine::commandLoop(std::FILE *input) {
    std::string line;
    for (int c; (c = std::getc(input)) != EOF;) {
        if (c != '\n' && c != '\r' && c != '\0') {
            line += char(c);
            continue;
        }
        const bool more = executeLine(line);
        line.clear();
        if (!more) return;
    }
    if (!line.empty()) executeLine(line);
    stop();
}

bool UciEngine::executeLine(std::string_view line) {
    const Tokens words = tokenize(line);
    if (words.empty()) return true;
    const std::string_view cmd = words[0];
    const std::string_view *args = words.data() + 1;
    const size_t n = words.size() - 1;
    if (cmd == "uci") uci();
    else if (cmd == "isready") ready();
    else if (cmd == "ucinewgame") {
        stop();
        player_.prepareSearch(true);
        player_.game().setGame(START_FEN);
        fullMoveNumber_ = 1;
        noPosition_.clear();
        player_.newGame();
    } else if (cmd == "position") {
        stop();
        position(args, n);
        // A game is coming: its tables are made now if no "isready" did it.
        player_.prepareSearch(false);
    } else if (cmd == "go") {
        stop();
        go(args, n);
    } else if (cmd == "stop") stop();
    else if (cmd == "ponderhit") ponderHit();
    else if (cmd == "setoption") {
        stop();
        setOption(args, n);
    } else if (cmd == "quit") {
        stop();
        return false;
    } else if (cmd == "d") diagram();
    else if (cmd == "tbprobe") {
        const TablebaseReport r = player_.probeTablebases();
        for (const std::string &problem : r.problemsBefore) emit(infoStringLine(problem));
        for (const std::string &text : tablebaseAnswerLines(r)) emit(text);
        for (const std::string &problem : r.problemsAfter) emit(infoStringLine(problem));
    }
    else if (cmd == "eval") evaluation();
    else if (cmd == "perft") {
        stop();
        perft(n ? parseInteger(std::string(args[0]).c_str()) : 0);
    }
    else if (cmd == "bench") {
        stop();
        bench();
    } else if (cmd == "debug") {
        if (n == 1 && (args[0] == "on" || args[0] == "off")) debug_ = args[0] == "on";
        else emit(infoStringLine("debug: on or off expected"));
    } else if (cmd == "register") {
        // Nothing to register.
    } else
        emit(infoStringLine("unknown command: " + std::string(cmd)));
    return true;
}

// During a search nothing is rebuilt under the running threads: what it uses is ready.
void UciEngine::ready() {
    if (!player_.search().busy()) {
        player_.prepareSearch(false);
        player_.tables().waitUntilReady();
    }
    emit("readyok");
}

void UciEngine::uci() {
    emit(std::string("id name ") + ENGINE_NAME + ' ' + ENGINE_VERSION);
    emit(std::string("id author ") + ENGINE_NAME + " developers");
    for (const Setting &s : SETTINGS) {
        if (!s.uciName) continue;
        std::string line = std::string("option name ") + s.uciName + " type ";
        switch (s.kind) {
        case SettingKind::SPIN:
            line += "spin default " + std::to_string(defaultFor(s, SettingFace::UCI)) + " min " +
                    std::to_string(s.min) + " max " + std::to_string(settingMax(s, SettingFace::UCI));
            break;
        case SettingKind::CHECK: line += std::string("check default ") + (defaultFor(s, SettingFace::UCI) ? "true" : "false");
            break;
        case SettingKind::PATH: {
            const std::string text = defaultTextFor(s, SettingFace::UCI);
            line += "string default " + (text.empty() ? std::string(SYZYGY_NO_PATH) : text);
            break;
        }
        case SettingKind::BUTTON: line += "button"; break;
        }
        emit(line);
    }
    emit(infoStringLine(std::string("code for ") + codeLevel()));
    emit("uciok");
}

void UciEngine::position(const std::string_view *args, size_t n) {
    const PositionCommand p = parsePosition(TokenSpan(args, n));
    for (const std::string &note : p.notes) emit(infoStringLine(note));
    if (!p.ok) return;
    const GameReplay g = player_.game().setGame(p.fen, p.moves, POSITION_RULES);
    if (g.outcome == ReplayOutcome::BAD_FEN || g.outcome == ReplayOutcome::UNPLAYABLE) {
        noPosition_ = (g.outcome == ReplayOutcome::BAD_FEN ? "bad FEN " : "not a legal position: ") + g.fen;
        emit(infoStringLine("position refused, " + noPosition_));
        fullMoveNumber_ = 1;
        return;
    }
    noPosition_.clear();
    if (g.outcome == ReplayOutcome::ILLEGAL_MOVE)
        emit(infoStringLine("illegal move " + g.illegalMove + ", the moves from there on are ignored"));
    fullMoveNumber_ = g.fullMoveNumber;
}

void UciEngine::go(const std::string_view *args, size_t n) {
    // The interface's clock runs from here: the budget does too.
    const int64_t receivedMs = steadyMs();
    auto board = std::make_unique<Board_BB64>();
    player_.game().copyBoard(*board);
    const GoCommand g = parseGo(TokenSpan(args, n), *board);
    for (const std::string &note : g.notes) emit(infoStringLine(note));
    if (g.perftDepth) {
        perft(int(std::min<int64_t>(*g.perftDepth, 64)));
        return;
    }
    if (!noPosition_.empty()) {
        emit(infoStringLine("no position to search: " + noPosition_));
        emit(bestMoveLine(NO_MOVE, NO_MOVE, notation_));
        return;
    }
    SearchOptions options;
    options.multiPv = player_.settings().number(MULTI_PV);
    options.rootMoveCount = int(std::min(g.searchMoves.size(), size_t(MAX_ROOT_MOVES)));
    std::copy_n(g.searchMoves.begin(), options.rootMoveCount, options.rootMoves);
    // "mate 0" or fewer asks for nothing; "nodes 0" searches one node.
    options.mateMoves = int(std::clamp<int64_t>(g.mate.value_or(0), 0, MAX_PV_LENGTH));
    options.nodeLimit = g.nodes ? uint64_t(std::max<int64_t>(*g.nodes, 1)) : 0;
    options.analysis = player_.settings().number(ANALYSE_MODE) != 0;
    options.forcedMoveOnClock = true;
    player_.setSearchOptions(options);
    rootMove_ = player_.game().boardUsable() ? firstLegalMove(*board) : NO_MOVE;
    notation_ = player_.notation();

    const std::optional<int64_t> budget = player_.setClock(goClock(g, board->side()));
    pondering_ = g.ponder;
    ponderInfinite_ = g.infinite;
    if (budget && !g.infinite)
        diagnostic("budget " + std::to_string(*budget) + " ms" + (g.ponder ? " from ponderhit" : ""));
    {
        const std::lock_guard<std::mutex> lock(outputMutex_);
        holdBestMove_ = g.infinite || g.ponder;
        heldBestMove_.clear();
    }
    player_.prepareSearch(false);
    player_.startSearch(receivedMs);
}

void UciEngine::setOption(const std::string_view *args, size_t n) {
    const SetOptionCommand s = parseSetOption(TokenSpan(args, n));
    for (const std::string &note : s.notes) emit(infoStringLine(note));
    if (s.name.empty()) return;
    const Setting *setting = findUciSetting(s.name);
    if (!setting) {
        emit(infoStringLine("unknown option: " + s.name));
        return;
    }
    const std::string name = setting->uciName;
    const std::string text = s.value.value_or("");
    const SettingOutcome o = player_.applySetting(setting->id, text, {.outOfRange = OutOfRange::CLAMP});
    const SettingValue &v = o.value;
    if (!o.accepted) {
        emit(infoStringLine(name + (setting->kind == SettingKind::CHECK ? ": true or false expected, got "
                                                                         : ": a number expected, got ") +
                            text));
        return;
    }
    if (v.clamped && setting->kind == SettingKind::PATH)
        emit(infoStringLine(name + " cut to its first " + std::to_string(PATH_SETTING_MAX) + " characters"));
    else if (v.clamped)
        emit(infoStringLine(name + " set to " + std::to_string(v.number) + ", the nearest value in range"));
    if (setting->id == SYZYGY_PATH)
        emit(infoStringLine("SyzygyPath: " + std::to_string(o.tablesFound) + " tables found" +
                            (o.tablesFound ? ", up to " + std::to_string(o.tablesMaxMen) + " men" : std::string())));
}

// The move counts by root move, then the totals; the depth is checked by the tool.
void UciEngine::perft(int depth) {
    auto b = std::make_unique<Board_BB64>();
    player_.game().copyBoard(*b);
    const PerftRun run = perftCommand(*b, perftHash_, PerftHash::DEFAULT_SIZE_MB, depth, true);
    const MoveNotation notation = player_.notation(ChessPlayer::MoveListing::PERFT);
    if (run.status != PerftStatus::COUNTED) {
        emit(infoStringLine("perft needs a depth from 1 on and a legal position"));
        return;
    }
    if (!run.table.allocated) emit(infoStringLine("no memory for the perft table, counting without it"));
    char text[6];
    for (const RootMoveCount &c : run.rootCounts) {
        moveToText(c.move, notation, text);
        emit(std::string(text) + ": " + std::to_string(c.leaves));
    }
    // The nodes a perft counts are its leaves, as other engines count them.
    const uint64_t nps = run.elapsedCs ? run.leaves * 100 / run.elapsedCs : 0;
    emit("Total leaves: " + std::to_string(run.leaves));
    emit(infoStringLine("perft " + std::to_string(depth) + ": " + std::to_string(run.leaves) + " nodes, " +
                        std::to_string(int64_t(run.elapsedCs) * 10) + " ms, " + std::to_string(nps) + " nps"));
}

// The evaluation term by term (the player works on a copy of the position: a search
// may be running): a line per term with White's and Black's middle-game, end-game and
// blended values and the blended difference, then the phase, scaling and total.
void UciEngine::evaluation() {
    const std::optional<EvalBreakdown> e = player_.evaluation();
    if (!e) {
        emit(infoStringLine("no evaluation of this position"));
        return;
    }
    // One write: the search's info lines never land inside the table.
    std::string lines;
    char text[160];
    for (const EvalBreakdownRow &r : e->rows) {
        std::snprintf(text, sizeof text, "%s: white %d %d (%d) black %d %d (%d) total %d", r.name, r.white.mg(),
                      r.white.eg(), r.whiteTotal, r.black.mg(), r.black.eg(), r.blackTotal, r.total);
        lines += infoStringLine(text) + '\n';
    }
    std::snprintf(text, sizeof text, "phase %d scaling %.2f evaluation %d (white's view)", e->phase,
                  e->scalingPercent / 100.0, e->total);
    emit(lines + infoStringLine(text));
}

void UciEngine::diagram() {
    auto b = std::make_unique<Board_BB64>();
    player_.game().copyBoard(*b);
    for (int rank = RANK_8; rank >= RANK_1; --rank) {
        std::string row = " ";
        for (int file = FILE_A; file <= FILE_H; ++file) {
            const Square s = makeSquare(file, rank);
            const int pt = b->pieceOn[s] <= KING ? b->pieceOn[s] : 0;
            const char ch = PIECE_CHARS[pt];
            row += b->colorOn[s] == WHITE && pt ? char(ch - 'a' + 'A') : ch;
            row += ' ';
        }
        emit(row);
    }
    char fen[128];
    b->toFEN(fen, player_.chess960() ? FenStyle::SHREDDER : FenStyle::X_FEN);
    // The board counts moves from the start of the game record, not of the game.
    std::string text = fen;
    text.replace(text.rfind(' ') + 1, std::string::npos, std::to_string(fullMoveNumber_));
    emit("Fen: " + text);
}

// The search benchmark's positions and depth, each with fresh tables and one thread,
// so that the node count equals the benchmark program's.
void UciEngine::bench() {
    emit(infoStringLine(std::string("code for ") + codeLevel()));
    const BenchTotals t = runBench(BENCH_DEPTH, [this](const BenchPosition &p) {
        char text[6];
        moveToText(p.best, text);
        emit(infoStringLine(std::string(p.fen) + " " + text + " " + std::to_string(p.nodes)));
    });
    const uint64_t nps = t.seconds > 0 ? uint64_t(double(t.nodes) / t.seconds) : 0;
    emit(std::to_string(t.nodes) + " nodes " + std::to_string(nps) + " nps");
}
