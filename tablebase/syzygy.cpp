// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/syzygy.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "board/board.h"

struct SyzygyTables::Table {
    std::string name;
    std::filesystem::path folder;
    SzMaterial material;
    bool dtzPresent = false;
    // Per kind (WDL, DTZ): 0 not yet opened, 1 ready, 2 refused. Written once under
    // the open lock with release order; probes read it with acquire order.
    std::atomic<uint8_t> state[2] = {0, 0};
    MappedFile file[2];
    SzFile layout[2];
};

namespace {

int kindIndex(SzKind kind) { return kind == SzKind::WDL ? 0 : 1; }

void countMaterial(const Board_BB64 &b, Colour c, int count[7]) {
    for (int pt = PAWN; pt <= KING; ++pt) count[pt] = popCount(b.pieces(c, pt));
}

}  // namespace

SyzygyTables::SyzygyTables() = default;
SyzygyTables::~SyzygyTables() = default;

int SyzygyTables::load(const std::string &folders) {
    byKey_.clear();
    tables_.clear();
    maxMen_ = 0;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t stop = folders.find(SZ_PATH_SEPARATOR, start);
        if (stop == std::string::npos) stop = folders.size();
        const std::string folder = folders.substr(start, stop - start);
        start = stop + 1;
        if (folder.empty()) continue;
        std::error_code error;
        std::filesystem::directory_iterator it(std::filesystem::u8path(folder), error), end;
        for (; !error && it != end; it.increment(error)) {
            const std::filesystem::path &path = it->path();
            if (path.extension() != ".rtbw" || !it->is_regular_file(error)) continue;
            auto table = std::make_unique<Table>();
            table->name = path.stem().string();
            if (!szParseName(table->name, table->material)) continue;
            const SzMaterial &m = table->material;
            const uint64_t asWhite = szMaterialKey(m.count[0], m.count[1]);
            const uint64_t asBlack = szMaterialKey(m.count[1], m.count[0]);
            if (byKey_.count(asWhite)) continue;
            table->folder = path.parent_path();
            table->dtzPresent = std::filesystem::is_regular_file(table->folder / (table->name + ".rtbz"), error);
            byKey_[asWhite] = {table.get(), false};
            if (!m.symmetric) byKey_[asBlack] = {table.get(), true};
            maxMen_ = std::max(maxMen_, m.men);
            tables_.push_back(std::move(table));
        }
    }
    return tableCount();
}

std::vector<std::string> SyzygyTables::takeProblems() {
    std::lock_guard<std::mutex> hold(openLock_);
    std::vector<std::string> out;
    out.swap(problems_);
    return out;
}

const SyzygyTables::Entry *SyzygyTables::find(const Board_BB64 &b) const {
    int white[7], black[7];
    countMaterial(b, WHITE, white);
    countMaterial(b, BLACK, black);
    const auto it = byKey_.find(szMaterialKey(white, black));
    return it == byKey_.end() ? nullptr : &it->second;
}

bool SyzygyTables::ready(Table &t, SzKind kind) const {
    const int k = kindIndex(kind);
    const uint8_t state = t.state[k].load(std::memory_order_acquire);
    if (state != 0) return state == 1;
    std::lock_guard<std::mutex> hold(openLock_);
    if (t.state[k].load(std::memory_order_relaxed) == 0) {
        const std::filesystem::path path = t.folder / (t.name + (kind == SzKind::WDL ? ".rtbw" : ".rtbz"));
        std::string error;
        const bool ok = t.file[k].open(path.string(), error) &&
                        szParseFile(t.file[k].data(), t.file[k].size(), kind, t.material, t.layout[k], error);
        if (!ok) {
            t.file[k].close();
            problems_.push_back("syzygy table " + path.string() + " refused: " + error);
        }
        t.state[k].store(ok ? 1 : 2, std::memory_order_release);
    }
    return t.state[k].load(std::memory_order_relaxed) == 1;
}

SzLookup SyzygyTables::lookup(const Board_BB64 &b, SzKind kind, int &value, const SzSubTable *&sub) const {
    const Entry *entry = find(b);
    if (!entry) return SzLookup::NO_TABLE;
    Table &t = *entry->table;
    if (kind == SzKind::DTZ && !t.dtzPresent) return SzLookup::NO_TABLE;
    if (!ready(t, kind)) return SzLookup::FAILED;
    const SzMaterial &m = t.material;
    const SzFile &file = t.layout[kindIndex(kind)];
    // The table's first side and the side it sees to move; a symmetric table is read
    // with the side to move as its first side.
    const bool flip = m.symmetric ? b.side() == BLACK : entry->flipped;
    const Colour first = flip ? BLACK : WHITE;
    const int tableSide = b.side() == first ? 0 : 1;
    const int flipBits = flip ? 56 : 0;
    auto colourOf = [&](int code) { return code & 8 ? opposite(first) : first; };
    int slot = 0;
    if (m.hasPawns) {
        Bitboard leaders = b.pieces(colourOf(file.sub[0].pieces[0]), PAWN);
        int bestRank = -1;
        while (leaders) {
            const Square s = popLsb(leaders) ^ flipBits;
            if (szPawnRank(s) > bestRank) bestRank = szPawnRank(s), slot = std::min(fileOf(s), 7 - fileOf(s));
        }
    }
    if (kind == SzKind::WDL) {
        sub = &file.sub[slot * file.sides + (file.sides == 2 ? tableSide : 0)];
    } else {
        sub = &file.sub[slot];
        if (!sub->singleValued && (sub->flags & 1) != tableSide) return SzLookup::NOT_STORED;
    }
    Square sq[SZ_MAX_MEN];
    Bitboard left[16] = {};
    for (int code = 1; code < 15; ++code)
        if ((code & 7) >= PAWN && (code & 7) <= KING) left[code] = b.pieces(colourOf(code), code & 7);
    for (int i = 0; i < sub->men; ++i) {
        if (!left[sub->pieces[i]]) return SzLookup::FAILED;
        sq[i] = popLsb(left[sub->pieces[i]]) ^ flipBits;
    }
    if (m.hasPawns) {
        // The leading pawn (the largest pawnRank) goes first.
        int lead = 0;
        for (int i = 1; i < sub->groupLength[0]; ++i)
            if (szPawnRank(sq[i]) > szPawnRank(sq[lead])) lead = i;
        std::swap(sq[0], sq[lead]);
    }
    return szDecode(*sub, szIndex(*sub, sq), value) ? SzLookup::FOUND : SzLookup::FAILED;
}

SzLookup SyzygyTables::tableWdl(const Board_BB64 &b, int &wdl) const {
    if (popCount(b.occupied()) == 2) {
        wdl = 0;
        return SzLookup::FOUND;
    }
    int value;
    const SzSubTable *sub;
    const SzLookup r = lookup(b, SzKind::WDL, value, sub);
    if (r != SzLookup::FOUND) return r;
    if (value < 0 || value > 4) return SzLookup::FAILED;
    wdl = value - 2;
    return r;
}

SzLookup SyzygyTables::tableDtz(const Board_BB64 &b, int wdl, int &dtz) const {
    int value;
    const SzSubTable *sub;
    const SzLookup r = lookup(b, SzKind::DTZ, value, sub);
    if (r != SzLookup::FOUND) return r;
    return szDtzPlies(*sub, value, wdl, dtz) ? r : SzLookup::FAILED;
}

bool SyzygyTables::hasDtz(const Board_BB64 &b) const {
    const Entry *entry = find(b);
    return entry && entry->table->dtzPresent;
}
