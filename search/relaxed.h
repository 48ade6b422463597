// A value that one thread writes and others read without a lock (settings, flags and
// limits shared between the command loop and the search threads). Relaxed order is
// enough: a reader that sees an old value for a moment only reacts a little later, and
// the hand-over of a search goes through a mutex anyway.
#pragma once

#include <atomic>

template <class T> class Relaxed {
public:
    constexpr Relaxed(T x = T()) : v_(x) {}
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
    T load() const { return v_.load(std::memory_order_relaxed); }
    void store(T x) { v_.store(x, std::memory_order_relaxed); }
    // One writer at a time: a load and a store, not an atomic read-modify-write.
    Relaxed &operator+=(T x) {
        store(T(load() + x));
        return *this;
    }

private:
    std::atomic<T> v_;
};
