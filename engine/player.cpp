// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine player: the game record, the end-of-game test, and the tables and threads
// it prepares before a search or an evaluation, and the moves' notation.
#include "engine/player.h"

#include <algorithm>
#include <random>
#include <thread>

#include "board/movegen.h"
#include "engine/tablebases.h"
#include "engine/threads.h"
#include "eval/pawnhash.h"
#include "platform/memory.h"
#include "search/tt.h"
#include "book/book.h"

ChessPlayer::ChessPlayer(EngineListener *listener, SettingFace face)
    : listener_(listener),
      timeManager_(listener, limits_),
      settings_(face),
      maxThreads_(std::max(1u, std::thread::hardware_concurrency())),
      board_(std::make_unique<Board_BB64>()),
      tablebases_(std::make_unique<EngineTablebases>()) {
    board_->setFromFEN(START_FEN);
    newGame();
}

// A GUI keeps the engine loaded from game to game: without a seed, each game's level
// choices come from a salt of its own.
void ChessPlayer::newGame() {
    timeManager_.newGame();
    std::random_device device;
    levelSalt_ = uint64_t(device()) << 32 | device();
}

// The threads go first: they hold pointers to everything else.
ChessPlayer::~ChessPlayer() {
    stopSearch();
    pool_.reset();
    book_.reset();
    tablebases_.reset();
}

void ChessPlayer::copyBoard(Board_BB64 &out) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    out = *board_;
}

bool ChessPlayer::boardUsable() const { return isPlayable(*board_); }

// A game whose record keeps every move is set up from the FEN as read; a longer one
// from where its record starts.
GameReplay ChessPlayer::setGame(std::string_view fen, std::span<const std::string_view> moves, SetupRules rules) {
    GameReplay g = replayGame(fen, moves, rules);
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    if (g.outcome == ReplayOutcome::BAD_FEN || g.outcome == ReplayOutcome::UNPLAYABLE) {
        if (rules.keepRefusedBoard) board_->setFromFEN(g.fen.c_str());
        else board_->clear();
        return g;
    }
    const bool whole = g.recordMoves.size() == g.moves.size();
    board_->setFromFEN(whole ? g.fen.c_str() : g.recordFen.c_str());
    for (Move m : g.recordMoves) recordUnlocked(m);
    return g;
}

void ChessPlayer::recordUnlocked(Move move) {
    gameMoves_[gamePly_] = move;
    board_->history[board_->historyIndex].movePlayed = move;
    board_->makeMove(move, gameUndo_[gamePly_]);
    gamePly_ = gamePly_ + 1;
}

void ChessPlayer::takeBackUnlocked() {
    gamePly_ = gamePly_ - 1;
    board_->unmakeMove(gameMoves_[gamePly_], gameUndo_[gamePly_]);
}

bool ChessPlayer::recordMove(Move move) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    return true;
}

bool ChessPlayer::takeBackMove() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (gamePly_ == 0) return false;
    takeBackUnlocked();
    return true;
}

// The legality tests make and take back moves on the board: under the game lock, as
// thread 0 runs this after its move while the loop may copy the board.
GameEnd ChessPlayer::checkGameEnd() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    MoveList list;
    const bool inCheck = generateAllLegal(*board_, list);
    if (list.size() == 0)
        return !inCheck ? GameEnd::STALEMATE : board_->side() == BLACK ? GameEnd::WHITE_MATES : GameEnd::BLACK_MATES;
    int reason = DRAW_NONE;
    // Repetitions and the fifty-move rule are the opponent's to claim (we offer).
    if (isDraw(*board_, reason) && reason == DRAW_MATERIAL) return GameEnd::INSUFFICIENT_MATERIAL;
    return GameEnd::NONE;
}

