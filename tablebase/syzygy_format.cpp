// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/syzygy_format.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr uint32_t WDL_MAGIC = 0x5D23E871;
constexpr uint32_t DTZ_MAGIC = 0xA50C66D7;
constexpr int PIECE_ORDER[5] = {QUEEN, ROOK, BISHOP, KNIGHT, PAWN};

// ---- Constant tables ----------------------------------------------------------------

constexpr bool onDiagonal(Square s) { return fileOf(s) == rankOf(s); }
constexpr bool belowDiagonal(Square s) { return rankOf(s) < fileOf(s); }

// Binomials C(n, k) for n < 64, k < 8.
constexpr auto BINOMIAL = [] {
    std::array<std::array<uint64_t, 8>, 65> c{};
    for (int n = 0; n <= 64; ++n) {
        c[n][0] = 1;
        for (int k = 1; k < 8 && n > 0; ++k) c[n][k] = c[n - 1][k - 1] + c[n - 1][k];
    }
    return c;
}();

// The triangle a1-d1-d4: squares below the diagonal first, then the diagonal ones.
constexpr auto TRIANGLE = [] {
    std::array<int8_t, 64> t{};
    t.fill(-1);
    constexpr Square order[10] = {1, 2, 3, 10, 11, 19, 0, 9, 18, 27};
    for (int i = 0; i < 10; ++i) t[order[i]] = int8_t(i);
    return t;
}();

// The 28 squares below the diagonal, numbered in square order.
constexpr auto BELOW = [] {
    std::array<int8_t, 64> l{};
    int code = 0;
    for (Square s = 0; s < 64; ++s) l[s] = belowDiagonal(s) ? int8_t(code++) : int8_t(-1);
    return l;
}();

constexpr bool adjacent(Square a, Square b) {
    const int df = fileOf(a) - fileOf(b), dr = rankOf(a) - rankOf(b);
    return df >= -1 && df <= 1 && dr >= -1 && dr <= 1;
}

// Two kings with the first in the triangle: 441 placements, then the 21 with both on
// the diagonal.
constexpr auto KING_PAIRS = [] {
    std::array<std::array<int16_t, 64>, 10> kk{};
    for (auto &row : kk) row.fill(-1);
    constexpr Square order[10] = {1, 2, 3, 10, 11, 19, 0, 9, 18, 27};
    int code = 0;
    for (int t = 0; t < 10; ++t)
        for (Square s2 = 0; s2 < 64; ++s2) {
            const Square s1 = order[t];
            if (s2 == s1 || adjacent(s1, s2) || (onDiagonal(s1) && !onDiagonal(s2) && !belowDiagonal(s2))) continue;
            if (!(onDiagonal(s1) && onDiagonal(s2))) kk[t][s2] = int16_t(code++);
        }
    for (int t = 0; t < 10; ++t)
        for (Square s2 = 0; s2 < 64; ++s2) {
            const Square s1 = order[t];
            if (s2 != s1 && !adjacent(s1, s2) && onDiagonal(s1) && onDiagonal(s2)) kk[t][s2] = int16_t(code++);
        }
    return kk;
}();

// Pawn squares numbered from 47 down, file a with h, then b with g ..., each from
// rank 2 up: the number of squares a pawn on s leaves "behind" it.
constexpr auto PAWN_RANK = [] {
    std::array<int8_t, 64> p{};
    int n = 47;
    for (int f = 0; f < 4; ++f)
        for (int r = 1; r <= 6; ++r) {
            p[makeSquare(f, r)] = int8_t(n--);
            p[makeSquare(7 - f, r)] = int8_t(n--);
        }
    return p;
}();

struct LeadTables {
    uint64_t start[6][64] = {};
    uint64_t size[6][4] = {};
};
constexpr LeadTables LEAD = [] {
    LeadTables t{};
    for (int n = 1; n <= 5; ++n)
        for (int f = 0; f < 4; ++f) {
            uint64_t acc = 0;
            for (int r = 1; r <= 6; ++r) {
                const Square s = makeSquare(f, r);
                t.start[n][s] = acc;
                acc += BINOMIAL[PAWN_RANK[s]][n - 1];
            }
            t.size[n][f] = acc;
        }
    return t;
}();
static_assert(KING_PAIRS[9][63] == 461 && KING_PAIRS[0][3] == 0 && KING_PAIRS[6][18] == 441);
static_assert(LEAD.size[5][0] == 700336 && LEAD.size[2][3] == 36);

