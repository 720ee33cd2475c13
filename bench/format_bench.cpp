// SPDX-License-Identifier: BSD-2-Clause-Patent
// FormatAscii against the C library's snprintf, side by side, into 128-byte
// buffers: the driver's four formats, each over spreads of the argument
// values it meets (one case per format and spread), and a mixed corpus.
// A case cycles through its value sets round-robin, the same sets for both
// sides, so no single value set decides the figure. Each pair is checked
// to give the same text (line feeds aside: FormatAscii writes CR LF) on
// every value set before anything is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/format.h"

namespace {

constexpr size_t kBufferSize = 128;

// The arguments of one call: the integer fields in order, and the text of
// the chip format.
struct Values {
  int n[6];
  const char *text;
};

// The mixed corpus's arguments, the same on every call.
struct Mixed {
  long long big = -9876543210123LL;
  unsigned long long all_ones = ~0ULL;
  unsigned long long address = 0xFFFF00001234ABCDULL;
  unsigned hex = 0xDEADBEEF;
  int small = 42;
  int negative = -7;
  int mib = 16384;
  int speed = 6400;
  const char *name = "Vemko Tarsa Q4M";
  const char *word = "abcdefgh";
};
Mixed g_mixed;

using Call = int (*)(char *, const Values &);

struct Case {
  std::string name;  // "format/spread"
  Call ours;
  Call theirs;
  std::vector<Values> sets;
};

int Count(UINTN length) { return static_cast<int>(length); }

constexpr const char kVersions[] = "Boot: v%d.%d.%d\nApp: v%d.%d.%d";

int MemoryOurs(char *b, const Values &v) { return Count(FormatAscii(b, kBufferSize, "%d GiB", v.n[0])); }
int MemoryTheirs(char *b, const Values &v) { return std::snprintf(b, kBufferSize, "%d GiB", v.n[0]); }
int SpeedOurs(char *b, const Values &v) { return Count(FormatAscii(b, kBufferSize, "%d MT/s", v.n[0])); }
int SpeedTheirs(char *b, const Values &v) { return std::snprintf(b, kBufferSize, "%d MT/s", v.n[0]); }
int VersionsOurs(char *b, const Values &v) {
  return Count(FormatAscii(b, kBufferSize, kVersions, v.n[0], v.n[1], v.n[2], v.n[3], v.n[4], v.n[5]));
}
int VersionsTheirs(char *b, const Values &v) {
  return std::snprintf(b, kBufferSize, kVersions, v.n[0], v.n[1], v.n[2], v.n[3], v.n[4], v.n[5]);
}
int ChipOurs(char *b, const Values &v) {
  return Count(FormatAscii(b, kBufferSize, "%a | (Raw Value: %d)", v.text, v.n[0]));
}
int ChipTheirs(char *b, const Values &v) {
  return std::snprintf(b, kBufferSize, "%s | (Raw Value: %d)", v.text, v.n[0]);
}

// The mixed corpus ignores its value set: its arguments are gMixed's.
const Mixed &MixedValues() {
  const Mixed *values = &g_mixed;
  benchmark::DoNotOptimize(values);
  return *values;
}
int MixedOurs(char *b, const Values &) {
  const Mixed &v = MixedValues();
  UINTN n = FormatAscii(b, kBufferSize, "%ld|%lu", v.big, v.all_ones);
  n += FormatAscii(b, kBufferSize, "%016lx %08x %x", v.address, v.hex, v.small);
  n += FormatAscii(b, kBufferSize, "[%-20a][%10.4a]", v.name, v.word);
  n += FormatAscii(b, kBufferSize, "%+5d %.5d %-6d|%05d", v.small, v.negative, v.small, v.negative);
  n += FormatAscii(b, kBufferSize, "PCB SKU: %a, %d MiB at %d MT/s", v.name, v.mib, v.speed);
  return Count(n);
}
int MixedTheirs(char *b, const Values &) {
  const Mixed &v = MixedValues();
  int n = std::snprintf(b, kBufferSize, "%lld|%llu", v.big, v.all_ones);
  n += std::snprintf(b, kBufferSize, "%016llX %08X %X", v.address, v.hex, v.small);
  n += std::snprintf(b, kBufferSize, "[%-20s][%10.4s]", v.name, v.word);
  n += std::snprintf(b, kBufferSize, "%+5d %.5d %-6d|%05d", v.small, v.negative, v.small, v.negative);
  n += std::snprintf(b, kBufferSize, "PCB SKU: %s, %d MiB at %d MT/s", v.name, v.mib, v.speed);
  return n;
}

Values Ints(int a, int b = 0, int c = 0, int d = 0, int e = 0, int f = 0) { return {{a, b, c, d, e, f}, nullptr}; }
Values Label(const char *text, int raw) { return {{raw, 0, 0, 0, 0, 0}, text}; }

// Memory in GiB (a board's sizes), data rates in MT/s, PD controller
// versions (16-bit majors, 8-bit minors and patches), the memory-chip
// labels the driver prints with their strap values.
const std::vector<Case> kCases = {
    {"memory/1-digit", MemoryOurs, MemoryTheirs, {Ints(2), Ints(3), Ints(4), Ints(6), Ints(8)}},
    {"memory/2-digit", MemoryOurs, MemoryTheirs, {Ints(12), Ints(16), Ints(24), Ints(32), Ints(64)}},
    {"memory/3-digit", MemoryOurs, MemoryTheirs, {Ints(128), Ints(256), Ints(512)}},
    {"speed/4-digit", SpeedOurs, SpeedTheirs, {Ints(3200), Ints(4266), Ints(6400), Ints(7500), Ints(8533)}},
    {"speed/5-digit", SpeedOurs, SpeedTheirs, {Ints(10667), Ints(12800), Ints(17066)}},
    {"versions/1-digit",
     VersionsOurs,
     VersionsTheirs,
     {Ints(1, 4, 2, 2, 9, 7), Ints(0, 1, 0, 3, 0, 5), Ints(5, 5, 8, 1, 2, 3)}},
    {"versions/2-digit",
     VersionsOurs,
     VersionsTheirs,
     {Ints(10, 12, 34, 21, 99, 10), Ints(11, 22, 33, 44, 55, 66), Ints(98, 76, 54, 32, 10, 12)}},
    {"versions/3-digit",
     VersionsOurs,
     VersionsTheirs,
     {Ints(100, 200, 255, 128, 101, 199), Ints(512, 128, 100, 256, 255, 254), Ints(999, 111, 222, 333, 144, 155)}},
    {"versions/1-3-digit",
     VersionsOurs,
     VersionsTheirs,
     {Ints(100, 2, 3, 4, 5, 6), Ints(1, 23, 255, 12, 3, 100), Ints(256, 10, 7, 2, 128, 64), Ints(3, 0, 17, 300, 1, 9)}},
    {"chip/short",
     ChipOurs,
     ChipTheirs,
     {Label("4 GiB", 0), Label("2 GiB", 2), Label("8 GiB (Hive)", 6), Label("4 GiB (Hive)", 13)}},
    {"chip/long",
     ChipOurs,
     ChipTheirs,
     {Label("Development Sample", 15), Label("16 GiB (Rayson)", 12), Label("8 GiB (Samsung)", 11),
      Label("16 GiB (Hynix)", 10)}},
    {"mixed/corpus", MixedOurs, MixedTheirs, {Ints(0)}},
};

std::string WithoutCarriageReturns(const char *text) {
  std::string out;
  for (; *text != 0; ++text) {
    if (*text != '\r') out.push_back(*text);
  }
  return out;
}

// Both sides must produce the same text (and length) on every value set,
// or the timing compares different work.
void CheckCases() {
  for (const Case &c : kCases) {
    for (const Values &values : c.sets) {
      char ours[kBufferSize];
      char theirs[kBufferSize];
      const int ours_length = c.ours(ours, values);
      const int theirs_length = c.theirs(theirs, values);
      const std::string a = WithoutCarriageReturns(ours);
      if (a != theirs || ours_length - theirs_length != static_cast<int>(std::string(ours).size() - a.size())) {
        std::fprintf(stderr, "%s: FormatAscii gave \"%s\" (%d), snprintf \"%s\" (%d)\n", c.name.c_str(), ours,
                     ours_length, theirs, theirs_length);
        std::exit(1);
      }
    }
  }
}

// One call of one side on the next value set of the case, read through
// DoNotOptimize so that neither side is folded at compile time.
struct Cycle {
  const Case &c;
  Call call;
  size_t next = 0;

