// What the rules need of the platform and can't do themselves: the locale's order of names, a
// thread with a deep stack for the regular-expression matcher, and a clock. The program hands
// them in once at start; until then a list orders names by their bytes and the matcher has no
// thread to run on (every expression is refused as too complex).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rules {

struct Platform {
  // A name as a byte string that compares with memcmp in the locale's order.
  std::string (*sortKey)(std::wstring_view name) = nullptr;
  // Runs work(arg, floor) on a new thread whose stack reserves `bytes` and waits for it; `floor`
  // is the lowest address the work's stack may reach and still have `spare` bytes left. False,
  // with nothing run, when no such thread can be made.
  bool (*runWithStack)(std::size_t bytes, std::size_t spare, void (*work)(void* arg, const char* floor),
                       void* arg) = nullptr;
  // Milliseconds from any start.
  std::uint64_t (*tickMs)() = nullptr;
};

void SetPlatform(const Platform& platform);
const Platform& GetPlatform();

}  // namespace rules