// ---- Reading the file ---------------------------------------------------------------

uint16_t read16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// A forward cursor over the file that refuses to step past its end.
struct Cursor {
    const uint8_t *bytes;
    std::size_t size, pos;
    bool has(std::size_t n) const { return pos <= size && n <= size - pos; }
    const uint8_t *at() const { return bytes + pos; }
    void alignTo(std::size_t a) { pos = (pos + a - 1) / a * a; }
};

uint8_t nibble(uint8_t byte, int side) { return side ? byte >> 4 : byte & 15; }

// The leading group's length and the sizes of every group, from the piece list.
bool buildGroups(SzSubTable &t, const SzMaterial &m, int order, int order2) {
    const int n = t.men;
    int lead;
    if (m.hasPawns) {
        lead = 1;
        while (lead < n && t.pieces[lead] == t.pieces[0]) ++lead;
        if ((t.pieces[0] & 7) != PAWN) return false;
        t.encoding = SZ_PAWNS;
    } else {
        t.encoding = m.uniquePieces >= 3 ? SZ_PIECES_111 : SZ_PIECES_KK;
        lead = t.encoding == SZ_PIECES_111 ? 3 : 2;
    }
    int length[SZ_MAX_MEN], count = 0;
    length[count++] = lead;
    int i = lead;
    const bool second = m.hasPawns && i < n && (t.pieces[i] & 7) == PAWN;
    while (i < n) {
        int j = i + 1;
        while (j < n && t.pieces[j] == t.pieces[i]) ++j;
        length[count++] = j - i;
        i = j;
    }
    t.groups = count;
    std::copy(length, length + count, t.groupLength);
    // Digits of the mixed-radix index, least significant first.
    const uint64_t leadSize = m.hasPawns ? LEAD.size[lead][t.slot] : lead == 3 ? 31332 : 462;
    const int otherCount = second ? length[1] : 0;
    int free = 64 - lead - otherCount, next = second ? 2 : 1;
    bool leadPlaced = false, otherPlaced = !second;
    uint64_t f = 1;
    for (int k = 0; next < count || k == order || k == order2; ++k) {
        uint64_t size;
        if (k == order) {
            t.factor[0] = f, size = leadSize, leadPlaced = true;
        } else if (k == order2) {
            if (!second) return false;
            t.factor[1] = f, size = BINOMIAL[48 - lead][otherCount], otherPlaced = true;
        } else {
            t.factor[next] = f, size = BINOMIAL[free][length[next]];
            free -= length[next++];
        }
        if (size == 0 || f > (uint64_t(1) << 50) / size) return false;
        f *= size;
        if (k > SZ_MAX_MEN) return false;
    }
    t.size = f;
    return leadPlaced && otherPlaced;
}

// The piece list must hold exactly the material, the first side as codes 1..6.
bool piecesMatch(const SzSubTable &t, const SzMaterial &m) {
    int count[2][7] = {};
    for (int i = 0; i < t.men; ++i) {
        const int code = t.pieces[i], type = code & 7;
        if (type < PAWN || type > KING || code > 14) return false;
        ++count[code >> 3][type];
    }
    return std::memcmp(count, m.count, sizeof count) == 0;
}

