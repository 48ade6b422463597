// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Gaviota reader: index functions, and blocks and files written here with stand-in indexes.
#include <gtest/gtest.h>
#include <liblzf/lzf.h>
#include <lzma.h>
#include <zlib.h>

#include <atomic>
#include <functional>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>

#include "tablebase/index.h"
#include "tablebase/module.h"
#include "tablebase/probe.h"
#include "tests/tablebase/fixtures.h"
#include "tests/test_support.h"

namespace {

Bytes zlibCompress(const Bytes &plain) {
    uLongf length = compressBound(plain.size());
    Bytes out(length);
    if (compress2(out.data(), &length, plain.data(), plain.size(), 9) != Z_OK) return {};
    out.resize(length);
    return out;
}

Bytes lzfCompress(const Bytes &plain) {
    Bytes out(plain.size() + plain.size() / 16 + 64);
    out.resize(lzf_compress(plain.data(), unsigned(plain.size()), out.data(), unsigned(out.size())));
    return out;
}

// The 14-byte header and a raw LZMA1 stream, optionally through the x86 filter first.
Bytes lzmaCompress(const Bytes &plain, bool x86Filter, bool endMarker) {
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    options.dict_size = 1 << 16;
    options.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    const lzma_filter filters[] = {
        {LZMA_FILTER_X86, nullptr}, {LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
    Bytes out(plain.size() * 2 + 1024);
    size_t length = 14;
    if (lzma_raw_buffer_encode(filters + !x86Filter, nullptr, plain.data(), plain.size(), out.data(), &length,
                               out.size()) != LZMA_OK)
        return {};
    out.resize(length);
    out[0] = x86Filter ? 1 : 0;
    out[1] = uint8_t(options.lc + 9 * options.lp + 45 * options.pb);
    for (int i = 0; i < 4; ++i) out[2 + i] = uint8_t(options.dict_size >> (8 * i));
    for (int i = 0; i < 8; ++i) out[6 + i] = uint8_t(uint64_t(plain.size()) >> (8 * i));
    return out;
}

Bytes lzmaX86(const Bytes &plain) { return lzmaCompress(plain, true, false); }
Bytes stored(const Bytes &plain) { return plain; }

// Bits least significant first, as the Huffman decoder reads them.
struct BitWriter {
    Bytes bytes;
    int used = 8;
    void bit(unsigned b) {
        if (used == 8) bytes.push_back(0), used = 0;
        bytes.back() |= uint8_t((b & 1) << used++);
    }
    void byte(uint8_t v) {
        for (int i = 0; i < 8; ++i) bit(v >> i);
    }
};

// Runs with some noise, and x86 call opcodes (0xE8) for the branch filter to convert.
Bytes sampleBlock(uint32_t length) {
    Bytes plain(length);
    uint32_t x = 12345;
    for (uint32_t i = 0; i < length; ++i) {
        x = x * 1103515245 + 12345;
        plain[i] = (i % 97 == 0) ? 0xE8 : (x >> 24) % 4 == 0 ? uint8_t(x >> 16) : uint8_t(i / 512);
    }
    return plain;
}

bool decodes(int scheme, const Bytes &in, const Bytes &expected) {
    static uint8_t out[TB_MAX_BLOCK_BYTES];
    return decodeBlock(scheme, in.data(), uint32_t(in.size()), out, uint32_t(expected.size())) &&
           std::equal(expected.begin(), expected.end(), out);
}

bool fails(int scheme, const Bytes &in, uint32_t expectedLength) {
    static uint8_t out[TB_MAX_BLOCK_BYTES];
    return !decodeBlock(scheme, in.data(), uint32_t(in.size()), out, expectedLength);
}

Bytes truncated(Bytes b, size_t keep) {
    b.resize(std::min(b.size(), keep));
    return b;
}

}  // namespace

TEST(Decode, EverySchemeRoundTripsAndRefusesDamage) {
    const Bytes plain = sampleBlock(16384), zlib = zlibCompress(plain), lzf = lzfCompress(plain);
    std::vector<std::pair<int, Bytes>> good = {{3, zlib}, {2, lzf}, {9, plain}};
    std::vector<std::tuple<int, Bytes, uint32_t>> bad = {
        {3, Bytes(100, 0x5A), 16384}, {9, plain, 16000}, {9, Bytes(TB_MAX_BLOCK_BYTES + 1, 7), TB_MAX_BLOCK_BYTES + 1}};
    for (int scheme : {2, 3}) {
        const Bytes &packed = scheme == 2 ? lzf : zlib;
        // Cut short, more data than expected, less, nothing.
        bad.insert(bad.end(), {{scheme, truncated(packed, packed.size() / 2), 16384},
                               {scheme, packed, 16383},
                               {scheme, packed, 16385},
                               {scheme, Bytes{}, 16384}});
    }
    for (int scheme : {0, 5, 6, 8, 10, -1}) bad.push_back({scheme, plain, 16384});
    for (bool x86 : {false, true})
        for (bool marker : {false, true}) {
            const Bytes packed = lzmaCompress(plain, x86, marker);
            good.push_back({4, packed});
            bad.push_back({4, truncated(packed, packed.size() - 20), 16384});
        }
    Bytes header = lzmaX86(plain);
    header[2] = header[3] = header[4] = header[5] = 0xFF;  // a huge dictionary still decodes within the block
    good.push_back({4, header});
    header = lzmaCompress(plain, false, false);
    header[0] = 2;  // no such filter
    bad.push_back({4, header, 16384});
    header[0] = 0, header[1] = 225;  // no such properties
    bad.push_back({4, header, 16384});
    bad.push_back({4, truncated(header, 13), 16384});
    for (const auto &[scheme, in] : good) EXPECT_TRUE(decodes(scheme, in, plain)) << scheme << " " << in.size();
    for (const auto &[scheme, in, length] : bad) EXPECT_TRUE(fails(scheme, in, length)) << scheme << " " << in.size();
    // The filter flag decides whether the branch conversion is undone.
    header = lzmaX86(plain);
    header[0] = 0;
    EXPECT_FALSE(decodes(4, header, plain));
}

TEST(Decode, RunLengthAndHuffmanWrittenByHand) {
    const std::pair<Bytes, Bytes> runs[] = {
        {{253, 253, 65}, {253, 65}}, {{253, 4, 0}, {0, 0, 0, 0}}, {{1, 253, 3, 9, 2}, {1, 9, 9, 9, 2}}};
    for (const auto &[in, out] : runs) EXPECT_TRUE(decodes(7, in, out));
    EXPECT_TRUE(fails(7, {253, 4, 0}, 3));  // run overflows the block
    EXPECT_TRUE(fails(7, {1, 253}, 2));     // input ends inside an escape
    EXPECT_TRUE(fails(7, {1, 253, 4}, 5));  // input ends inside a run
    EXPECT_TRUE(fails(7, {1, 2}, 3));       // block comes out short

    // Tree: inner(leaf 'A', inner(leaf 'B', leaf 'C')): A = 0, B = 10, C = 11.
    const Bytes text = {'A', 'B', 'C', 'A', 'C', 'C', 'B'};
    BitWriter w;
    w.bytes = {uint8_t(text.size()), 0, 0, 0};
    w.bit(0), w.bit(1), w.byte('A'), w.bit(0), w.bit(1), w.byte('B'), w.bit(1), w.byte('C');
    for (uint8_t c : text) {
        if (c == 'A') w.bit(0);
        else w.bit(1), w.bit(c == 'C');
    }
    EXPECT_TRUE(decodes(1, w.bytes, text));
    EXPECT_TRUE(fails(1, w.bytes, uint32_t(text.size() + 1)));  // length word disagrees
    EXPECT_TRUE(fails(1, truncated(w.bytes, w.bytes.size() - 1), uint32_t(text.size())));
    EXPECT_TRUE(fails(1, truncated(w.bytes, 6), uint32_t(text.size())));  // tree cut short
    // A lone leaf as the root decodes without reading bits.
    BitWriter single;
    single.bytes = {3, 0, 0, 0};
    single.bit(1), single.byte(0x42);
    EXPECT_TRUE(decodes(1, single.bytes, Bytes(3, 0x42)));
    // A tree deeper than the 512 nodes the format allows.
    BitWriter deep;
    deep.bytes = {1, 0, 0, 0};
    for (int i = 0; i < 600; ++i) deep.bit(0);
    EXPECT_TRUE(fails(1, deep.bytes, 1));
}

TEST(Decode, StoredByteToAnswerForBothSides) {
    for (const std::string &line : readCaseLines("tablebase/stored_bytes.txt")) {
        unsigned value = 0, side = 0, code = 0, plies = 0;
        std::istringstream(line) >> value >> side >> code >> plies;
        EXPECT_EQ(storedByteToAnswer(uint8_t(value), int(side)), packAnswer(code, plies)) << line;
    }
}

namespace {

// Fills the next cache block with answers that name their endgame, side and position.
void load(DtmCache &cache, int endgame, int side, uint32_t start, bool ok = true) {
    uint16_t *block = cache.beginLoad();
    ASSERT_NE(block, nullptr);
    for (uint32_t i = 0; i < TB_BLOCK_POSITIONS; ++i) block[i] = uint16_t(endgame * 1000 + side * 100 + i % 97);
    cache.finishLoad(ok, endgame, side, start);
}

bool has(DtmCache &cache, int endgame, int side, uint32_t index) {
    const auto answer = cache.lookup(endgame, side, index);
    EXPECT_EQ(answer.value_or(0), answer ? endgame * 1000 + side * 100 + (index % TB_BLOCK_POSITIONS) % 97 : 0);
    return answer.has_value();
}

}  // namespace

TEST(DtmCache, LeastRecentlyUsedBlockIsReplaced) {
    EXPECT_EQ(tbCacheBlocksFor(16, true), 128u);
    EXPECT_EQ(tbCacheBlocksFor(0, true), 1u);
    EXPECT_EQ(tbCacheBlocksFor(0, false), 0u);
    EXPECT_EQ(tbCacheBlocksFor(4096 + 2, true), 16u);  // only the low 12 bits count
    DtmCache cache;
    ASSERT_TRUE(cache.create(2));
    EXPECT_FALSE(cache.lookup(1, 0, 5));
    load(cache, 1, 0, 0);
    load(cache, 1, 1, 16384);
    EXPECT_TRUE(has(cache, 1, 0, 16383));
    EXPECT_FALSE(has(cache, 1, 0, 16384));  // other block of the same side
    EXPECT_TRUE(has(cache, 1, 1, 20000));
    EXPECT_TRUE(has(cache, 1, 0, 7));  // now the most recent
    load(cache, 2, 0, 0);              // replaces (1, 1, 16384)
    EXPECT_FALSE(has(cache, 1, 1, 20000));
    EXPECT_TRUE(has(cache, 1, 0, 7));
    EXPECT_TRUE(has(cache, 2, 0, 100));
    EXPECT_EQ(cache.blocksInUse(), 2u);
    EXPECT_EQ(cache.stats.blocksLoaded, 3u);
    // The most recent block is found with one comparison.
    const uint64_t before = cache.stats.comparisons;
    EXPECT_TRUE(has(cache, 2, 0, 1));
    EXPECT_EQ(cache.stats.comparisons - before, 1u);
    // A failed load leaves its block empty and reuses it first.
    load(cache, 3, 0, 0, false);
    EXPECT_FALSE(has(cache, 3, 0, 1));
    EXPECT_EQ(cache.stats.failedLoads, 1u);
    EXPECT_TRUE(has(cache, 2, 0, 1));
    load(cache, 4, 0, 0);
    EXPECT_TRUE(has(cache, 2, 0, 1));
    EXPECT_TRUE(has(cache, 4, 0, 1));
    cache.clear();
    EXPECT_FALSE(has(cache, 2, 0, 1));
    EXPECT_EQ(cache.stats.blocksLoaded, 0u);
    // One block is reused; no block holds nothing.
    DtmCache one, none;
    ASSERT_TRUE(one.create(1));
    load(one, 1, 0, 0);
    load(one, 1, 1, 0);
    EXPECT_FALSE(has(one, 1, 0, 0));
    EXPECT_TRUE(has(one, 1, 1, 0));
    ASSERT_TRUE(none.create(0));
    EXPECT_EQ(none.beginLoad(), nullptr);
    EXPECT_FALSE(none.lookup(1, 0, 0));
}

namespace {

constexpr uint32_t FAKE_POSITIONS = 29568;  // two blocks per side, the second one short

// Stands in for the index functions: any fixed spread over the range serves here.
bool fakeEncode(const Square *white, const Square *black, uint32_t &index) {
    if (white[0] == 0) return false;  // a king on a1 has no index here
    uint32_t h = 0;
    for (const Square *list : {white, black})
        for (int i = 0; list[i] != NO_SQUARE; ++i) h = h * 67 + uint32_t(list[i]) + 1;
    index = h % FAKE_POSITIONS;
    return true;
}
void fakeDecode(uint32_t, Square *, Square *) {}

uint8_t storedValue(int side, uint32_t index) { return uint8_t((index * 31 + side * 7) % 251); }

void putLe32(Bytes &out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

// Header, offset table, then per block a filler byte and the compressed block of value(side, index).
Bytes buildTablebaseFile(const std::function<Bytes(const Bytes &)> &compress,
                         const std::function<uint8_t(int, uint32_t)> &value = storedValue) {
    std::vector<Bytes> blocks;
    for (int side = 0; side < 2; ++side)
        for (uint32_t start = 0; start < FAKE_POSITIONS; start += 16384) {
            Bytes plain;
            for (uint32_t i = start; i < std::min(FAKE_POSITIONS, start + 16384); ++i) plain.push_back(value(side, i));
            blocks.push_back(compress(plain));
            blocks.back().insert(blocks.back().begin(), 0xAA);
        }
    const uint32_t tableEnd = 40 + 4 * uint32_t(blocks.size() + 1);
    Bytes file(tableEnd);
    putLe32(file, 32, tableEnd);
    uint32_t offset = tableEnd;
    for (size_t k = 0; k <= blocks.size(); ++k) {
        putLe32(file, 40 + 4 * k, offset);
        if (k < blocks.size()) offset += uint32_t(blocks[k].size());
    }
    for (const Bytes &b : blocks) file.insert(file.end(), b.begin(), b.end());
    return file;
}

struct Pos {
    std::vector<Square> white, black;
    std::vector<uint8_t> whiteCodes, blackCodes;
};

uint16_t expectedAnswer(const Pos &p, int side) {
    auto w = p.white, b = p.black;
    w.push_back(NO_SQUARE), b.push_back(NO_SQUARE);
    uint32_t index = 0;
    fakeEncode(w.data(), b.data(), index);
    return storedByteToAnswer(storedValue(side, index), side);
}

// Kings e1 and e8 and one man of White's, on e3 unless said.
Pos withMan(uint8_t code, Square s = 20) { return {{4, s}, {60}, {KING, code}, {KING}}; }

const Pos KQK_SAMPLES[] = {withMan(QUEEN), {{36, 0}, {63}, {KING, QUEEN}, {KING}},
                           {{9, 50}, {27}, {KING, QUEEN}, {KING}}, {{62, 61}, {7}, {KING, QUEEN}, {KING}}};

class SyntheticTablebase : public ::testing::Test {
protected:
    ScratchDir dir{"tbprobe"};
    GaviotaTables tables;
    void TearDown() override {
        tables.close();
        attachIndexClasses();  // the real index functions again
    }
    // Squares and codes as the probe takes them, each list closed by its end mark.
    bool probe(const Pos &p, int side, bool mayRead, unsigned &info, unsigned &plies, int ep = NO_SQUARE) {
        auto w = p.white, b = p.black;
        auto wc = p.whiteCodes, bc = p.blackCodes;
        w.push_back(NO_SQUARE), b.push_back(NO_SQUARE), wc.push_back(0), bc.push_back(0);
        return tables.probe(side, ep, w.data(), b.data(), wc.data(), bc.data(), mayRead, info, plies);
    }
    void write(const char *name, const Bytes &data, int scheme = 9) {
        ASSERT_TRUE(writeBytes(tbFileName(dir.path.string(), name, scheme), data));
    }
    // The module with fake index functions on the named rows.
    void start(int scheme, std::initializer_list<const char *> names, int cacheMb = 1) {
        ASSERT_TRUE(tables.open(scheme, {dir.path.string()}, 4));
        for (const char *name : names) {
            TablebaseEndgame &e = tablebaseEndgames[findEndgame(name)];
            e.positionsPerSide = FAKE_POSITIONS;
            e.encode = fakeEncode;
            e.decode = fakeDecode;
        }
        ASSERT_TRUE(tables.setCache(cacheMb));
    }
};

constexpr const char *FIVE_NAMES[] = {"kqk", "krk", "kbk", "knk", "kpk"};
constexpr uint8_t FIVE_MEN[] = {QUEEN, ROOK, BISHOP, KNIGHT, PAWN};

}  // namespace

TEST_F(SyntheticTablebase, AnswersComeFromTheRightBlockForEveryScheme) {
    const std::pair<int, Bytes (*)(const Bytes &)> schemes[] = {
        {9, stored}, {2, lzfCompress}, {3, zlibCompress}, {4, lzmaX86}};
    for (const auto &[scheme, compress] : schemes) {
        write("kqk", buildTablebaseFile(compress), scheme);
        start(scheme, {"kqk"});
        unsigned info = 9, plies = 9;
        // Cache only, nothing loaded yet: no answer.
        EXPECT_FALSE(probe(KQK_SAMPLES[0], WHITE, false, info, plies)) << scheme;
        for (const Pos &p : KQK_SAMPLES)
            for (int side : {WHITE, BLACK}) {
                ASSERT_TRUE(probe(p, side, true, info, plies)) << scheme;
                EXPECT_EQ(packAnswer(info, plies), expectedAnswer(p, side)) << scheme;
                EXPECT_TRUE(probe(p, side, false, info, plies)) << scheme;  // now cached
            }
        const TbStatistics stats = tables.statistics();
        EXPECT_EQ(stats.hardProbes, 8u);
        EXPECT_EQ(stats.softProbes, 9u);
        EXPECT_EQ(stats.softMisses, 1u);
        EXPECT_GT(stats.bytesRead, 0u);
        tables.close();
    }
    // Black's queen is read from kqk with the colours and the winner exchanged; a board as its lists.
    const Pos blackQueen{{60}, {4, 20}, {KING}, {KING, QUEEN}};
    const Pos mirrored{{4 ^ 56, 20 ^ 56}, {60 ^ 56}, {KING, QUEEN}, {KING}};
    start(4, {"kqk"});
    EXPECT_EQ(tables.module().cache.capacity(), 8u);
    for (int side : {WHITE, BLACK}) {
        unsigned info = 0, plies = 0;
        ASSERT_TRUE(probe(blackQueen, side, true, info, plies));
        const uint16_t want = expectedAnswer(mirrored, side ^ 1);
        EXPECT_EQ(info, (want & 7u) == 1 || (want & 7u) == 2 ? (want & 7u) ^ 3 : want & 7u);
        EXPECT_EQ(plies, want >> 3u);
    }
    initStaticTables();
    Board_BB64 board;
    ASSERT_TRUE(board.setFromFEN("4k3/8/8/8/8/4Q3/8/4K3 b - - 0 1"));
    unsigned info = 0, plies = 0;
    ASSERT_TRUE(tables.probe(board, true, info, plies));
    EXPECT_EQ(packAnswer(info, plies), expectedAnswer(KQK_SAMPLES[0], BLACK));
    ASSERT_TRUE(board.setFromFEN("4k3/8/8/8/8/4Q3/PP6/4K3 b - - 0 1"));
    EXPECT_FALSE(tables.probe(board, true, info, plies));  // six men
}

TEST_F(SyntheticTablebase, PositionsWithoutAnAnswer) {
    write("kqk", buildTablebaseFile(stored));
    start(9, {"kqk"});
    unsigned info = 0, plies = 0;
    // Two kings: a draw when apart, forbidden when touching or on one square.
    const uint8_t k[] = {KING, 0};
    const Square e1[] = {4, NO_SQUARE}, e8[] = {60, NO_SQUARE}, e2[] = {12, NO_SQUARE};
    EXPECT_TRUE(tables.probe(WHITE, NO_SQUARE, e1, e8, k, k, false, info, plies));
    EXPECT_EQ(packAnswer(info, plies), packAnswer(TB_DRAW, 0));
    EXPECT_TRUE(tables.probe(BLACK, NO_SQUARE, e1, e2, k, k, false, info, plies));
    EXPECT_EQ(info, TB_FORBIDDEN);
    EXPECT_TRUE(tables.probe(BLACK, NO_SQUARE, e1, e1, k, k, false, info, plies));
    EXPECT_EQ(info, TB_FORBIDDEN);
    // Two White kings; no index (a1); no file; six men; square and code out of range.
    const Pos cases[] = {withMan(KING, 12), {{0, 20}, {60}, {KING, QUEEN}, {KING}}, withMan(ROOK),
                         {{4, 8, 9, 10}, {60, 50}, {KING, PAWN, PAWN, PAWN}, {KING, PAWN}}, withMan(QUEEN, 64 + 20),
                         withMan(7)};
    for (const Pos &p : cases) {
        EXPECT_FALSE(probe(p, WHITE, true, info, plies));
        EXPECT_EQ(info, TB_FORBIDDEN);
    }
}

TEST_F(SyntheticTablebase, FileNamesFolderListsAndTheOpenFileLimit) {
    EXPECT_EQ(tbFileName("tb/", "kqkr", 4), "tb/kqkr.gtb.cp4");
    EXPECT_EQ(tbFileName("", "kqkr", 4), "kqkr.gtb.cp4");
    EXPECT_EQ(tbFileName("tb", "kpk", 0), "tb/kpk.gtb");
    EXPECT_EQ(tbSplitDirectories("a;;b;"), (std::vector<std::string>{"a", "b"}));
    const int limit = tbOpenFileLimitFromProcess();
    EXPECT_TRUE(limit >= 4 && limit <= 32) << limit;
    for (const char *name : FIVE_NAMES) write(name, buildTablebaseFile(stored));
    start(9, {"kqk", "krk", "kbk", "knk", "kpk"});
    tbCloseAllFiles(tables.module());
    for (int i = 0; i < 5; ++i) {
        unsigned info = 0, plies = 0;
        ASSERT_TRUE(probe(withMan(FIVE_MEN[i]), WHITE, true, info, plies)) << FIVE_NAMES[i];
    }
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(tables.module().files[findEndgame(FIVE_NAMES[i])] != nullptr, i > 0) << FIVE_NAMES[i];
}

TEST_F(SyntheticTablebase, EnPassantCaptureIsTriedBesideTheTable) {
    // Drawn with both pawns; after a capture kpk is lost in 10 plies for the side to move, kppk Black's win.
    const auto constant = [](uint8_t white, uint8_t black) {
        return [=](int side, uint32_t) { return side ? black : white; };
    };
    write("kpkp", buildTablebaseFile(stored, constant(0, 0)));
    write("kppkp", buildTablebaseFile(stored, constant(0, 0)));
    write("kpk", buildTablebaseFile(stored, constant(22, 21)));
    write("kppk", buildTablebaseFile(stored, constant(0, 22)));
    start(9, {"kpkp", "kppkp", "kpk", "kppk"});
    const Pos position{{4, 36}, {60, 35}, {KING, PAWN}, {KING, PAWN}};         // Ke1 Pe5, Ke8 Pd5
    const Pos blackTakes{{4, 27}, {60, 28}, {KING, PAWN}, {KING, PAWN}};       // Pd4, Pe4
    const Pos losing{{4, 36, 8}, {60, 35}, {KING, PAWN, PAWN}, {KING, PAWN}};  // a capture that loses is not taken
    const struct {
        const Pos &p;
        int side, ep;
        uint16_t answer;
    } cases[] = {
        {position, WHITE, NO_SQUARE, packAnswer(TB_DRAW, 0)},
        {position, WHITE, 43, packAnswer(TB_WHITE_MATES, 11)},  // exd6
        {position, WHITE, 45, packAnswer(TB_DRAW, 0)},          // f6: no pawn to take
        {position, BLACK, 43, packAnswer(TB_DRAW, 0)},          // not Black's rank
        {blackTakes, BLACK, 19, packAnswer(TB_BLACK_MATES, 11)},  // exd3: kpk with the colours exchanged
        {losing, WHITE, 43, packAnswer(TB_DRAW, 0)},
    };
    for (const auto &c : cases) {
        unsigned info = 9, plies = 9;
        ASSERT_TRUE(probe(c.p, c.side, true, info, plies, c.ep)) << c.ep;
        EXPECT_EQ(packAnswer(info, plies), c.answer) << c.ep;
    }
}

TEST_F(SyntheticTablebase, ConcurrentProbesAgree) {
    write("kqk", buildTablebaseFile(stored));
    start(9, {"kqk"}, 0);  // one cache block, so the threads keep replacing it
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int n = 0; n < 2000; ++n) {
                const Pos &p = KQK_SAMPLES[(n + t) % 4];
                const int side = (n / 4 + t) & 1;
                unsigned info = 0, plies = 0;
                if (!probe(p, side, true, info, plies) || packAnswer(info, plies) != expectedAnswer(p, side)) ++wrong;
            }
        });
    for (auto &th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

namespace {

enum : Square {
    A1 = 0, B1 = 1, A2 = 8, B2 = 9, D2 = 11, E2 = 12, C3 = 18, D5 = 35, E5 = 36, H6 = 47,
    B7 = 49, C7 = 50, D7 = 51, G7 = 54, H7 = 55, A8 = 56, G8 = 62, H8 = 63
};

// One endgame of each class with the class's positions per side and pawn slots.
struct ClassRow {
    const char *name;
    uint32_t positions, pawnSlots;
};
constexpr ClassRow CLASS_ROWS[] = {
    {"knk", 29568, 1},        {"kpk", 98304, 24},        {"kbkn", 1892352, 1},       {"kbbk", 931392, 1},
    {"kbnk", 1892352, 1},     {"krkp", 6291456, 24},     {"knpk", 6291456, 24},      {"kppk", 2359296, 576},
    {"kpkp", 4718592, 1152},  {"kbbbk", 19248768, 1},    {"krrnk", 59609088, 1},     {"kbnnk", 59609088, 1},
    {"kqrnk", 121110528, 1},  {"knnkb", 59609088, 1},    {"krbkq", 121110528, 1},    {"kbbpk", 198180864, 24},
    {"krnpk", 402653184, 24}, {"kbppk", 150994944, 576}, {"krpkn", 402653184, 24},   {"kppkr", 150994944, 576},
    {"krrkp", 198180864, 24}, {"kqnkp", 402653184, 24},  {"knpkp", 301989888, 1152}, {"kppkp", 110886912, 27072},
    {"kpppk", 35422208, 8648},
};

// The men of an endgame name as two lists ended by NO_SQUARE; p[i] is the i-th man of the name.
struct Placement {
    Square white[6], black[6];
    int whiteCount, men;
    explicit Placement(const std::string &name) : whiteCount(int(name.find('k', 1))), men(int(name.size())) {
        std::fill_n(white, 6, NO_SQUARE);
        std::fill_n(black, 6, NO_SQUARE);
    }
    Square &operator[](int i) { return i < whiteCount ? white[i] : black[i - whiteCount]; }
};

bool isLegal(Placement &p) {
    Bitboard taken = 0;
    for (int i = 0; i < p.men; ++i) {
        if (p[i] < 0 || p[i] > 63 || (taken >> p[i] & 1)) return false;
        taken |= Bitboard(1) << p[i];
    }
    const Square a = p.white[0], b = p.black[0];
    return std::abs(fileOf(a) - fileOf(b)) > 1 || std::abs(rankOf(a) - rankOf(b)) > 1;
}

uint32_t encode(const TbIndexClass *c, const Placement &p) {
    uint32_t index = 0;
    return c->encode(p.white, p.black, index) ? index : TB_NO_INDEX;
}

class TbIndex : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(tbBuildIndexTables()); }
};

// Every decoded legal placement encodes back to its index (five men: a spread-out sample).
// Mirror images share the index, except those kept apart on purpose (pawnless with both kings
// on a long diagonal, two mirrored White pawns); arbitrary squares fail or stay in range.
TEST_F(TbIndex, EveryClassRoundTripsAndMirrorImagesShareTheIndex) {
    std::mt19937 rng(12345);
    for (const ClassRow &row : CLASS_ROWS) {
        const TbIndexClass *c = tbIndexClass(row.name);
        ASSERT_NE(c, nullptr) << row.name;
        EXPECT_EQ(c->positionsPerSide, row.positions) << row.name;
        EXPECT_EQ(c->pawnSlots, row.pawnSlots) << row.name;
        const uint32_t stride = row.positions <= 8000000 ? 1 : (row.positions / 2000000) | 1;
        uint64_t legal = 0, failures = 0;
        for (uint64_t i = 0; i < row.positions; i += stride) {
            Placement p(row.name);
            c->decode(uint32_t(i), p.white, p.black);
            if (!isLegal(p)) continue;
            ++legal;
            if (encode(c, p) != i && failures++ < 3) ADD_FAILURE() << row.name << " index " << i;
        }
        EXPECT_EQ(failures, 0u) << row.name;
        EXPECT_GT(legal, row.positions / stride / 2) << row.name;
        const bool pawnless = row.pawnSlots == 1;
        const std::string name = row.name;
        const bool twoWhitePawns = name.find("ppk") != std::string::npos && name.find("ppp") == std::string::npos &&
                                   name.back() != 'p';
        for (int n = 0; n < 20000; ++n) {
            Placement p(name), junk(name);
            do {
                for (int i = 0; i < p.men; ++i) p[i] = name[i] == 'p' ? Square(8 + rng() % 48) : Square(rng() % 64);
            } while (!isLegal(p));
            const uint32_t index = encode(c, p);
            ASSERT_LT(index, row.positions) << row.name;
            const Square wk = p.white[0], bk = p.black[0];
            const bool kingsOnDiagonal = (fileOf(wk) - rankOf(wk) == 0 && fileOf(bk) - rankOf(bk) == 0) ||
                                         (fileOf(wk) + rankOf(wk) == 7 && fileOf(bk) + rankOf(bk) == 7);
            const int pawnsAt = p.whiteCount - 2;
            const bool pawnsMirrored = twoWhitePawns && (p.white[pawnsAt] ^ 7) == p.white[pawnsAt + 1];
            for (int i = 0; i < junk.men; ++i) junk[i] = Square(rng() % 68) - 2;
            const uint32_t junkIndex = encode(c, junk);
            ASSERT_TRUE(junkIndex == TB_NO_INDEX || junkIndex < row.positions) << row.name;
            for (unsigned flags = 1; flags < (pawnless ? 8u : 2u); ++flags) {
                Placement image = p;
                for (int i = 0; i < p.men; ++i) image[i] = tbindex::transformSquare(p[i], flags);
                const uint32_t imageIndex = encode(c, image);
                const bool keptApart = (pawnless && kingsOnDiagonal) || pawnsMirrored;
                ASSERT_TRUE(keptApart ? imageIndex != TB_NO_INDEX : imageIndex == index) << row.name << " " << flags;
            }
        }
    }
}

// Encodes lists given without their end marker; TB_NO_INDEX when the encoder fails.
uint32_t encodeLists(const char *endgame, std::vector<Square> white, std::vector<Square> black) {
    white.push_back(NO_SQUARE);
    black.push_back(NO_SQUARE);
    uint32_t index = 0;
    const bool ok = tbIndexClass(endgame)->encode(white.data(), black.data(), index);
    EXPECT_EQ(ok, index != TB_NO_INDEX) << endgame;
    return index;
}

TEST_F(TbIndex, WorkedIndexes) {
    EXPECT_EQ(encodeLists("kpk", {A1, E2}, {H8}), 94712u);
    Square white[3], black[2];
    tbIndexClass("kpk")->decode(94712, white, black);  // the mirrored, canonical squares
    EXPECT_EQ((std::vector<Square>{white[0], white[1], black[0]}), (std::vector<Square>{7, D2, A8}));

    // With the kings in canonical form (c3 and h6) the like pieces are the lowest digit.
    const uint32_t kings = encodeLists("kqqk", {H6, A1, B1}, {C3}) / 2016;
    EXPECT_EQ(encodeLists("kqqk", {H6, H8, A1}, {C3}), kings * 2016 + 62);
    EXPECT_EQ(encodeLists("kqqk", {H6, G8, H8}, {C3}), kings * 2016 + 2015);
    // The single piece of K+one+pair is the last digit, as in K+pair+one.
    EXPECT_EQ(encodeLists("kqrrk", {H6, G8, A1, B1}, {C3}), kings * 2016 * 64 + G8);
    EXPECT_EQ(encodeLists("kqqrk", {H6, A1, B1, G8}, {C3}), kings * 2016 * 64 + G8);
    EXPECT_EQ(encodeLists("krbkq", {H6, A1, B1}, {C3, G8}), (kings * 4096 + A1 * 64 + B1) * 64 + G8);

    // Pawn slots of two and three White pawns, and of two beside a Black one (d5: slot 15).
    EXPECT_EQ(encodeLists("kppk", {A1, H7, G7}, {H8}) / 4096, 0u);
    EXPECT_EQ(encodeLists("kppk", {A1, D2, E2}, {H8}) / 4096, 575u);
    EXPECT_EQ(encodeLists("kpppk", {A1, C7, H7, D7}, {H8}) / 4096, 0u);
    EXPECT_EQ(encodeLists("kpppk", {A1, D7, C7, B7}, {H8}) / 4096, 6624u);
    EXPECT_EQ(encodeLists("kppkp", {A1, G7, H7}, {H8, D5}) / 4096, 15 * 1128u);
    EXPECT_EQ(encodeLists("kppkp", {A1, A2, B2}, {H8, D5}) / 4096, 15 * 1128u + 1127);
}

// Classes share functions; exchanged names, bad placements and ill-fitting lists have no index.
TEST_F(TbIndex, BadNamesAndPlacementsHaveNoIndex) {
    EXPECT_EQ(tbIndexClass("kqk"), tbIndexClass("knk"));
    EXPECT_EQ(tbIndexClass("kqpkq"), tbIndexClass("knpkn"));
    EXPECT_NE(tbIndexClass("kqqrk"), tbIndexClass("kqrrk"));
    for (const char *bad : {"krkq", "kpkq", "kk", "", "kqk ", "KQK", "kqkrr", "kqqqqk", "kqkrkp"})
        EXPECT_EQ(tbIndexClass(bad), nullptr) << bad;
    EXPECT_EQ(tbIndexClass(nullptr), nullptr);
    const struct {
        const char *endgame;
        std::vector<Square> white, black;
    } cases[] = {
        {"kpk", {A1, A8}, {H6}},          // pawn on the last rank
        {"kpk", {A1, B1}, {H6}},          // and on the first
        {"kqk", {E2, D5}, {D2}},          // kings side by side
        {"kpk", {D2, D5}, {C3}},          // and corner to corner
        {"kpkp", {E2, D5}, {D2, B7}},     // also with pawns
        {"knkp", {D5, H8}, {A1, D5}},     // pawn on a king
        {"kbbk", {A1, C3, C3}, {H8}},     // like pieces on one square
        {"kpppk", {A1, D5, E5, D5}, {H8}},
        {"kqk", {A1, NO_SQUARE}, {H8}},   // list ends too early
        {"kqk", {A1, C3, D5}, {H8}},      // list goes on
        {"kqk", {A1, 70}, {H8}},          // off the board
        {"kqk", {A1, -1}, {H8}},
    };
    for (const auto &c : cases) EXPECT_EQ(encodeLists(c.endgame, c.white, c.black), TB_NO_INDEX) << c.endgame;
    uint32_t index = 0;
    const Square white[] = {A1, C3, NO_SQUARE};
    EXPECT_FALSE(tbIndexClass("kqk")->encode(white, nullptr, index));

    // Decoding beyond the range writes end markers over the lists and nothing past them.
    Square decodedWhite[3] = {0, 0, 0}, decodedBlack[3] = {0, 0, 0};
    tbIndexClass("kqk")->decode(29568, decodedWhite, decodedBlack);
    EXPECT_EQ((std::vector<Square>(decodedWhite, decodedWhite + 3)), (std::vector<Square>(3, NO_SQUARE)));
    EXPECT_EQ((std::vector<Square>(decodedBlack, decodedBlack + 3)), (std::vector<Square>{NO_SQUARE, NO_SQUARE, 0}));
}

}  // namespace
