// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Syzygy files as files: every table on hand parses with its sections ending at the
// checksum and decodes in range; damaged and truncated copies are refused with a
// message, leave the other tables working, and never crash the prober.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "board/board.h"
#include "tablebase/syzygy_probe.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string localSyzygy() { return (std::filesystem::path(inTreeDataDir()) / "syzygy").string(); }

std::vector<uint8_t> readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// Every value decodes in range; small sub-tables are read whole, larger ones at
// spread-out indices.
void checkValues(const SzFile &file, SzKind kind, const std::string &what) {
    for (const SzSubTable &t : file.sub) {
        const uint64_t step = t.size <= 40000 ? 1 : t.size / 4000 + 1;
        for (uint64_t i = 0; i < t.size; i += step) {
            int v = -1;
            ASSERT_TRUE(szDecode(t, i, v)) << what << " index " << i;
            if (kind == SzKind::WDL) {
                ASSERT_LE(v, 4) << what << " index " << i;
            }
        }
    }
}

// Parses bytes as the named table and decodes whatever parses: must not crash.
bool parseAndRead(const std::vector<uint8_t> &bytes, SzKind kind, const SzMaterial &m) {
    SzFile file;
    std::string error;
    if (!szParseFile(bytes.data(), bytes.size(), kind, m, file, error)) return false;
    for (const SzSubTable &t : file.sub)
        for (uint64_t i = 0; i < t.size; i += t.size / 97 + 1) {
            int v, plies;
            if (szDecode(t, i, v) && kind == SzKind::DTZ) szDtzPlies(t, v, 2, plies);
        }
    return true;
}

class SyzygyFiles : public ::testing::Test {
protected:
    fs::path scratch;
    void SetUp() override {
        initStaticTables();
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        scratch = fs::temp_directory_path() / ("grelvin-syzygy-" + std::to_string(::getpid()) + "-" + test);
        fs::remove_all(scratch);
        fs::create_directories(scratch);
    }
    void TearDown() override { fs::remove_all(scratch); }
};

}  // namespace

TEST_F(SyzygyFiles, EveryTableParsesAndDecodesInRange) {
    int files = 0;
    for (const std::string &dir : {localSyzygy(), testDataDir() + "/syzygy"}) {
        if (!fs::exists(dir)) continue;
        for (const auto &entry : fs::directory_iterator(dir)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".rtbw" && ext != ".rtbz") continue;
            const SzKind kind = ext == ".rtbw" ? SzKind::WDL : SzKind::DTZ;
            SzMaterial m;
            ASSERT_TRUE(szParseName(entry.path().stem().string(), m));
            MappedFile mapped;
            std::string error;
            ASSERT_TRUE(mapped.open(entry.path().string(), error)) << error;
            SzFile file;
            ASSERT_TRUE(szParseFile(mapped.data(), mapped.size(), kind, m, file, error)) << entry.path() << error;
            ASSERT_EQ(file.sub.size(), std::size_t(m.hasPawns ? 4 : 1) * (kind == SzKind::WDL && !m.symmetric ? 2 : 1));
            checkValues(file, kind, entry.path().string());
            ++files;
        }
    }
    EXPECT_GE(files, 16);
}

// Each kind of damage is refused when the table is first needed, with a message
// naming the file; the damaged table then gives no answers and the others still do.
TEST_F(SyzygyFiles, DamagedFilesAreRefused) {
    const std::vector<uint8_t> good = readFile(fs::path(localSyzygy()) / "KQvK.rtbw");
    ASSERT_EQ(good.size(), 272u);
    auto with = [&](auto change) {
        std::vector<uint8_t> bytes = good;
        change(bytes);
        return bytes;
    };
    const std::vector<std::pair<const char *, std::vector<uint8_t>>> damaged = {
        {"truncated", with([](auto &b) { b.resize(b.size() - 64); })},
        {"cut short", with([](auto &b) { b.resize(100); })},
        {"empty", {}},
        {"magic", with([](auto &b) { b[1] ^= 0x10; })},
        {"one byte more", with([](auto &b) { b.push_back(0); })},
        {"pawn flag", with([](auto &b) { b[4] |= 2; })},
        {"piece code", with([](auto &b) { b[6] = 0xEA; })},
        {"block count", with([](auto &b) { b[16] = 3; })},
        {"block length", with([](auto &b) { b[96] ^= 1; })},
        {"code lengths", with([](auto &b) { b[20] = 40; })},
        {"symbol loop", with([](auto &b) { b[38] = 0x00, b[39] = 0x00, b[40] = 0x00; })},
    };
    for (const char *other : {"KRvK.rtbw", "KRvK.rtbz"}) fs::copy_file(fs::path(localSyzygy()) / other, scratch / other);
    Board_BB64 queen, rook;
    ASSERT_TRUE(queen.setFromFEN("8/8/8/8/4k3/8/1Q6/K7 b - - 0 1"));
    ASSERT_TRUE(rook.setFromFEN("8/8/8/8/4k3/8/1R6/K7 b - - 0 1"));
    for (const auto &[what, bytes] : damaged) {
        SCOPED_TRACE(what);
        writeFile(scratch / "KQvK.rtbw", bytes);
        SyzygyTables tables;
        ASSERT_EQ(tables.load(scratch.string()), 2);
        int wdl = 7;
        EXPECT_FALSE(szProbeWdl(tables, queen, wdl));
        EXPECT_FALSE(szProbeWdl(tables, queen, wdl));  // refused once, stays refused
        const auto problems = tables.takeProblems();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find("KQvK.rtbw"), std::string::npos) << problems[0];
        EXPECT_TRUE(szProbeWdl(tables, rook, wdl));
        EXPECT_EQ(wdl, -2);
    }
}

// Every byte of the header and of the first block changed in turn, and random bytes of
// larger files: the parse either refuses or yields sub-tables whose reads stay inside
// the file (the address-sanitizer build checks that).
TEST_F(SyzygyFiles, CorruptionNeverReadsOutsideTheFile) {
    std::mt19937 rng(30);
    for (const char *name : {"KQvK.rtbw", "KPvK.rtbz", "KRvKR.rtbz", "KPPvK.rtbw"}) {
        const std::vector<uint8_t> good = readFile(fs::path(localSyzygy()) / name);
        SzMaterial m;
        ASSERT_TRUE(szParseName(fs::path(name).stem().string(), m));
        const SzKind kind = fs::path(name).extension() == ".rtbw" ? SzKind::WDL : SzKind::DTZ;
        ASSERT_TRUE(parseAndRead(good, kind, m)) << name;
        for (std::size_t at = 0; at < std::min<std::size_t>(good.size(), 300); ++at)
            for (uint8_t x : {0x01, 0x80, 0xFF}) {
                std::vector<uint8_t> bytes = good;
                bytes[at] ^= x;
                parseAndRead(bytes, kind, m);
            }
        for (int n = 0; n < 300; ++n) {
            std::vector<uint8_t> bytes = good;
            for (int k = 0; k < 4; ++k) bytes[rng() % bytes.size()] = uint8_t(rng());
            parseAndRead(bytes, kind, m);
        }
    }
}
