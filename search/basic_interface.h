// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A SearchInterface for one search thread without a clock limit: never times out and
// reports nothing. Used by the fixed-depth tools, the bench and the tests.
#pragma once

#include "search/search.h"

class BasicSearchInterface : public SearchInterface {
public:
    bool timeOut() override { return false; }
    void reportThinking(int, int, const PrincipalVariation &) override {}
    void searchFinished() override {}
};
