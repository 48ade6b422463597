// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Which instructions the running copy of the engine was compiled for. A packaged
// program carries its code once per level of the x86-64 instruction set and runs the
// highest copy the processor offers (platform/launcher/main.cpp); a build made for one
// machine carries one copy.
#pragma once

// "x86-64", "x86-64-v2" or "x86-64-v3" for a packaged copy, "native" for a build tuned
// to the machine that built it, "default" for one built with the compiler's defaults.
const char *codeLevel();
