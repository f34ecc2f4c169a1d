// Progress and cancelling of long work (an intake, a rename run) for the window, which shows
// the count and checks for Esc from inside the callback.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace disk {

// Reports how far long work is; returning false asks it to stop before the next item.
using Progress = std::function<bool(std::size_t done, std::size_t total)>;

// Calls a Progress after the first item, then about every 50 ms, and once at the end: often
// enough to answer Esc at once, rarely enough that reporting costs nothing. An empty Progress
// costs one test per item.
class ProgressGate {
 public:
  explicit ProgressGate(const Progress& progress) : progress_(progress) {}

  // After an item; false when the work is to stop.
  bool Step(std::size_t done, std::size_t total) {
    if (!progress_ || stopped_) return !stopped_;
    std::uint64_t now = GetTickCount64();
    if (done != 1 && now - last_ < kIntervalMs) return true;
    last_ = now;
    return Report(done, total);
  }

  // Once when the work ends, stopped or not.
  void Finish(std::size_t done, std::size_t total) {
    if (progress_) progress_(done, total);
  }

  bool stopped() const { return stopped_; }

 private:
  static constexpr std::uint64_t kIntervalMs = 50;

  bool Report(std::size_t done, std::size_t total) {
    if (!progress_(done, total)) stopped_ = true;
    return !stopped_;
  }

  const Progress& progress_;
  std::uint64_t last_ = 0;
  bool stopped_ = false;
};

}  // namespace disk
