// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's settings in one table: what each is called in the ini file, in the
// XBoard "option" command and in the UCI option list, its kind, range, defaults and
// what setting it does besides storing the value. Every face and the ini reader take
// names and ranges from here, read a value with readSetting (one rule per kind) and
// hand it to the player (ChessPlayer::applySetting), which keeps every value in one
// SettingValues store that the core and the faces read.
//
// A new option is one row (and its id): designated initialisers name what differs
// from the defaults below. Options that are only read where they are used need no
// effect; readers call settings().number(ID) or settings().text(ID).
#pragma once

#include <climits>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "board/relaxed.h"
#include "engine/strength.h"

enum class SettingKind : uint8_t { SPIN, CHECK, PATH, BUTTON };

// What the player does when a value is set at run time (at start-up, before anything
// is loaded, values are only stored).
enum class SettingEffect : uint8_t {
    NONE,               // stored; read where it is used (sizes, threads: at the next prepareSearch)
    RELOAD_TABLEBASES,  // the tablebases are loaded again from the stored path and cache
    BOOK_FILE,          // an open book is renamed
    CLEAR_HASH,         // the tables are cleared at once
    RELOAD_SYZYGY,      // the Syzygy tables are registered again from the stored path
    SYZYGY_LIMITS       // the search's Syzygy limits are passed on
};

// The Syzygy path that names no folder (what UCI interfaces show for an empty text).
constexpr const char *SYZYGY_NO_PATH = "<empty>";

enum SettingId : uint8_t {
    THREADS,
    TT_HASH_MB,
    PAWN_HASH_MB,
    GTB_CACHE_MB,
    GTB_PATH,
    BOOK_FILE,
    CLEAR_HASH,
    PONDER,
    OWN_BOOK,
    MULTI_PV,
    ANALYSE_MODE,
    MOVE_OVERHEAD_MS,
    CHESS960,
    SYZYGY_PATH,
    SYZYGY_PROBE_DEPTH,
    SYZYGY_50_MOVE_RULE,
    SYZYGY_PROBE_LIMIT,
    LIMIT_STRENGTH,
    STRENGTH_ELO,
    STRENGTH_SEED,
    SETTING_COUNT
};

// The face whose defaults a player starts with.
enum class SettingFace : uint8_t { XBOARD, UCI };

// uciDefault or uciMax when the UCI face has the same value as the XBoard face.
constexpr int SAME_DEFAULT = INT_MIN;
// max of a setting whose maximum the machine decides (see settingMax).
constexpr int MACHINE_LIMIT = 0;
// Paths keep at most this many characters (longer ones are cut, and said so).
constexpr size_t PATH_SETTING_MAX = 255;

struct Setting {
    SettingId id;
    const char *name = nullptr;     // ini key and XBoard option name; nullptr: not offered there
    bool xboardOption = false;      // listed in the XBoard feature list and set by "option"
    const char *uciName = nullptr;  // nullptr: not offered over UCI
    SettingKind kind = SettingKind::SPIN;
    int min = 0, max = 0;  // SPIN; CHECK is 0 to 1
    int defaultValue = 0;  // SPIN and CHECK
    int uciDefault = SAME_DEFAULT;  // where the UCI face starts elsewhere
    int uciMax = SAME_DEFAULT;      // where the UCI face goes further
    const char *defaultText = "";  // PATH
    SettingEffect effect = SettingEffect::NONE;
};

