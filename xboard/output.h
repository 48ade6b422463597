// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard face's words for the core's reports: thinking lines, the statistics
// block, the budget lines, stop reasons and results.
#pragma once

#include <cstdint>

#include "engine/listener.h"
#include "engine/settings.h"

// "depth score time nodes move move ...", no flush.
void printThinkingLine(uint32_t depth, int score, int32_t elapsedCs, uint64_t nodes, const PrincipalVariation &pv,
                       const MoveNotation &notation = {});

// The eight-line statistics block, then a flush.
void printStatistics(const StatsTotals &t, int32_t elapsedCs, double ttFillPercent, double pawnFillPercent,
                     uint64_t pawnHashHits);

void printBudget(const BudgetReport &b);
void printBudgetChange(BudgetChange change, int32_t maxTime);
void printTableSize(HashTableKind table, uint32_t sizeMB, bool allocated);
void printStopReason(StopReason reason, Move best, int plies, const MoveNotation &notation = {});
void printCores(const CoresReport &c);
// The result line of a finished game; nothing for GameEnd::NONE.
void printGameEnd(GameEnd end);
// A hash move that did not fit the position it was found for.
void printHashCollision(const Board_BB64 &b, Move move, bool pseudoLegal);
// A book read that failed, with the system's reason.
void printBookError(int errorNumber);
