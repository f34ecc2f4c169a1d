// The rules get the platform's pieces before main, as the program hands them in at start.
#include "os/Collate.h"
#include "os/Thread.h"
#include "rules/Platform.h"

namespace {
const bool handedIn = (rules::SetPlatform({os::SortKey, os::RunWithStack, os::TickMs}), true);
}  // namespace
