// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Process entry of a packaged program, which carries the engine's code three times,
// compiled for the x86-64 baseline, for x86-64-v2 (population count, SSE4.2) and for
// x86-64-v3 (AVX2, BMI2). It runs the highest copy the processor offers, chosen once,
// before any of the engine's code or tables. GRELVIN_CPU names a lower level to run
// instead (on any machine, so that every copy can be tested); a level the processor
// lacks, or a name that is none of the three, is passed over.
//
// The build renames each copy's symbols with a suffix of its own (main becomes
// main.x86_64_v3 and so on; scripts/level-objects.sh), so the copies share nothing and
// the copies not chosen are never entered. None of them runs code before main.
#include <cstdlib>
#include <cstring>

int mainX86_64(int argc, char **argv) __asm__("main.x86_64");
int mainX86_64V2(int argc, char **argv) __asm__("main.x86_64_v2");
int mainX86_64V3(int argc, char **argv) __asm__("main.x86_64_v3");

namespace {

struct Level {
    const char *name;
    bool offered;
    int (*entry)(int, char **);
};

}  // namespace

int main(int argc, char **argv) {
    __builtin_cpu_init();
    const Level levels[] = {
        {"x86-64-v3", bool(__builtin_cpu_supports("x86-64-v3")), mainX86_64V3},
        {"x86-64-v2", bool(__builtin_cpu_supports("x86-64-v2")), mainX86_64V2},
        {"x86-64", true, mainX86_64},
    };
    const char *forced = std::getenv("GRELVIN_CPU");
    bool reached = true;  // at or below the forced level
    for (const Level &level : levels)
        if (forced && std::strcmp(forced, level.name) == 0) reached = false;
    for (const Level &level : levels) {
        if (!reached && std::strcmp(forced, level.name) == 0) reached = true;
        if (reached && level.offered) return level.entry(argc, argv);
    }
    return mainX86_64(argc, argv);
}
