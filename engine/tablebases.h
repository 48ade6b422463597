// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's tablebases as the search threads see them: the current handle behind a
// reader-writer lock, so "egtpath" and the tablebase options can replace it while a
// search runs. Probes hold the lock shared; a re-initialisation waits for the probes
// in progress, tears the old state down and builds the new one, and the search goes
// on probing the new tables (or none).
#pragma once

#include <memory>
#include <shared_mutex>
#include <string>

#include "search/search.h"
#include "tablebase/tablebase.h"

class EngineTablebases : public TablebaseProbe {
public:
    ~EngineTablebases() override;
    bool probe(const Board_BB64 &b, bool mayReadFiles, int &score) override;
    void initialise(const std::string &type, const std::string &directories, int cacheMB);

private:
    std::shared_mutex lock_;
    std::unique_ptr<TablebaseHandle> handle_;
};
