// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "engine/tablebases.h"

#include <algorithm>
#include <mutex>

#include "board/board.h"
#include "tablebase/module.h"
#include "tablebase/syzygy_probe.h"

namespace {

// Gaviota's files hold the endgames of three to five men.
constexpr int GAVIOTA_MAX_MEN = 5;

}  // namespace

bool EngineTablebases::gaviotaCovers(const Board_BB64 &b, int men) const {
    return gaviotaLoaded_ && b.castlingRights == 0 && men <= GAVIOTA_MAX_MEN;
}

bool EngineTablebases::syzygyCovers(const Board_BB64 &b, int men) const {
    return b.castlingRights == 0 && men <= std::min(syzygy_.maxMen(), probeLimit_.load(std::memory_order_relaxed));
}

TbAnswer EngineTablebases::probeGaviota(const Board_BB64 &b, bool mayReadFiles) {
    TbAnswer a;
    unsigned info = TB_FORBIDDEN, plies = 0;
    if (!gaviota_.probe(b, mayReadFiles, info, plies) || info == TB_FORBIDDEN) return a;
    const unsigned weMate = b.side() == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES;
    a.source = TbSource::GAVIOTA;
    a.wdl = info == TB_DRAW ? 0 : info == weMate ? 2 : -2;
    a.matePlies = int(plies);
    return a;
}

TbAnswer EngineTablebases::probeSyzygy(Board_BB64 &b, bool dtz) {
    TbAnswer a;
    if (!szProbeWdl(syzygy_, b, a.wdl)) return a;
    a.source = TbSource::SYZYGY;
    a.dtzKnown = dtz && szProbeDtz(syzygy_, b, a.dtz);
    return a;
}

TbAnswer EngineTablebases::probe(Board_BB64 &b, const TbRequest &r) {
    std::shared_lock<std::shared_mutex> read(lock_);
    const int men = popCount(b.occupied());
    if (r.gaviota && gaviotaCovers(b, men)) {
        const TbAnswer a = probeGaviota(b, r.mayReadFiles);
        if (a.found()) return a;
    }
    return r.syzygy && syzygyCovers(b, men) ? probeSyzygy(b, r.dtz) : TbAnswer{};
}

TablebaseUse EngineTablebases::use() {
    std::shared_lock<std::shared_mutex> read(lock_);
    TablebaseUse u;
    u.men = std::min(syzygy_.maxMen(), probeLimit_.load(std::memory_order_relaxed));
    if (gaviotaLoaded_) u.men = std::max(u.men, GAVIOTA_MAX_MEN);
    u.depth = probeDepth_.load(std::memory_order_relaxed);
    u.fiftyMoveRule = fiftyMoveRule_.load(std::memory_order_relaxed);
    return u;
}

bool EngineTablebases::loadGaviota(const std::string &directories, int cacheMB) {
    std::unique_lock<std::shared_mutex> write(lock_);
    gaviota_.close();
    gaviotaLoaded_ = false;
    const std::vector<std::string> list = tbSplitDirectories(directories.c_str());
    if (list.empty()) return true;
    if (!gaviota_.open(4, list)) return false;
    gaviota_.setCache(cacheMB);
    gaviotaLoaded_ = true;
    return true;
}

int EngineTablebases::loadSyzygy(const std::string &folders) {
    std::unique_lock<std::shared_mutex> write(lock_);
    return syzygy_.load(folders);
}

int EngineTablebases::syzygyMaxMen() {
    std::shared_lock<std::shared_mutex> read(lock_);
    return syzygy_.maxMen();
}

std::vector<std::string> EngineTablebases::syzygyProblems() {
    std::shared_lock<std::shared_mutex> read(lock_);
    return syzygy_.takeProblems();
}
