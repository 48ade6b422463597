// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's tablebases as the search threads see them: the current handle behind a
// reader-writer lock, so "egtpath" and the tablebase options can replace it while a
// search runs. Probes hold the lock shared; a re-initialisation waits for the probes
// in progress, tears the old state down and builds the new one, and the search goes
// on probing the new tables (or none).
#pragma once

#include <atomic>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include "search/search.h"
#include "tablebase/syzygy.h"
#include "tablebase/tablebase.h"

class EngineTablebases : public TablebaseProbe {
public:
    ~EngineTablebases() override;
    bool probe(const Board_BB64 &b, bool mayReadFiles, int &score) override;
    void initialise(const std::string &type, const std::string &directories, int cacheMB);

    // The Syzygy tables of the folders (SZ_PATH_SEPARATOR between them; empty: none).
    // Returns how many tables were found.
    int loadSyzygy(const std::string &folders);
    int syzygyMaxMen();
    void setSyzygyProbeDepth(int plies) { probeDepth_.store(plies, std::memory_order_relaxed); }
    void setSyzygyFiftyMoveRule(bool on) { fiftyMoveRule_.store(on, std::memory_order_relaxed); }
    void setSyzygyProbeLimit(int men) { probeLimit_.store(men, std::memory_order_relaxed); }
    SyzygyUse syzygyUse() override;
    bool syzygyWdl(Board_BB64 &b, int &wdl) override;
    bool syzygyDtz(Board_BB64 &b, int &dtz) override;
    // Files refused since the last call, each with its reason.
    std::vector<std::string> syzygyProblems();

private:
    std::shared_mutex lock_;
    std::unique_ptr<TablebaseHandle> handle_;
    SyzygyTables syzygy_;  // replaced only under the write lock
    std::atomic<int> probeDepth_{1};
    std::atomic<bool> fiftyMoveRule_{true};
    std::atomic<int> probeLimit_{SZ_MAX_MEN};
};