// Counts the values each symbol expands to; false for a reference out of range, a
// loop or an expansion longer than any the format allows.
bool countSymbols(SzSubTable &t) {
    const std::size_t n = t.left.size();
    t.valueCount.assign(n, 0);
    std::vector<uint16_t> stack;
    std::vector<uint8_t> state(n, 0);  // 0 new, 1 being expanded, 2 done
    for (std::size_t root = 0; root < n; ++root) {
        if (state[root] == 2) continue;
        stack.push_back(uint16_t(root));
        while (!stack.empty()) {
            const uint16_t s = stack.back();
            if (t.right[s] == 0xFFF) {
                t.valueCount[s] = 1, state[s] = 2, stack.pop_back();
                continue;
            }
            if (t.left[s] >= n || t.right[s] >= n) return false;
            if (state[s] == 0) {
                state[s] = 1;
                for (uint16_t c : {t.left[s], t.right[s]}) {
                    if (state[c] == 1) return false;
                    if (state[c] == 0) stack.push_back(c);
                }
                continue;
            }
            if (state[s] == 2) {
                stack.pop_back();
                continue;
            }
            const uint32_t total = uint32_t(t.valueCount[t.left[s]]) + t.valueCount[t.right[s]];
            if (total > 65535) return false;
            t.valueCount[s] = uint16_t(total), state[s] = 2, stack.pop_back();
        }
    }
    return true;
}

// The pairs header of one sub-table (section after the piece records).
bool readPairsHeader(Cursor &c, SzSubTable &t, SzKind kind) {
    if (!c.has(2)) return false;
    const uint8_t *p = c.at();
    t.flags = p[0];
    if (t.flags & 0x80) {
        t.singleValued = true;
        t.single = kind == SzKind::WDL ? p[1] : 0;
        c.pos += 2;
        return kind == SzKind::DTZ || t.single <= 4;
    }
    if (!c.has(12)) return false;
    t.blockBits = p[1], t.spanBits = p[2];
    t.realBlocks = read32(p + 4);
    t.blockCount = t.realBlocks + p[3];
    const int maxLength = p[8];
    t.minLength = p[9];
    if (t.blockBits < 3 || t.blockBits > 24 || t.spanBits < 1 || t.spanBits > 40 || t.realBlocks == 0 ||
        t.realBlocks > (1u << 31) || t.minLength < 1 || maxLength > 32 || maxLength < t.minLength)
        return false;
    const int h = maxLength - t.minLength + 1;
    if (!c.has(12 + 2 * h)) return false;
    t.firstIndex.resize(h);
    for (int i = 0; i < h; ++i) t.firstIndex[i] = read16(p + 10 + 2 * i);
    const int symbols = read16(p + 10 + 2 * h);
    if (symbols == 0 || !c.has(12 + 2 * h + 3 * symbols)) return false;
    t.left.resize(symbols), t.right.resize(symbols);
    for (int s = 0; s < symbols; ++s) {
        const uint8_t *w = p + 12 + 2 * h + 3 * s;
        const uint32_t word = uint32_t(w[0]) | uint32_t(w[1]) << 8 | uint32_t(w[2]) << 16;
        t.left[s] = uint16_t(word & 0xFFF), t.right[s] = uint16_t(word >> 12);
        // A WDL leaf is one of the five outcomes; any other value is damage.
        if (kind == SzKind::WDL && t.right[s] == 0xFFF && t.left[s] > 4) return false;
    }
    c.pos += 12 + 2 * h + 3 * symbols + (symbols & 1);
    if (!countSymbols(t)) return false;
    // Left-aligned boundaries of the canonical code, longest codes first.
    t.base.assign(h, 0);
    for (int i = h - 2; i >= 0; --i)
        t.base[i] = (t.base[i + 1] + t.firstIndex[i] - t.firstIndex[i + 1]) / 2;
    for (int i = 0; i < h; ++i) t.base[i] <<= 64 - (t.minLength + i);
    return true;
}

// DTZ value maps of a sub-table whose values are mapped.
bool readMaps(Cursor &c, SzSubTable &t) {
    t.wideMap = (t.flags & 16) != 0;
    if (t.wideMap) c.alignTo(2);
    const int width = t.wideMap ? 2 : 1;
    for (int i = 0; i < 4; ++i) {
        if (!c.has(width)) return false;
        t.mapLength[i] = t.wideMap ? read16(c.at()) : *c.at();
        c.pos += width;
        if (!c.has(std::size_t(width) * t.mapLength[i])) return false;
        t.map[i] = c.at();
        c.pos += std::size_t(width) * t.mapLength[i];
    }
    return true;
}

