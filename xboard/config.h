// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Start-up settings: the configuration file "grelvin.ini" and the command line.
#pragma once

#include <cstdio>
#include <string>

class ChessPlayer;

// Reads key = value lines into the player's settings; out-of-range values are reported
// and ignored, everything else unknown is skipped silently.
void readConfigFile(std::FILE *file, ChessPlayer &player);
// The one option, "-cores N"; anything else is reported and skipped.
void readCommandLine(int argc, const char *const argv[], ChessPlayer &player);
