// The fuzz runner's program: options, the generators, the per-case bookkeeping, a watchdog
// for hangs and a last word on crashes. No <chrono> here: this file is compiled for CP932.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "Fuzz.h"
#include "text/TextTestUtil.h"
#include "text/sjis.h"

namespace fuzz {

// ---- Cases ------------------------------------------------------------------------------------

namespace {

std::uint64_t NameHash(const char* name) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (const char* p = name; *p; ++p) h = (h ^ static_cast<unsigned char>(*p)) * 0x100000001B3ull;
  return h;
}

std::uint64_t CaseSeed(const char* target, std::uint64_t seed, std::uint64_t index) {
  std::uint64_t state = seed ^ NameHash(target);
  state += SplitMix(state) ^ index;
  return SplitMix(state);
}

}  // namespace

Case::Case(const char* target, std::uint64_t seed, std::uint64_t index)
    : rng(CaseSeed(target, seed, index)), target_(target), seed_(seed), index_(index) {}

void Case::Input(const char* name, std::string_view bytes) { inputs_.emplace_back(name, Hex(bytes)); }

void Case::Input(const char* name, std::wstring_view text) { inputs_.emplace_back(name, "L " + Hex(text)); }

void Case::Input(const char* name, long long value) { inputs_.emplace_back(name, std::to_string(value)); }

void Case::InputReal(const char* name, double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  inputs_.emplace_back(name, text);
}

bool Case::Check(bool ok, const char* what, std::string_view got, std::string_view expected) {
  if (ok || !failure_.empty()) return ok;
  failure_ = what;
  if (!got.empty() || !expected.empty()) {
    failure_ += "\n      got      [" + Hex(got) + "]";
    failure_ += "\n      expected [" + Hex(expected) + "]";
  }
  return false;
}

bool Case::Check(bool ok, const char* what, std::wstring_view got, std::wstring_view expected) {
  if (ok || !failure_.empty()) return ok;
  failure_ = what;
  if (!got.empty() || !expected.empty()) {
    failure_ += "\n      got      [L " + Hex(got) + "]";
    failure_ += "\n      expected [L " + Hex(expected) + "]";
  }
  return false;
}

std::string Case::Describe() const {
  std::string out = std::string(target_) + " --seed " + std::to_string(seed_) + " --from " + std::to_string(index_);
  for (const auto& [name, hex] : inputs_) out += "\n      " + std::string(name) + ": [" + hex + "]";
  return out;
}

}  // namespace fuzz