// The piece records of every slot, then the groups and sizes they imply.
bool readRecords(Cursor &c, const SzMaterial &m, SzKind kind, SzFile &out) {
    const int slots = m.hasPawns ? 4 : 1;
    const bool bothPawns = m.count[0][PAWN] > 0 && m.count[1][PAWN] > 0;
    out.sides = kind == SzKind::WDL && !m.symmetric ? 2 : 1;
    out.sub.assign(std::size_t(slots) * out.sides, SzSubTable{});
    for (int slot = 0; slot < slots; ++slot) {
        const int orderBytes = bothPawns ? 2 : 1;
        if (!c.has(orderBytes + m.men)) return false;
        const uint8_t *p = c.at();
        for (int side = 0; side < out.sides; ++side) {
            SzSubTable &t = out.sub[slot * out.sides + side];
            t.men = m.men, t.slot = slot;
            for (int i = 0; i < m.men; ++i) t.pieces[i] = nibble(p[orderBytes + i], side);
            const int order = nibble(p[0], side), order2 = bothPawns ? nibble(p[1], side) : 15;
            if (!piecesMatch(t, m) || !buildGroups(t, m, order, order2)) return false;
        }
        c.pos += orderBytes + m.men;
    }
    c.alignTo(2);
    return true;
}

// Sparse indices, block lengths and data of every sub-table; the walk must end at the
// checksum.
bool readSections(Cursor &c, SzFile &out) {
    for (SzSubTable &t : out.sub) {
        if (t.singleValued) continue;
        const uint64_t sparseCount = (t.size + (uint64_t(1) << t.spanBits) - 1) >> t.spanBits;
        if (!c.has(6 * sparseCount)) return false;
        t.sparse = c.at(), c.pos += 6 * sparseCount;
    }
    for (SzSubTable &t : out.sub) {
        if (t.singleValued) continue;
        if (!c.has(2 * std::size_t(t.blockCount))) return false;
        t.blockLengths = c.at(), c.pos += 2 * std::size_t(t.blockCount);
        uint64_t total = 0;
        for (uint32_t b = 0; b < t.realBlocks; ++b) total += read16(t.blockLengths + 2 * b) + 1u;
        if (total != t.size) return false;
    }
    for (SzSubTable &t : out.sub) {
        if (t.singleValued) continue;
        c.alignTo(64);
        const uint64_t bytes = uint64_t(t.realBlocks) << t.blockBits;
        if (!c.has(bytes)) return false;
        t.data = c.at(), c.pos += bytes;
        t.end = c.bytes + c.size;
    }
    c.alignTo(64);
    return c.pos + 16 == c.size;
}

// A big-endian word of the data, zeros past the end of the file.
uint32_t readBigEndian32(const uint8_t *p, const uint8_t *end) {
    if (p + 4 <= end) return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = w << 8 | (p + i < end ? p[i] : 0);
    return w;
}

}  // namespace

int szPawnRank(Square s) { return PAWN_RANK[s]; }

bool szParseName(const std::string &name, SzMaterial &m) {
    m = SzMaterial{};
    const std::size_t v = name.find('v');
    if (v == std::string::npos || v == 0 || v + 1 >= name.size()) return false;
    const std::string sides[2] = {name.substr(0, v), name.substr(v + 1)};
    for (int side = 0; side < 2; ++side) {
        if (sides[side][0] != 'K') return false;
        for (char ch : sides[side]) {
            const char *at = ch ? std::strchr(PIECE_CHARS + 1, ch | 0x20) : nullptr;
            if (!at || (ch & 0x20)) return false;
            ++m.count[side][at - PIECE_CHARS];
            ++m.men;
        }
        if (m.count[side][KING] != 1) return false;
    }
    if (m.men > SZ_MAX_MEN) return false;
    m.hasPawns = m.count[0][PAWN] + m.count[1][PAWN] > 0;
    m.symmetric = std::memcmp(m.count[0], m.count[1], sizeof m.count[0]) == 0;
    for (int side = 0; side < 2; ++side)
        for (int pt = PAWN; pt <= KING; ++pt) m.uniquePieces += m.count[side][pt] == 1;
    return true;
}

