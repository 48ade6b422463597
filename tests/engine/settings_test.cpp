// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The settings table's reading rules and value store, which every face goes through.
#include <gtest/gtest.h>

#include <string>

#include "engine/settings.h"
#include "tests/test_support.h"

TEST(Settings, SpinValuesAreClampedAndFlagged) {
    checkTextCases("engine/spin_settings.txt", [](const std::string &quoted) {
        const SettingValue v = readSetting(setting(TT_HASH_MB), quoted.substr(1, quoted.size() - 2));
        return std::to_string(v.number) + " " + std::to_string(v.written) + (v.clamped ? " clamped" : "") +
               (v.wellFormed ? "" : " malformed");
    });
    // A range from 0 keeps 0; the thread count's maximum is the machine's.
    EXPECT_FALSE(readSetting(setting(GTB_CACHE_MB), "0").clamped);
    const SettingValue threads = readSetting(setting(THREADS), "100000");
    EXPECT_TRUE(threads.clamped);
    EXPECT_EQ(threads.number, settingMax(setting(THREADS)));
    EXPECT_EQ(threads.written, 100000);
}

// XBoard sends a check box as 1 or 0; a path is cut to its longest.
TEST(Settings, ChecksPathsAndButtons) {
    for (const char *yes : {"true", "TRUE", "True", "1"}) EXPECT_EQ(readSetting(setting(OWN_BOOK), yes).number, 1) << yes;
    for (const char *no : {"false", "0"}) EXPECT_EQ(readSetting(setting(OWN_BOOK), no).number, 0) << no;
    EXPECT_FALSE(readSetting(setting(OWN_BOOK), "perhaps").wellFormed);

    const SettingValue path = readSetting(setting(BOOK_FILE), "/books/my book.bin");
    EXPECT_EQ(path.text, "/books/my book.bin");
    EXPECT_FALSE(path.clamped);
    const SettingValue longPath = readSetting(setting(BOOK_FILE), std::string(300, 'x'));
    EXPECT_EQ(longPath.text, std::string(PATH_SETTING_MAX, 'x'));
    EXPECT_TRUE(longPath.clamped);

    EXPECT_TRUE(readSetting(setting(CLEAR_HASH), "anything").wellFormed);
}

// Each face starts from its own defaults; the store brings numbers within range too.
TEST(Settings, StoreStartsAtTheFacesDefaultsAndKeepsNumbersInRange) {
    SettingValues xboard(SettingFace::XBOARD), uci(SettingFace::UCI);
    EXPECT_EQ(xboard.number(OWN_BOOK), 1);
    EXPECT_EQ(uci.number(OWN_BOOK), 0);
    EXPECT_EQ(uci.number(TT_HASH_MB), 16);
    EXPECT_EQ(xboard.number(TT_HASH_MB), 256);
    EXPECT_EQ(xboard.text(BOOK_FILE), "book.bin");
    uci.setNumber(MULTI_PV, 500);
    EXPECT_EQ(uci.number(MULTI_PV), 64);
    uci.setNumber(MOVE_OVERHEAD_MS, -1);
    EXPECT_EQ(uci.number(MOVE_OVERHEAD_MS), 0);
    uci.setText(GTB_PATH, "/gtb");
    EXPECT_EQ(uci.text(GTB_PATH), "/gtb");
    EXPECT_EQ(xboard.text(GTB_PATH), "C:/gtb");
}