// The probe plays the move on the game board and takes it back, all under the lock so
// that a diagram printed meanwhile never shows the trial position.
bool ChessPlayer::shouldOfferDraw(Move move) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    MoveList list;
    generateAllLegal(*board_, list);
    int reason = DRAW_NONE;
    bool offer = false;
    // The draw test names a repetition only at the third occurrence.
    if (list.size() > 0 && isDraw(*board_, reason))
        offer = reason == DRAW_FIFTY_MOVES || reason == DRAW_REPETITION;
    takeBackUnlocked();
    return offer;
}

CoresReport ChessPlayer::setCores(uint32_t requested) {
    const uint32_t used = std::min(requested, maxThreads_);
    settings_.setNumber(THREADS, int(used));
    return {used, requested, pool_ ? currentThreads_ : announcedThreads_, maxThreads_};
}

namespace {

uint32_t affordableMB(uint32_t requestedMB) { return tableMBWithin(requestedMB, physicalMemoryBytes()); }

}  // namespace

// A table is reported when it is cleared, when it has no memory, and when its size is
// not the one last told (announceTables may have told it before it was made).
void ChessPlayer::tellTableSize(const TableSizeReport &r, bool cleared, uint32_t &toldMB) {
    if (!cleared && r.allocated && r.sizeMB == toldMB) return;
    listener_->onTableSize(r);
    toldMB = r.sizeMB;
}

// A cleared table keeps its memory when its size stays: mapping a new block would
// leave its pages to be faulted in by the next search, inside the clock. Either way the
// size is reported again and nothing of the previous game survives. A request that was
// rounded down (or cut to the machine) is not made again before every search.
void ChessPlayer::prepareTransposition(bool clearTables) {
    if (!tt_) tt_ = std::make_unique<TranspositionTable>();
    const uint32_t asked = uint32_t(settings_.number(TT_HASH_MB)), full = TranspositionTable::sizeMBFor(asked);
    const bool changed = asked != ttRequestedMB_ && asked != ttCurrentMB_;
    const bool remade = (changed || (clearTables && !tt_->entryCount())) && tt_->resize(affordableMB(asked));
    if (remade) {
        const bool allocated = tt_->entryCount() != 0;
        const uint32_t size = allocated ? tt_->sizeMB() : TranspositionTable::sizeMBFor(affordableMB(asked));
        tellTableSize({HashTableKind::TRANSPOSITION, size, asked, allocated, size < full}, clearTables, ttToldMB_);
    } else if (clearTables) {
        tt_->clear();
        tellTableSize({HashTableKind::TRANSPOSITION, tt_->sizeMB(), asked, true, tt_->sizeMB() < full}, true,
                      ttToldMB_);
    }
    if (remade || changed) ttRequestedMB_ = asked;
    ttCurrentMB_ = tt_->sizeMB();
}

void ChessPlayer::preparePawnHash(bool clearTables, uint32_t askedMB) {
    if (!pawnHash_) pawnHash_ = std::make_unique<PawnHashTable>();
    const uint32_t asked = askedMB ? askedMB : uint32_t(settings_.number(PAWN_HASH_MB));
    const bool resize = (asked != pawnHashRequestedMB_ && asked != pawnHashCurrentMB_) || !pawnHash_->entryCount();
    if (clearTables || resize) {
        if (resize) pawnHash_->resize(affordableMB(asked));
        else pawnHash_->clear();
        const uint32_t size = pawnHash_->sizeMB();
        const TableSizeReport r{HashTableKind::PAWN, size, asked, pawnHash_->entryCount() != 0,
                                size < PawnHashTable::sizeMBFor(asked)};
        tellTableSize(r, clearTables, pawnToldMB_);
        pawnHashRequestedMB_ = asked;
    }
    pawnHashCurrentMB_ = pawnHash_->sizeMB();
}