uint64_t szMaterialKey(const int white[7], const int black[7]) {
    uint64_t key = 0;
    for (int pt : PIECE_ORDER) key = key << 4 | uint64_t(white[pt]);
    for (int pt : PIECE_ORDER) key = key << 4 | uint64_t(black[pt]);
    return key;
}

bool szParseFile(const uint8_t *bytes, std::size_t size, SzKind kind, const SzMaterial &m, SzFile &out,
                 std::string &error) {
    out = SzFile{};
    auto fail = [&](const char *why) {
        error = why;
        out = SzFile{};
        return false;
    };
    if (size < 16 + 6 || size % 64 != 16) return fail("wrong file size");
    if (read32(bytes) != (kind == SzKind::WDL ? WDL_MAGIC : DTZ_MAGIC)) return fail("not a table file (magic)");
    Cursor c{bytes, size, 5};
    if (((bytes[4] & 2) != 0) != m.hasPawns) return fail("header does not match the material");
    if (!readRecords(c, m, kind, out)) return fail("damaged piece records");
    for (SzSubTable &t : out.sub)
        if (!readPairsHeader(c, t, kind)) return fail("damaged compression header");
    if (kind == SzKind::DTZ) {
        for (SzSubTable &t : out.sub)
            if ((t.flags & 2) && !t.singleValued && !readMaps(c, t)) return fail("damaged value maps");
        c.alignTo(2);
    }
    if (!readSections(c, out)) return fail("damaged or truncated data sections");
    return true;
}

// ---- Index ------------------------------------------------------------------------

namespace {

void mirrorAll(Square *sq, int n, int bits) {
    for (int i = 0; i < n; ++i) sq[i] ^= bits;
}

constexpr Square flipDiagonal(Square s) { return ((s & 7) << 3) | (s >> 3); }

// Brings a pawnless placement into the triangle a1-d1-d4, the first off-diagonal
// piece of the leading group below the diagonal.
void normalisePieces(Square *sq, int n, int lead) {
    if (fileOf(sq[0]) >= FILE_E) mirrorAll(sq, n, 7);
    if (rankOf(sq[0]) >= RANK_5) mirrorAll(sq, n, 56);
    for (int i = 0; i < lead; ++i) {
        if (onDiagonal(sq[i])) continue;
        if (!belowDiagonal(sq[i]))
            for (int j = 0; j < n; ++j) sq[j] = flipDiagonal(sq[j]);
        break;
    }
}

// Three single pieces first (31,332 values).
uint64_t leadingTriple(const Square *sq) {
    const Square a = sq[0], b = sq[1], c = sq[2];
    const int adj1 = b > a, adj2 = (c > a) + (c > b);
    if (!onDiagonal(a)) return (uint64_t(TRIANGLE[a]) * 63 + (b - adj1)) * 62 + (c - adj2);
    if (!onDiagonal(b)) return 23436 + (uint64_t(rankOf(a)) * 28 + BELOW[b]) * 62 + (c - adj2);
    if (!onDiagonal(c)) return 30380 + rankOf(a) * 196 + (rankOf(b) - adj1) * 28 + BELOW[c];
    return 31164 + rankOf(a) * 42 + (rankOf(b) - adj1) * 6 + (rankOf(c) - adj2);
}

// The leading pawns: the leader's start, then the others in the combinatorial number
// system over the squares behind it.
uint64_t leadingPawns(Square *sq, int n) {
    std::sort(sq + 1, sq + n, [](Square x, Square y) { return PAWN_RANK[x] < PAWN_RANK[y]; });
    uint64_t value = LEAD.start[n][sq[0]];
    for (int i = 1; i < n; ++i) value += BINOMIAL[PAWN_RANK[sq[i]]][i];
    return value;
}

// A group of k equal pieces at list position p, over the squares left free by the
// pieces before it (pawns of the second group: over ranks 2-7 left by the leaders).
uint64_t groupValue(Square *sq, int p, int k, bool secondPawns) {
    std::sort(sq + p, sq + p + k);
    uint64_t value = 0;
    for (int i = 0; i < k; ++i) {
        int r = sq[p + i] - (secondPawns ? 8 : 0);
        for (int j = 0; j < p; ++j) r -= sq[j] < sq[p + i];
        value += BINOMIAL[r][i + 1];
    }
    return value;
}

}  // namespace

