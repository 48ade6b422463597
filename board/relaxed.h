// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A value that threads share without a lock: settings, flags and limits between the
// command loop and the search threads, node counters, and the words of the hash
// tables. Relaxed order is enough: a reader that sees an old value for a moment only
// reacts a little later, and the hand-over of a search goes through a mutex anyway.
//
// The value is a plain T accessed through std::atomic_ref, so the default constructor
// is trivial: a table of these in a zero-filled block from LargeTable is already a
// table of zeros, with no pass that constructs (and writes) every entry. Elsewhere
// give it an initial value.
#pragma once

#include <atomic>
#include <type_traits>

template <class T> class Relaxed {
    static_assert(std::atomic_ref<T>::is_always_lock_free);

public:
    Relaxed() = default;
    constexpr Relaxed(T x) : v_(x) {}
    Relaxed(const Relaxed &o) : v_(o.load()) {}
    Relaxed &operator=(const Relaxed &o) {
        store(o.load());
        return *this;
    }
    Relaxed &operator=(T x) {
        store(x);
        return *this;
    }
    operator T() const { return load(); }
    T load() const { return std::atomic_ref<T>(const_cast<T &>(v_)).load(std::memory_order_relaxed); }
    void store(T x) { std::atomic_ref<T>(v_).store(x, std::memory_order_relaxed); }
    // One writer at a time: a load and a store, not a locked read-modify-write.
    Relaxed &operator+=(T x) {
        store(T(load() + x));
        return *this;
    }
    void inc() { store(T(load() + 1)); }

private:
    alignas(std::atomic_ref<T>::required_alignment) T v_;
};

// A table word: zero in a new block, never constructed.
using SharedWord = Relaxed<uint64_t>;
static_assert(std::is_trivially_default_constructible_v<SharedWord> && std::is_trivially_destructible_v<SharedWord> &&
              sizeof(SharedWord) == 8);
