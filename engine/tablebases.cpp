// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "engine/tablebases.h"

#include <mutex>

#include "search/tablebase_score.h"

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
