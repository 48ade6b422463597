// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Look-ups in the settings table.
#include "engine/settings.h"

#include <algorithm>
#include <cctype>
#include <thread>

namespace {

constexpr bool tableInOrder() {
    for (int i = 0; i < SETTING_COUNT; ++i)
        if (SETTINGS[i].id != i) return false;
    return true;
}
static_assert(tableInOrder(), "SETTINGS rows stand in the order of their ids");

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

int settingMax(const Setting &s) {
    if (s.id == THREADS) return int(std::max(1u, std::thread::hardware_concurrency()));
    return s.max;
}

int uciDefault(const Setting &s) {
    switch (s.id) {
    case TT_HASH_MB: return 16;
    case PAWN_HASH_MB: return 2;
    default: return s.defaultValue;
    }
}

// 64 GiB: the largest table the hash tables are built for (TABLE_MAX_MB).
int uciMax(const Setting &s) { return s.id == TT_HASH_MB ? 65536 : settingMax(s); }

const Setting *findSetting(std::string_view name) {
    for (const Setting &s : SETTINGS)
        if (s.name && name == s.name) return &s;
    return nullptr;
}

const Setting *findUciSetting(std::string_view name) {
    for (const Setting &s : SETTINGS)
        if (s.uciName && equalIgnoringCase(name, s.uciName)) return &s;
    return nullptr;
}
