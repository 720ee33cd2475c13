// FormatAscii against the C library's snprintf, side by side, on the
// driver's own formats and on a mixed corpus, into 128-byte buffers. Each
// pair is checked to give the same text (line feeds aside: FormatAscii
// writes CR LF) before anything is timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "text/format.h"

namespace {

constexpr size_t kBufferSize = 128;

// Values read through DoNotOptimize so neither side is folded at compile time.
struct Values {
  int gib = 16;
  int speed = 6400;
  int version[6] = {1, 4, 2, 2, 10, 7};
  const char *chip = "8 GiB (Hive)";
  int raw = 6;
  long long big = -9876543210123LL;
  unsigned long long all_ones = ~0ULL;
  unsigned long long address = 0xFFFF00001234ABCDULL;
  unsigned hex = 0xDEADBEEF;
  int small = 42;
  int negative = -7;
  const char *name = "Vemko Tarsa Q4M";
  const char *word = "abcdefgh";
};

Values gValues;

using Call = int (*)(char *, const Values &);

struct Pair {
  const char *name;
  Call ours;
  Call theirs;
};

int Count(UINTN length) { return static_cast<int>(length); }

const Pair kPairs[] = {
    {"memory", [](char *b, const Values &v) { return Count(FormatAscii(b, kBufferSize, "%d GiB", v.gib)); },
     [](char *b, const Values &v) { return std::snprintf(b, kBufferSize, "%d GiB", v.gib); }},
    {"speed", [](char *b, const Values &v) { return Count(FormatAscii(b, kBufferSize, "%d MT/s", v.speed)); },
     [](char *b, const Values &v) { return std::snprintf(b, kBufferSize, "%d MT/s", v.speed); }},
    {"versions",
     [](char *b, const Values &v) {
       return Count(FormatAscii(b, kBufferSize, "Boot: v%d.%d.%d\nApp: v%d.%d.%d", v.version[0], v.version[1],
                                v.version[2], v.version[3], v.version[4], v.version[5]));
     },
     [](char *b, const Values &v) {
       return std::snprintf(b, kBufferSize, "Boot: v%d.%d.%d\nApp: v%d.%d.%d", v.version[0], v.version[1],
                            v.version[2], v.version[3], v.version[4], v.version[5]);
     }},
    {"chip", [](char *b, const Values &v) { return Count(FormatAscii(b, kBufferSize, "%a | (Raw Value: %d)", v.chip, v.raw)); },
     [](char *b, const Values &v) { return std::snprintf(b, kBufferSize, "%s | (Raw Value: %d)", v.chip, v.raw); }},
    {"mixed",
     [](char *b, const Values &v) {
       UINTN n = FormatAscii(b, kBufferSize, "%ld|%lu", v.big, v.all_ones);
       n += FormatAscii(b, kBufferSize, "%016lx %08x %x", v.address, v.hex, v.small);
       n += FormatAscii(b, kBufferSize, "[%-20a][%10.4a]", v.name, v.word);
       n += FormatAscii(b, kBufferSize, "%+5d %.5d %-6d|%05d", v.small, v.negative, v.small, v.negative);
       n += FormatAscii(b, kBufferSize, "PCB SKU: %a, %d MiB at %d MT/s", v.name, v.gib << 10, v.speed);
       return Count(n);
     },
     [](char *b, const Values &v) {
       int n = std::snprintf(b, kBufferSize, "%lld|%llu", v.big, v.all_ones);
       n += std::snprintf(b, kBufferSize, "%016llX %08X %X", v.address, v.hex, v.small);
       n += std::snprintf(b, kBufferSize, "[%-20s][%10.4s]", v.name, v.word);
       n += std::snprintf(b, kBufferSize, "%+5d %.5d %-6d|%05d", v.small, v.negative, v.small, v.negative);
       n += std::snprintf(b, kBufferSize, "PCB SKU: %s, %d MiB at %d MT/s", v.name, v.gib << 10, v.speed);
       return n;
     }},
};

std::string WithoutCarriageReturns(const char *text) {
  std::string out;
  for (; *text != 0; ++text) {
    if (*text != '\r') out.push_back(*text);
  }
  return out;
}

// Both sides must produce the same text (and length), or the timing
// compares different work.
void CheckPairs() {
  for (const Pair &pair : kPairs) {
    char ours[kBufferSize];
    char theirs[kBufferSize];
    const int ours_length = pair.ours(ours, gValues);
    const int theirs_length = pair.theirs(theirs, gValues);
    const std::string a = WithoutCarriageReturns(ours);
    if (a != theirs || ours_length - theirs_length != static_cast<int>(std::string(ours).size() - a.size())) {
      std::fprintf(stderr, "%s: FormatAscii gave \"%s\" (%d), snprintf \"%s\" (%d)\n", pair.name, ours, ours_length,
                   theirs, theirs_length);
      std::exit(1);
    }
  }
}

void Time(benchmark::State &state, Call call) {
  char buffer[kBufferSize];
  for (auto _ : state) {
    Values *values = &gValues;
    benchmark::DoNotOptimize(values);
    benchmark::DoNotOptimize(call(buffer, *values));
    benchmark::ClobberMemory();
  }
}

// Calls one side of one case `count` times, for an instruction count under
// callgrind (steady where timings on a shared machine are not): the
// difference between a run of N calls and a run of none, over N, is the
// instructions of one call.
int Repeat(const char *name, const char *side, long count) {
  for (const Pair &pair : kPairs) {
    if (std::string(pair.name) != name) {
      continue;
    }
    const Call call = std::string(side) == "snprintf" ? pair.theirs : pair.ours;
    char buffer[kBufferSize];
    for (long i = 0; i < count; ++i) {
      Values *values = &gValues;
      benchmark::DoNotOptimize(values);
      benchmark::DoNotOptimize(call(buffer, *values));
      benchmark::ClobberMemory();
    }
    return 0;
  }
  std::fprintf(stderr, "no case %s\n", name);
  return 2;
}

}  // namespace

// format_bench --repeat CASE FormatAscii|snprintf COUNT: no timing, only
// the calls. Without --repeat: the timed benchmark.
int main(int argc, char **argv) {
  CheckPairs();
  if (argc == 5 && std::string(argv[1]) == "--repeat") {
    return Repeat(argv[2], argv[3], std::atol(argv[4]));
  }
  for (const Pair &pair : kPairs) {
    benchmark::RegisterBenchmark((std::string(pair.name) + "/FormatAscii").c_str(), Time, pair.ours);
    benchmark::RegisterBenchmark((std::string(pair.name) + "/snprintf").c_str(), Time, pair.theirs);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
