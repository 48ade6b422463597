// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include "tablebase/decode.h"
#include "tests/tablebase/synthetic.h"

namespace {

// Looks like a block of a table: long runs with some noise, and x86 call opcodes (0xE8)
// so that the branch filter has addresses to convert.
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

TEST(Decode, LibraryCodecsRoundTripAndRejectDamage) {
    const Bytes plain = sampleBlock(16384);
    const Bytes zlib = zlibCompress(plain), lzf = lzfCompress(plain);
    ASSERT_FALSE(zlib.empty());
    ASSERT_FALSE(lzf.empty());
    EXPECT_TRUE(decodes(3, zlib, plain));
    EXPECT_TRUE(decodes(2, lzf, plain));
    for (int scheme : {2, 3}) {
        const Bytes &packed = scheme == 2 ? lzf : zlib;
        EXPECT_TRUE(fails(scheme, truncated(packed, packed.size() / 2), 16384)) << scheme;
        EXPECT_TRUE(fails(scheme, packed, 16383)) << scheme;  // more data than expected
        EXPECT_TRUE(fails(scheme, packed, 16385)) << scheme;  // less data than expected
        EXPECT_TRUE(fails(scheme, Bytes{}, 16384)) << scheme;
    }
    EXPECT_TRUE(fails(3, Bytes(100, 0x5A), 16384));
}

TEST(Decode, LzmaWithAndWithoutBranchFilterAndEndMarker) {
    const Bytes plain = sampleBlock(16384);
    for (bool x86 : {false, true})
        for (bool marker : {false, true}) {
            const Bytes packed = lzmaCompress(plain, x86, marker);
            ASSERT_FALSE(packed.empty());
            EXPECT_TRUE(decodes(4, packed, plain)) << x86 << marker;
            EXPECT_TRUE(fails(4, truncated(packed, packed.size() - 20), 16384)) << x86 << marker;
        }
    // The filter flag decides whether the branch conversion is undone.
    Bytes flagFlipped = lzmaCompress(plain, true, false);
    flagFlipped[0] = 0;
    EXPECT_FALSE(decodes(4, flagFlipped, plain));

    Bytes bad = lzmaCompress(plain, false, false);
    bad[0] = 2;
    EXPECT_TRUE(fails(4, bad, 16384));
    bad[0] = 0;
    bad[1] = 225;
    EXPECT_TRUE(fails(4, bad, 16384));
    EXPECT_TRUE(fails(4, truncated(bad, 13), 16384));
    // A huge dictionary size in a damaged header is still decoded within the block.
    Bytes bigDictionary = lzmaCompress(plain, true, false);
    bigDictionary[2] = bigDictionary[3] = bigDictionary[4] = bigDictionary[5] = 0xFF;
    EXPECT_TRUE(decodes(4, bigDictionary, plain));
}

TEST(Decode, HuffmanWrittenByHand) {
    // Tree: inner(leaf 'A', inner(leaf 'B', leaf 'C')): A = 0, B = 10, C = 11.
    const auto tree = [](BitWriter &w) {
        w.bit(0);
        w.bit(1), w.byte('A');
        w.bit(0);
        w.bit(1), w.byte('B');
        w.bit(1), w.byte('C');
    };
    const Bytes text = {'A', 'B', 'C', 'A', 'C', 'C', 'B'};
    BitWriter w;
    w.bytes = {uint8_t(text.size()), 0, 0, 0};
    tree(w);
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

TEST(Decode, RunLengthStoredAndSchemesWithoutDecoder) {
    EXPECT_TRUE(decodes(7, {253, 253, 65}, {253, 65}));
    EXPECT_TRUE(decodes(7, {253, 4, 0}, {0, 0, 0, 0}));
    EXPECT_TRUE(decodes(7, {1, 253, 3, 9, 2}, {1, 9, 9, 9, 2}));
    EXPECT_TRUE(fails(7, {253, 4, 0}, 3));  // run overflows the block
    EXPECT_TRUE(fails(7, {1, 253}, 2));     // input ends inside an escape
    EXPECT_TRUE(fails(7, {1, 253, 4}, 5));  // input ends inside a run
    EXPECT_TRUE(fails(7, {1, 2}, 3));       // block comes out short

    const Bytes plain = sampleBlock(16384);
    EXPECT_TRUE(decodes(9, plain, plain));
    EXPECT_TRUE(fails(9, plain, 16000));
    const Bytes tooBig(TB_MAX_BLOCK_BYTES + 1, 7);
    EXPECT_TRUE(fails(9, tooBig, TB_MAX_BLOCK_BYTES + 1));
    for (int scheme : {0, 5, 6, 8, 10, -1}) EXPECT_TRUE(fails(scheme, plain, 16384)) << scheme;
}

TEST(Decode, StoredByteToAnswerForBothSides) {
    struct Case {
        uint8_t v;
        int side;
        unsigned code, plies;
    } cases[] = {
        {0, 1, 0, 0},    {3, 0, 3, 0},
        {5, 0, 1, 3},    {5, 1, 1, 2},    // t 1, d 1
        {4, 0, 1, 129},  {4, 1, 2, 129},  // t 0, d 1
        {6, 0, 2, 2},    {6, 1, 2, 3},    // t 2, d 1
        {7, 0, 2, 128},  {7, 1, 1, 128},  // t 3, d 1
        {2, 0, 2, 0},    {2, 1, 2, 1},    // mated on the board with White to move
        {252, 0, 1, 253}, {252, 1, 1, 254},  // d 63: the long Black win is a White one
        {248, 1, 2, 251},
    };
    for (const Case &c : cases) {
        const uint16_t a = storedByteToAnswer(c.v, c.side);
        EXPECT_EQ(a & 7u, c.code) << int(c.v) << " side " << c.side;
        EXPECT_EQ(a >> 3u, c.plies) << int(c.v) << " side " << c.side;
    }
}