constexpr Setting SETTINGS[SETTING_COUNT] = {
    {.id = THREADS, .name = "numberOfCores", .uciName = "Threads", .min = 1, .max = MACHINE_LIMIT,
     .defaultValue = 1},
    // An interface runs many UCI engines at once (a tournament manager one per game), so
    // there the tables start small, and may be made as large as a big machine allows
    // (64 GiB, TABLE_MAX_MB).
    {.id = TT_HASH_MB, .name = "ttHashSizeMB", .xboardOption = true, .uciName = "Hash", .min = 1, .max = 2048,
     .defaultValue = 256, .uciDefault = 16, .uciMax = 65536},
    {.id = PAWN_HASH_MB, .name = "pawnHashSizeMB", .xboardOption = true, .uciName = "PawnHash", .min = 1,
     .max = 2048, .defaultValue = 32, .uciDefault = 2},
    {.id = GTB_CACHE_MB, .name = "gtbCacheSizeMB", .xboardOption = true, .uciName = "GaviotaTbCache", .min = 0,
     .max = 256, .defaultValue = 16, .effect = SettingEffect::RELOAD_TABLEBASES},
    {.id = GTB_PATH, .name = "gtbPath", .xboardOption = true, .uciName = "GaviotaTbPath", .kind = SettingKind::PATH,
     .defaultText = "C:/gtb", .effect = SettingEffect::RELOAD_TABLEBASES},
    {.id = BOOK_FILE, .name = "bookFilePath", .xboardOption = true, .uciName = "BookFile", .kind = SettingKind::PATH,
     .defaultText = "book.bin", .effect = SettingEffect::BOOK_FILE},
    {.id = CLEAR_HASH, .uciName = "Clear Hash", .kind = SettingKind::BUTTON, .effect = SettingEffect::CLEAR_HASH},
    {.id = PONDER, .uciName = "Ponder", .kind = SettingKind::CHECK, .max = 1},
    // The XBoard face plays from the book unless told "nobook"; UCI tournament
    // managers never switch a book off, so there it is off until asked for.
    {.id = OWN_BOOK, .uciName = "OwnBook", .kind = SettingKind::CHECK, .max = 1, .defaultValue = 1, .uciDefault = 0},
    {.id = MULTI_PV, .uciName = "MultiPV", .min = 1, .max = 64, .defaultValue = 1},
    {.id = ANALYSE_MODE, .uciName = "UCI_AnalyseMode", .kind = SettingKind::CHECK, .max = 1},
    {.id = MOVE_OVERHEAD_MS, .uciName = "Move Overhead", .max = 5000, .defaultValue = 30},
    // The XBoard face switches it with "variant fischerandom".
    {.id = CHESS960, .uciName = "UCI_Chess960", .kind = SettingKind::CHECK, .max = 1},
    // Syzygy folders, separated as the system separates paths (':', on Windows ';').
    {.id = SYZYGY_PATH, .name = "syzygyPath", .uciName = "SyzygyPath", .kind = SettingKind::PATH,
     .defaultText = SYZYGY_NO_PATH, .effect = SettingEffect::RELOAD_SYZYGY},
    {.id = SYZYGY_PROBE_DEPTH, .name = "syzygyProbeDepth", .uciName = "SyzygyProbeDepth", .min = 1, .max = 100,
     .defaultValue = 1, .effect = SettingEffect::SYZYGY_LIMITS},
    {.id = SYZYGY_50_MOVE_RULE, .name = "syzygy50MoveRule", .uciName = "Syzygy50MoveRule", .kind = SettingKind::CHECK,
     .max = 1, .defaultValue = 1, .effect = SettingEffect::SYZYGY_LIMITS},
    {.id = SYZYGY_PROBE_LIMIT, .name = "syzygyProbeLimit", .uciName = "SyzygyProbeLimit",
     .max = 7, .defaultValue = 7, .effect = SettingEffect::SYZYGY_LIMITS},
    // A chosen playing strength (engine/strength.h); off, the engine plays at full
    // strength. The seed makes a level's choices repeatable (0: new ones every run).
    {.id = LIMIT_STRENGTH, .name = "limitStrength", .xboardOption = true, .uciName = "UCI_LimitStrength",
     .kind = SettingKind::CHECK, .max = 1},
    {.id = STRENGTH_ELO, .name = "strengthElo", .xboardOption = true, .uciName = "UCI_Elo", .min = STRENGTH_ELO_MIN,
     .max = STRENGTH_ELO_MAX, .defaultValue = STRENGTH_ELO_MAX},
    {.id = STRENGTH_SEED, .name = "strengthSeed", .xboardOption = true, .uciName = "StrengthSeed", .max = INT_MAX},
};

constexpr const Setting &setting(SettingId id) { return SETTINGS[id]; }

constexpr int defaultFor(const Setting &s, SettingFace face) {
    return face == SettingFace::UCI && s.uciDefault != SAME_DEFAULT ? s.uciDefault : s.defaultValue;
}

// The largest value a setting takes on this machine, for the given face.
int settingMax(const Setting &s, SettingFace face = SettingFace::XBOARD);

// The setting of an ini key or XBoard option name (exact, case-sensitive), or nullptr.
const Setting *findSetting(std::string_view name);
// The setting of a UCI option name (letter case ignored), or nullptr.
const Setting *findUciSetting(std::string_view name);

// A value as the faces read it from text, brought within the setting's range.
struct SettingValue {
    int number = 0;        // SPIN, CHECK: within min..settingMax
    std::string text;      // PATH: at most PATH_SETTING_MAX characters
    int written = 0;       // SPIN: the number as written (saturated to int)
    bool clamped = false;  // the number lay outside the range (or the path was cut)
    bool wellFormed = true;  // SPIN: wholly a number; CHECK: true, false, 1 or 0
};

// One rule per kind. SPIN: a decimal number read as the ini file and XBoard read it
// (leading blanks and a sign, up to the first other character, no digits giving 0),
// wellFormed only when nothing else followed; out of range it is clamped to the
// nearest bound. CHECK: "true" or "false" in any letter case, or 1 or 0 as XBoard
// sends a check box (otherwise the default and not wellFormed). PATH: the text, cut to PATH_SETTING_MAX. BUTTON: nothing.
SettingValue readSetting(const Setting &s, std::string_view text, SettingFace face = SettingFace::XBOARD);

// The current value of every setting. Numbers are read by search threads while the
// command loop sets them; texts are copied out under a lock.
class SettingValues {
public:
    explicit SettingValues(SettingFace face);
    SettingFace face() const { return face_; }
    int number(SettingId id) const { return numbers_[id]; }
    std::string text(SettingId id) const;
    // Numbers are brought within the setting's range (for the store's face) here too.
    void setNumber(SettingId id, int value);
    void setText(SettingId id, std::string value);

private:
    SettingFace face_;
    Relaxed<int> numbers_[SETTING_COUNT];
    std::string texts_[SETTING_COUNT];
    mutable std::mutex textMutex_;
};