namespace {

using fuzz::Case;
using fuzz::Target;

// What the watchdog and the crash handler read: the case being run and a count of the cases
// begun. 32-bit values only: a 64-bit one can be read half old, half new on this platform.
Case* volatile g_current = nullptr;
volatile LONG g_serial = 0, g_inCase = 0;
volatile LONG g_running = 1;
LONGLONG g_frequency = 1;
DWORD g_hangMs = 20000;

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double Ms(LONGLONG ticks) { return 1000.0 * static_cast<double>(ticks) / static_cast<double>(g_frequency); }

void LastWord(const char* what) {
  Case* c = g_current;
  std::printf("\n%s in %s\n", what, c ? c->Describe().c_str() : "(no case)");
  std::fflush(stdout);
}

// A case still running at each look for longer than the bound is a hang.
DWORD WINAPI Watchdog(void*) {
  LONG last = -1;
  DWORD stuckMs = 0;
  while (g_running) {
    Sleep(250);
    const LONG serial = g_serial;
    if (g_inCase && serial == last) {
      stuckMs += 250;
    } else {
      stuckMs = 0;
      last = serial;
    }
    if (stuckMs > g_hangMs) {
      LastWord("HANG (no end after the time bound)");
      TerminateProcess(GetCurrentProcess(), 3);
    }
  }
  return 0;
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
  char what[64];
  std::snprintf(what, sizeof what, "CRASH (exception %08lX)",
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
  LastWord(what);
  return EXCEPTION_EXECUTE_HANDLER;
}

struct Tally {
  std::uint64_t cases = 0, failures = 0;
  double totalMs = 0, slowestMs = 0;
  std::uint64_t slowest = 0;
  std::vector<std::string> shown;
};

void Usage() {
  std::printf(
      "fuzz [--seed N] [--count N] [--only NAME[,NAME...]] [--from I] [--show N] [--case-ms N] [--hang-ms N] "
      "[--list]\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t seed = 1, count = 1000, from = 0;
  std::string only;
  unsigned show = 3;
  double caseMs = 2000;  // one case taking longer is a failure; hangs end the run
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (!std::strcmp(argv[i], "--seed")) seed = std::strtoull(value(), nullptr, 10);
    else if (!std::strcmp(argv[i], "--count")) count = std::strtoull(value(), nullptr, 10);
    else if (!std::strcmp(argv[i], "--from")) from = std::strtoull(value(), nullptr, 10);
    else if (!std::strcmp(argv[i], "--only")) only = value();
    else if (!std::strcmp(argv[i], "--show")) show = static_cast<unsigned>(std::strtoul(value(), nullptr, 10));
    else if (!std::strcmp(argv[i], "--case-ms")) caseMs = std::strtod(value(), nullptr);
    else if (!std::strcmp(argv[i], "--hang-ms")) g_hangMs = static_cast<DWORD>(std::strtoul(value(), nullptr, 10));
    else if (!std::strcmp(argv[i], "--list")) list = true;
    else {
      Usage();
      return 2;
    }
  }

  std::vector<Target> targets;
  fuzz::AddTextTargets(targets);
  fuzz::AddEngineTargets(targets);
  fuzz::AddSettingsTargets(targets);
  fuzz::AddExifTargets(targets);
  if (list) {
    for (const Target& t : targets) std::printf("%s\n", t.name);
    return 0;
  }
  auto chosen = [&](const char* name) {
    if (only.empty()) return true;
    std::string names = "," + only + ",";
    return names.find("," + std::string(name) + ",") != std::string::npos;
  };

  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  g_frequency = f.QuadPart;
  SetUnhandledExceptionFilter(OnCrash);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);

  std::printf("fuzz: seed %llu, %llu cases per target from case %llu\n", static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(count), static_cast<unsigned long long>(from));
  std::fflush(stdout);
  std::uint64_t totalFailures = 0;
  const LONGLONG runStart = Now();
  for (const Target& t : targets) {
    if (!chosen(t.name)) continue;
    Tally tally;
    const std::uint64_t n = t.divisor > 1 ? (count + t.divisor - 1) / t.divisor : count;
    for (std::uint64_t k = from; k < from + n; ++k) {
      Case c(t.name, seed, k);
      g_current = &c;
      InterlockedIncrement(&g_serial);
      g_inCase = 1;
      const LONGLONG start = Now();
      try {
        t.run(c);
      } catch (const std::exception& e) {
        c.Check(false, (std::string("threw: ") + e.what()).c_str());
      } catch (...) {
        c.Check(false, "threw");
      }
      const double ms = Ms(Now() - start);
      g_inCase = 0;
      g_current = nullptr;
      if (!c.failed() && ms > caseMs) c.Check(false, ("took " + std::to_string(static_cast<long>(ms)) + " ms").c_str());
      ++tally.cases;
      tally.totalMs += ms;
      if (ms > tally.slowestMs) tally.slowestMs = ms, tally.slowest = k;
      if (c.failed()) {
        ++tally.failures;
        if (tally.shown.size() < show) tally.shown.push_back("  FAIL " + c.Describe() + "\n      " + c.failure());
      }
    }
    totalFailures += tally.failures;
    std::printf("%-12s %9llu cases%s %6llu failures  %8.1f s  slowest %.1f ms (case %llu)\n", t.name,
                static_cast<unsigned long long>(tally.cases),
                t.divisor > 1 ? (" (1/" + std::to_string(t.divisor) + ")").c_str() : "",
                static_cast<unsigned long long>(tally.failures), tally.totalMs / 1000.0, tally.slowestMs,
                static_cast<unsigned long long>(tally.slowest));
    for (const std::string& s : tally.shown) std::printf("%s\n", s.c_str());
    std::fflush(stdout);
  }
  g_running = 0;
  WaitForSingleObject(watchdog, 1000);
  CloseHandle(watchdog);
  std::printf("fuzz: %llu failures in %.1f s\n", static_cast<unsigned long long>(totalFailures),
              Ms(Now() - runStart) / 1000.0);
  return totalFailures ? 1 : 0;
}
