// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's settings in one table: what each is called in the ini file, in the
// XBoard "option" command and in the UCI option list, its kind, range and default.
// Every face and the ini reader take names and ranges from here; the player applies a
// value (ChessPlayer::applySetting).
#pragma once

#include <cstdint>
#include <string_view>

enum class SettingKind : uint8_t { SPIN, CHECK, PATH, BUTTON };

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
    SETTING_COUNT
};

struct Setting {
    SettingId id;
    const char *name;     // ini key and XBoard option name; nullptr: not offered there
    bool xboardOption;    // listed in the XBoard feature list and set by "option"
    const char *uciName;  // nullptr: not offered over UCI
    SettingKind kind;
    int min, max, defaultValue;  // SPIN and CHECK
    const char *defaultText;     // PATH
};

// Threads has no fixed maximum: the hardware decides (see settingMax).
constexpr int THREADS_NO_LIMIT = 0;

constexpr Setting SETTINGS[SETTING_COUNT] = {
    {THREADS, "numberOfCores", false, "Threads", SettingKind::SPIN, 1, THREADS_NO_LIMIT, 1, nullptr},
    {TT_HASH_MB, "ttHashSizeMB", true, "Hash", SettingKind::SPIN, 1, 2048, 256, nullptr},
    {PAWN_HASH_MB, "pawnHashSizeMB", true, "PawnHash", SettingKind::SPIN, 1, 2048, 32, nullptr},
    {GTB_CACHE_MB, "gtbCacheSizeMB", true, "GaviotaTbCache", SettingKind::SPIN, 0, 256, 16, nullptr},
    {GTB_PATH, "gtbPath", true, "GaviotaTbPath", SettingKind::PATH, 0, 0, 0, "C:/gtb"},
    {BOOK_FILE, "bookFilePath", true, "BookFile", SettingKind::PATH, 0, 0, 0, "book.bin"},
    {CLEAR_HASH, nullptr, false, "Clear Hash", SettingKind::BUTTON, 0, 0, 0, nullptr},
    {PONDER, nullptr, false, "Ponder", SettingKind::CHECK, 0, 1, 0, nullptr},
    {OWN_BOOK, nullptr, false, "OwnBook", SettingKind::CHECK, 0, 1, 1, nullptr},
    {MULTI_PV, nullptr, false, "MultiPV", SettingKind::SPIN, 1, 64, 1, nullptr},
    {ANALYSE_MODE, nullptr, false, "UCI_AnalyseMode", SettingKind::CHECK, 0, 1, 0, nullptr},
    {MOVE_OVERHEAD_MS, nullptr, false, "Move Overhead", SettingKind::SPIN, 0, 5000, 30, nullptr},
    // The XBoard face switches it with "variant fischerandom".
    {CHESS960, nullptr, false, "UCI_Chess960", SettingKind::CHECK, 0, 1, 0, nullptr},
};

constexpr const Setting &setting(SettingId id) { return SETTINGS[id]; }

// The largest value a setting takes on this machine.
int settingMax(const Setting &s);
// The UCI face's default and largest value, where they differ from the table's: an
// interface runs many UCI engines at once (a tournament manager one per game), so the
// tables start small, and may be made as large as a big machine allows.
int uciDefault(const Setting &s);
int uciMax(const Setting &s);

// The setting of an ini key or XBoard option name (exact, case-sensitive), or nullptr.
const Setting *findSetting(std::string_view name);
// The setting of a UCI option name (letter case ignored), or nullptr.
const Setting *findUciSetting(std::string_view name);
