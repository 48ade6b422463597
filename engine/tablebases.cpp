// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "engine/tablebases.h"

#include <algorithm>
#include <mutex>

#include "search/tablebase_score.h"
#include "tablebase/syzygy_probe.h"

EngineTablebases::~EngineTablebases() {
    std::unique_lock<std::shared_mutex> write(lock_);
    handle_.reset();
}

bool EngineTablebases::probe(const Board_BB64 &b, bool mayReadFiles, int &score) {
    std::shared_lock<std::shared_mutex> read(lock_);
    return handle_ && handle_->isAvailable() && tablebaseScore(b, mayReadFiles, score);
}

void EngineTablebases::initialise(const std::string &type, const std::string &directories, int cacheMB) {
    std::unique_lock<std::shared_mutex> write(lock_);
    handle_.reset();
    handle_ = tbInitialise(type.c_str(), directories.c_str(), cacheMB);
}

int EngineTablebases::loadSyzygy(const std::string &folders) {
    std::unique_lock<std::shared_mutex> write(lock_);
    return syzygy_.load(folders);
}

int EngineTablebases::syzygyMaxMen() {
    std::shared_lock<std::shared_mutex> read(lock_);
    return syzygy_.maxMen();
}

SyzygyUse EngineTablebases::syzygyUse() {
    std::shared_lock<std::shared_mutex> read(lock_);
    SyzygyUse use;
    use.men = std::min(syzygy_.maxMen(), probeLimit_.load(std::memory_order_relaxed));
    use.depth = probeDepth_.load(std::memory_order_relaxed);
    use.fiftyMoveRule = fiftyMoveRule_.load(std::memory_order_relaxed);
    return use;
}

bool EngineTablebases::syzygyWdl(Board_BB64 &b, int &wdl) {
    std::shared_lock<std::shared_mutex> read(lock_);
    return szProbeWdl(syzygy_, b, wdl);
}

bool EngineTablebases::syzygyDtz(Board_BB64 &b, int &dtz) {
    std::shared_lock<std::shared_mutex> read(lock_);
    return szProbeDtz(syzygy_, b, dtz);
}

std::vector<std::string> EngineTablebases::syzygyProblems() {
    std::shared_lock<std::shared_mutex> read(lock_);
    return syzygy_.takeProblems();
}