  void Once(char *buffer) {
    const Values *values = &c.sets[next];
    benchmark::DoNotOptimize(values);
    benchmark::DoNotOptimize(call(buffer, *values));
    benchmark::ClobberMemory();
    next = next + 1 == c.sets.size() ? 0 : next + 1;
  }
};

void Time(benchmark::State &state, const Case *c, Call call) {
  char buffer[kBufferSize];
  Cycle cycle{*c, call};
  for (auto _ : state) {
    cycle.Once(buffer);
  }
}

// Calls one side of one case `count` times, for an instruction count under
// callgrind (steady where timings on a shared machine are not): the
// difference between a run of N calls and a run of none, over N, is the
// instructions of one call.
int Repeat(const std::string &name, const std::string &side, long count) {
  for (const Case &c : kCases) {
    if (c.name != name) {
      continue;
    }
    char buffer[kBufferSize];
    Cycle cycle{c, side == "snprintf" ? c.theirs : c.ours};
    for (long i = 0; i < count; ++i) {
      cycle.Once(buffer);
    }
    return 0;
  }
  std::fprintf(stderr, "no case %s\n", name.c_str());
  return 2;
}

}  // namespace

// format_bench --list: the case names, one a line.
// format_bench --repeat CASE FormatAscii|snprintf COUNT: no timing, only the calls.
// Otherwise: the timed benchmark, Google Benchmark's options.
int main(int argc, char **argv) {
  CheckCases();
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const Case &c : kCases) std::printf("%s\n", c.name.c_str());
    return 0;
  }
  if (argc == 5 && std::string(argv[1]) == "--repeat") {
    return Repeat(argv[2], argv[3], std::atol(argv[4]));
  }
  for (const Case &c : kCases) {
    benchmark::RegisterBenchmark((c.name + "/FormatAscii").c_str(), Time, &c, c.ours);
    benchmark::RegisterBenchmark((c.name + "/snprintf").c_str(), Time, &c, c.theirs);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
