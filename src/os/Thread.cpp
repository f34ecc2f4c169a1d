#include "os/Thread.h"

#include <windows.h>

#include "os/Handle.h"

namespace {

struct Start {
  void (*work)(void*, const char*);
  void* arg;
  std::size_t spare;
};

DWORD WINAPI ThreadMain(void* p) {
  const Start& start = *static_cast<const Start*>(p);
  // The stack grows down from the top of its reservation; its base is the reservation's start.
  MEMORY_BASIC_INFORMATION stack{};
  VirtualQuery(&stack, &stack, sizeof stack);
  start.work(start.arg, static_cast<const char*>(stack.AllocationBase) + start.spare);
  return 0;
}

}  // namespace

namespace os {

bool RunWithStack(std::size_t bytes, std::size_t spare, void (*work)(void*, const char*), void* arg) {
  Start start{work, arg, spare};
  os::unique_handle thread(
      CreateThread(nullptr, bytes, ThreadMain, &start, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
  if (!thread) return false;
  WaitForSingleObject(thread.get(), INFINITE);
  return true;
}

std::uint64_t TickMs() { return GetTickCount64(); }

}  // namespace os
