// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "platform/code_level.h"

// The build names the level for this file alone.
const char *codeLevel() { return GRELVIN_CODE_LEVEL; }
