// A thread with a stack of its own size, for work that recurses deeply (the standard regex
// matcher recurses once per step), and the clock such work looks at.
#pragma once

#include <cstddef>
#include <cstdint>

namespace os {

// Runs work(arg, floor) on a new thread whose stack reserves `bytes`, and waits for it to end.
// `floor` is the lowest address the work's stack may reach and still have `spare` bytes left.
// False, with nothing run, when no such thread can be made. `work` must not throw.
bool RunWithStack(std::size_t bytes, std::size_t spare, void (*work)(void* arg, const char* floor),
                  void* arg);

// Milliseconds from any start (GetTickCount64).
std::uint64_t TickMs();

}  // namespace os
