// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Look-ups in the settings table, the reading rule of each kind and the value store.
#include "engine/settings.h"

#include <algorithm>
#include <cctype>
#include <thread>

#include "platform/text_line.h"

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

// Saturating at the int range; wellFormed when the digits reach the end of the text.
int readInteger(std::string_view text, bool &wellFormed) {
    const DecimalText d = readDecimal(text);
    wellFormed = d.whole;
    return int(std::clamp<int64_t>(d.value, INT_MIN, INT_MAX));
}

int clampToRange(const Setting &s, int value, SettingFace face) {
    if (s.kind == SettingKind::PATH || s.kind == SettingKind::BUTTON) return 0;
    return std::clamp(value, s.min, settingMax(s, face));
}

}  // namespace

int settingMax(const Setting &s, SettingFace face) {
    if (face == SettingFace::UCI && s.uciMax != SAME_DEFAULT) return s.uciMax;
    if (s.max == MACHINE_LIMIT && s.id == THREADS) return int(std::max(1u, std::thread::hardware_concurrency()));
    return s.max;
}

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

SettingValue readSetting(const Setting &s, std::string_view text, SettingFace face) {
    SettingValue v;
    switch (s.kind) {
    case SettingKind::SPIN:
        v.written = readInteger(text, v.wellFormed);
        v.number = clampToRange(s, v.written, face);
        v.clamped = v.number != v.written;
        break;
    case SettingKind::CHECK:
    {
        const bool on = equalIgnoringCase(text, "true") || text == "1";
        v.wellFormed = on || equalIgnoringCase(text, "false") || text == "0";
        v.number = v.wellFormed ? int(on) : s.defaultValue;
        v.written = v.number;
        break;
    }
    case SettingKind::PATH:
        v.text = std::string(text.substr(0, PATH_SETTING_MAX));
        v.clamped = text.size() > PATH_SETTING_MAX;
        break;
    case SettingKind::BUTTON: break;
    }
    return v;
}

SettingValues::SettingValues(SettingFace face) : face_(face) {
    for (const Setting &s : SETTINGS) {
        numbers_[s.id] = defaultFor(s, face);
        texts_[s.id] = defaultTextFor(s, face);
    }
}

std::string SettingValues::text(SettingId id) const {
    const std::lock_guard<std::mutex> lock(textMutex_);
    return texts_[id];
}

void SettingValues::setNumber(SettingId id, int value) { numbers_[id] = clampToRange(setting(id), value, face_); }

void SettingValues::setText(SettingId id, std::string value) {
    const std::lock_guard<std::mutex> lock(textMutex_);
    texts_[id] = std::move(value);
}