void ChessPlayer::announceTables() {
    announcedThreads_ = uint32_t(settings_.number(THREADS));
    const uint32_t tt = uint32_t(settings_.number(TT_HASH_MB)), pawn = uint32_t(settings_.number(PAWN_HASH_MB));
    pawnAnnouncedMB_ = pawn;
    const uint32_t ttSize = TranspositionTable::sizeMBFor(affordableMB(tt));
    const uint32_t pawnSize = PawnHashTable::sizeMBFor(affordableMB(pawn));
    tellTableSize({HashTableKind::TRANSPOSITION, ttSize, tt, true, ttSize < TranspositionTable::sizeMBFor(tt)},
                  false, ttToldMB_);
    tellTableSize({HashTableKind::PAWN, pawnSize, pawn, true, pawnSize < PawnHashTable::sizeMBFor(pawn)}, false,
                  pawnToldMB_);
}

// A new block is faulted in on background threads (a large one takes a tenth of a
// second or more); whoever needs it whole waits here.
void ChessPlayer::waitUntilReady() {
    if (tt_) tt_->waitFaulted();
    if (pawnHash_) pawnHash_->waitFaulted();
}

// Called only while no search runs.
void ChessPlayer::prepareSearch(bool clearTables) {
    // The pool holds pointers into the tables: it goes before they can be replaced.
    const uint32_t threads = uint32_t(settings_.number(THREADS));
    if (clearTables || threads != currentThreads_) {
        pool_.reset();
        currentThreads_ = threads;
    }
    prepareTransposition(clearTables);
    preparePawnHash(clearTables);
    if (!pool_) pool_ = std::make_unique<ThreadPool>(currentThreads_, &ChessPlayer::searchJob, this);
}

MoveNotation ChessPlayer::notation(MoveListing listing) const {
    CastlingText text = CastlingText::KING_DESTINATION;
    if (chess960() && settings_.face() == SettingFace::UCI) text = CastlingText::KING_TAKES_ROOK;
    else if (chess960() && listing == MoveListing::GAME) text = CastlingText::O_O;
    return MoveNotation(board_->castling, text);
}

// A search made the pawn hash before it began; otherwise it is made here, so that the
// evaluation finds what the previous ones stored. It gets the size announced (as if
// made then): a size set since is still the next search's to make and to tell.
std::optional<EvalBreakdown> ChessPlayer::evaluation() {
    auto b = std::make_unique<Board_BB64>();
    copyBoard(*b);
    if (!isEvaluable(*b)) return std::nullopt;
    if (!searchBusy() && (!pawnHash_ || !pawnHash_->entryCount())) preparePawnHash(false, pawnAnnouncedMB_);
    if (pawnHash_) return evaluationBreakdown(*b, *pawnHash_);
    PawnHashTable scratch(1);
    return evaluationBreakdown(*b, scratch);
}

void ChessPlayer::renameBook() {
    std::lock_guard<std::mutex> lock(bookMutex_);
    if (book_) book_->rename(settings_.text(BOOK_FILE).c_str());
}

bool ChessPlayer::bookMove(Move &move) {
    PolyglotBook *book;
    {
        std::lock_guard<std::mutex> lock(bookMutex_);
        if (!book_) book_ = std::make_unique<PolyglotBook>(settings_.text(BOOK_FILE).c_str());
        book = book_.get();
    }
    // The object lives until the player goes; only its name may change meanwhile.
    const bool found = book->probeBook(*board_, move);
    if (book->lastReadError()) listener_->onBookError(book->lastReadError());
    return found;
}

bool ChessPlayer::reloadGaviota() {
    const std::string path = settings_.text(GTB_PATH);
    return tablebases_->loadGaviota(path == SYZYGY_NO_PATH ? std::string() : path, settings_.number(GTB_CACHE_MB));
}

void ChessPlayer::applyEffect(SettingEffect effect, SettingOutcome &outcome) {
    switch (effect) {
    case SettingEffect::NONE: break;
    case SettingEffect::RELOAD_TABLEBASES: outcome.gaviotaIndexFailed = !reloadGaviota(); break;
    case SettingEffect::BOOK_FILE: renameBook(); break;
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
    copyBoard(*b);
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
