// A search thread: owns one search state and runs the search job in the background,
// so the command loop keeps reading input while the engine thinks.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "search/search.h"

class SearchThread {
public:
    explicit SearchThread(uint32_t index);
    ~SearchThread();
    SearchThread(const SearchThread &) = delete;
    SearchThread &operator=(const SearchThread &) = delete;

    SearchState &state() { return *state_; }
    // True from start() until the job, including playing its move, has finished.
    bool busy() const { return busy_.load(std::memory_order_acquire); }
    // Runs job on the thread; the previous job must have finished.
    void start(std::function<void()> job);
    // Tells a running search to stop without playing a move, and waits until idle.
    void stop();

private:
    void join();

    std::unique_ptr<SearchState> state_;  // large (a board with its history): on the heap
    std::thread thread_;
    std::atomic<bool> busy_{false};
};
