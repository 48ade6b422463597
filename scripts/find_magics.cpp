// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Offline search for the slider multipliers committed in board/magic.cpp.
// Build and run: g++ -O2 -std=c++20 scripts/find_magics.cpp -o /tmp/find_magics && /tmp/find_magics
//
// The bit counts are fixed (they equal the mask sizes), so any multiplier that maps every
// occupancy subset of a mask without a destructive collision will do. The four multipliers
// already in the table for a1 and b1 are kept as they are and only checked; bishop squares
// first try the multipliers found so far, which keeps a few of them shared. The random
// generator has a fixed seed, so a run always prints the same table.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

using Bitboard = uint64_t;

constexpr int ROOK_DIRS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BISHOP_DIRS[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

Bitboard slowAttacks(int sq, Bitboard occupied, const int (&dirs)[4][2]) {
    Bitboard result = 0;
    for (const auto &d : dirs) {
        int f = (sq & 7) + d[0], r = (sq >> 3) + d[1];
        for (; f >= 0 && f < 8 && r >= 0 && r < 8; f += d[0], r += d[1]) {
            const Bitboard b = Bitboard(1) << (r * 8 + f);
            result |= b;
            if (occupied & b) break;
        }
    }
    return result;
}

// Rays without the edge squares that can never change the result.
Bitboard relevantMask(int sq, const int (&dirs)[4][2]) {
    Bitboard result = 0;
    for (const auto &d : dirs) {
        int f = (sq & 7) + d[0], r = (sq >> 3) + d[1];
        while (f + d[0] >= 0 && f + d[0] < 8 && r + d[1] >= 0 && r + d[1] < 8) {
            result |= Bitboard(1) << (r * 8 + f);
            f += d[0];
            r += d[1];
        }
    }
    return result;
}

struct Subsets {
    std::vector<Bitboard> occupancy, attacks;
    int bits = 0;
};

Subsets enumerate(int sq, const int (&dirs)[4][2]) {
    Subsets s;
    const Bitboard mask = relevantMask(sq, dirs);
    s.bits = __builtin_popcountll(mask);
    Bitboard subset = 0;
    do {  // carry-rippler walk over all subsets of the mask
        s.occupancy.push_back(subset);
        s.attacks.push_back(slowAttacks(sq, subset, dirs));
        subset = (subset - mask) & mask;
    } while (subset);
    return s;
}

bool isValid(const Subsets &s, uint64_t multiplier) {
    std::vector<Bitboard> table(size_t(1) << s.bits, 0);
    std::vector<bool> used(table.size(), false);
    for (size_t i = 0; i < s.occupancy.size(); ++i) {
        const uint32_t idx = uint32_t((s.occupancy[i] * multiplier) >> (64 - s.bits));
        if (used[idx] && table[idx] != s.attacks[i]) return false;
        used[idx] = true;
        table[idx] = s.attacks[i];
    }
    return true;
}

uint64_t rngState = 0x9E3779B97F4A7C15ULL;
uint64_t nextRandom() {  // xorshift64*
    rngState ^= rngState >> 12;
    rngState ^= rngState << 25;
    rngState ^= rngState >> 27;
    return rngState * 0x2545F4914F6CDD1DULL;
}
uint64_t sparseRandom() { return nextRandom() & nextRandom() & nextRandom(); }

uint64_t findMultiplier(const Subsets &s, const std::vector<uint64_t> &reuse) {
    for (uint64_t m : reuse)
        if (isValid(s, m)) return m;
    for (;;) {
        const uint64_t m = sparseRandom();
        if (isValid(s, m)) return m;
    }
}

const char *squareName(int sq) {
    static char buf[3];
    buf[0] = char('a' + (sq & 7));
    buf[1] = char('1' + (sq >> 3));
    buf[2] = 0;
    return buf;
}

void printTable(const char *name, const int (&dirs)[4][2], uint64_t a1, uint64_t b1, bool shareFound) {
    std::vector<uint64_t> found;
    std::printf("const Magic %s[64] = {\n", name);
    for (int sq = 0; sq < 64; ++sq) {
        const Subsets s = enumerate(sq, dirs);
        uint64_t m;
        if (sq <= 1) {
            m = sq == 0 ? a1 : b1;
            if (!isValid(s, m)) {
                std::fprintf(stderr, "%s: fixed multiplier of %s is not valid\n", name, squareName(sq));
                return;
            }
        } else {
            m = findMultiplier(s, shareFound ? found : std::vector<uint64_t>{});
        }
        found.push_back(m);
        if (sq % 8 == 0) std::printf("    // rank %d\n", sq / 8 + 1);
        std::printf("%s{0x%016llXULL, %2d},%s", sq % 4 ? " " : "    ", (unsigned long long)m, s.bits,
                    sq % 4 == 3 ? "\n" : "");
    }
    std::printf("};\n\n");
}

}  // namespace

int main() {
    printTable("rookMagic", ROOK_DIRS, 0x0E00102102048040ULL, 0x8040001000402008ULL, false);
    printTable("bishopMagic", BISHOP_DIRS, 0x69C0FA480A008012ULL, 0x0804040082020410ULL, true);
    return 0;
}
