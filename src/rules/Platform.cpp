#include "rules/Platform.h"

namespace rules {

namespace {
Platform current;
}  // namespace

void SetPlatform(const Platform& platform) { current = platform; }
const Platform& GetPlatform() { return current; }

}  // namespace rules
