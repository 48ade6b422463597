// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's endgame tables: a set of Gaviota tables and a set of Syzygy tables, the
// one place that knows which of them covers a position, behind a reader-writer lock so
// "egtpath" and the tablebase options can replace them while a search runs. Probes
// hold the lock shared; loading waits for the probes in progress, and the search goes
// on probing the new tables (or none).
#pragma once

#include <atomic>
#include <shared_mutex>
#include <string>
#include <vector>

#include "search/search.h"
#include "tablebase/probe.h"
#include "tablebase/syzygy.h"

class EngineTablebases : public TablebaseProbe {
public:
    TbAnswer probe(Board_BB64 &b, const TbRequest &r) override;
    TablebaseUse use() override;

    // The Gaviota tables of the ";"-separated directories (none: no Gaviota tables) with
    // a cache of cacheMB megabytes. False, with no Gaviota tables, when the index tables
    // cannot be built.
    bool loadGaviota(const std::string &directories, int cacheMB);
    // The Syzygy tables of the folders (SZ_PATH_SEPARATOR between them; empty: none).
    // Returns how many tables were found.
    int loadSyzygy(const std::string &folders);
    int syzygyMaxMen();
    void setSyzygyProbeDepth(int plies) { probeDepth_.store(plies, std::memory_order_relaxed); }
    void setSyzygyFiftyMoveRule(bool on) { fiftyMoveRule_.store(on, std::memory_order_relaxed); }
    void setSyzygyProbeLimit(int men) { probeLimit_.store(men, std::memory_order_relaxed); }
    bool syzygyFiftyMoveRule() const { return fiftyMoveRule_.load(std::memory_order_relaxed); }
    // Files refused since the last call, each with its reason.
    std::vector<std::string> syzygyProblems();

private:
    // Whether each prober covers a position of `men` men (castling rights: neither).
    bool gaviotaCovers(const Board_BB64 &b, int men) const;
    bool syzygyCovers(const Board_BB64 &b, int men) const;
    TbAnswer probeGaviota(const Board_BB64 &b, bool mayReadFiles);
    TbAnswer probeSyzygy(Board_BB64 &b, bool dtz);

    std::shared_mutex lock_;
    GaviotaTables gaviota_;  // these two are replaced only under the write lock
    bool gaviotaLoaded_ = false;
    SyzygyTables syzygy_;
    std::atomic<int> probeDepth_{1};
    std::atomic<bool> fiftyMoveRule_{true};
    std::atomic<int> probeLimit_{SZ_MAX_MEN};
};