uint64_t szIndex(const SzSubTable &t, Square *sq) {
    const int n = t.men, lead = t.groupLength[0];
    uint64_t index;
    if (t.encoding == SZ_PAWNS) {
        if (fileOf(sq[0]) >= FILE_E) mirrorAll(sq, n, 7);
        index = leadingPawns(sq, lead) * t.factor[0];
    } else {
        normalisePieces(sq, n, lead);
        index = (t.encoding == SZ_PIECES_111 ? leadingTriple(sq) : uint64_t(KING_PAIRS[TRIANGLE[sq[0]]][sq[1]])) *
                t.factor[0];
    }
    int p = lead;
    for (int g = 1; g < t.groups; ++g) {
        const bool secondPawns = t.encoding == SZ_PAWNS && g == 1 && (t.pieces[p] & 7) == PAWN;
        index += groupValue(sq, p, t.groupLength[g], secondPawns) * t.factor[g];
        p += t.groupLength[g];
    }
    return index;
}

bool szDecode(const SzSubTable &t, uint64_t index, int &value) {
    if (t.singleValued) {
        value = t.single;
        return true;
    }
    if (index >= t.size) return false;
    // Locate the block through the sparse index, then walk to the wanted value.
    const uint64_t span = uint64_t(1) << t.spanBits;
    const uint8_t *entry = t.sparse + 6 * (index >> t.spanBits);
    uint32_t block = read32(entry);
    int64_t offset = int64_t(read16(entry + 4)) + int64_t(index & (span - 1)) - int64_t(span / 2);
    auto length = [&](uint32_t b) { return int64_t(read16(t.blockLengths + 2 * std::size_t(b))); };
    if (block >= t.blockCount) return false;
    while (offset < 0) {
        if (block == 0) return false;
        offset += length(--block) + 1;
    }
    while (offset > length(block)) {
        offset -= length(block) + 1;
        if (++block >= t.blockCount) return false;
    }
    if (block >= t.realBlocks) return false;
    // Decode symbols until the one that covers the offset.
    const uint8_t *p = t.data + (std::size_t(block) << t.blockBits);
    uint64_t buffer = uint64_t(readBigEndian32(p, t.end)) << 32 | readBigEndian32(p + 4, t.end);
    p += 8;
    int available = 64;
    const int symbols = int(t.left.size());
    int symbol;
    for (;;) {
        int i = 0;
        while (buffer < t.base[i]) ++i;
        const int length = t.minLength + i;
        symbol = t.firstIndex[i] + int((buffer - t.base[i]) >> (64 - length));
        if (symbol >= symbols) return false;
        if (offset < t.valueCount[symbol]) break;
        offset -= t.valueCount[symbol];
        buffer <<= length;
        available -= length;
        if (available <= 32) {
            buffer |= uint64_t(readBigEndian32(p, t.end)) << (32 - available);
            p += 4;
            available += 32;
        }
    }
    // Descend the symbol's expansion to the single value.
    while (t.right[symbol] != 0xFFF) {
        const int left = t.left[symbol];
        if (offset < t.valueCount[left]) symbol = left;
        else offset -= t.valueCount[left], symbol = t.right[symbol];
    }
    value = t.left[symbol];
    return true;
}

bool szDtzPlies(const SzSubTable &t, int stored, int wdl, int &plies) {
    static constexpr int OUTCOME[5] = {1, 3, 0, 2, 0};  // by wdl + 2: loss, blessed, -, cursed, win
    int v = stored;
    if (t.flags & 2) {
        const int list = OUTCOME[wdl + 2];
        if (v < 0 || v >= t.mapLength[list]) return false;
        v = t.wideMap ? read16(t.map[list] + 2 * v) : t.map[list][v];
    }
    if ((wdl == 2 && !(t.flags & 4)) || (wdl == -2 && !(t.flags & 8)) || wdl == 1 || wdl == -1) v *= 2;
    int m = v + 1 + (wdl == 1 || wdl == -1 ? 100 : 0);
    plies = wdl > 0 ? m : -m;
    return true;
}
