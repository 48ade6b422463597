// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard face's words for the developer tools' results: perft and divide, the
// self-test, test files, the evaluation table and the random-games statistics.
#pragma once

#include "board/castling.h"

struct EvalBreakdown;
struct PerftRun;
struct RandomGameStats;
struct SelfTestResult;
struct SelfTestSummary;
struct TestFileLine;

// A perft or divide run: the table's line the first time, the refusal or the counts by
// root move and the summary. False when the run was refused.
bool printPerftRun(const PerftRun &run, int depth, bool divide, const MoveNotation &notation);
// One self-test record (with the perft table's line the first time), then a flush.
void printSelfTestResult(const SelfTestResult &r);
// The two summary lines of a self-test.
void printSelfTestSummary(const SelfTestSummary &s);
// One line of a test-position file: its header and, when it did not parse, the error.
void printTestFileLine(const TestFileLine &line);
// The rule-framed table of terms, phase, scaling factor and total, written at once.
void printEvalBreakdown(const EvalBreakdown &e);
// The averages and tables of a finished random-games run.
void printRandomGameStats(const RandomGameStats &s);
