// Micro-benchmarks of the library on generated documents: loading (reading and
// parsing), loading that keeps nothing, parsing alone, saving, reading one named
// key and listing every key; and the floor of building a document in order.
// Arguments are the number of sections and of keys per section; 1000/20 is a
// 1 MB file and 20000/50 a 50 MB one, as in bench/compare.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <deque>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "documents.h"
#include "ini/IniFile.h"
#include "ini/blockResource.h"
#include "ops/operations.h"

namespace inikey::bench {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The tool never takes its document apart, so neither is that timed here.
void destroyUntimed(benchmark::State& state, std::unique_ptr<IniFile>& file) {
  state.PauseTiming();
  file.reset();
  state.ResumeTiming();
}

void loadFile(benchmark::State& state) {
  const std::string text = documentText(state.range(0), state.range(1));
  const std::string path = temporaryFile(text);
  for (auto _ : state) {
    auto file = std::make_unique<IniFile>(path);
    benchmark::DoNotOptimize(file->sections.size());
    destroyUntimed(state, file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The floor under loadFile: every line is read and trimmed, and nothing is stored,
// as in a read run that names a section the file does not have.
void loadNoSection(benchmark::State& state) {
  const std::string text = documentText(state.range(0), state.range(1));
  const std::string path = temporaryFile(text);
  for (auto _ : state) {
    const IniFile file(path, SectionFilter{{"absent", {}}});
    benchmark::DoNotOptimize(file.sections.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void parseLines(benchmark::State& state) {
  const std::string text = documentText(state.range(0), state.range(1));
  const std::vector<std::string> lines = linesOf(text);
  const std::string emptyPath = temporaryFile("");
  for (auto _ : state) {
    auto file = std::make_unique<IniFile>(emptyPath);
    file->parse(lines);
    benchmark::DoNotOptimize(file->sections.size());
    destroyUntimed(state, file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void saveFile(benchmark::State& state) {
  const std::string text = documentText(state.range(0), state.range(1));
  IniFile file(temporaryFile(text));
  for (auto _ : state) {
    file.save();
    if (file.saveError() != 0) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void readOneKey(benchmark::State& state) {
  const IniFile file(temporaryFile(documentText(state.range(0), state.range(1))));
  const ArgumentList arguments{lastKeyPath(state.range(0), state.range(1))};
  for (auto _ : state) readKeys(file, arguments, false);
}

void listEverything(benchmark::State& state) {
  const std::string text = documentText(state.range(0), state.range(1));
  const IniFile file(temporaryFile(text));
  std::deque<std::string> names;
  file.sectionNames(names);
  const ArgumentList arguments(names.begin(), names.end());
  for (auto _ : state) listSections(file, arguments, true);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The floor under loadFile for a document of any shape: its maps built front to back
// from names already in order, in an arena as the document's, with nothing read,
// parsed, sorted or merged. Arguments as for the shapes of bench/compare.sh:
// a million one-key sections, or one section of a million keys.
void buildInOrder(benchmark::State& state) {
  const auto name = [](const char* lead, int64_t number) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%07lld", lead, static_cast<long long>(number));
    return std::string(text);
  };
  std::vector<std::string> sectionNames, keyNames;
  for (int64_t i = 0; i < state.range(0); ++i) sectionNames.push_back(name("s", i));
  for (int64_t i = 0; i < state.range(1); ++i) keyNames.push_back(name("key", i));
  for (auto _ : state) {
    auto arena = std::make_unique<std::pmr::monotonic_buffer_resource>(blockResource());
    auto sections = std::make_unique<SectionMap>(arena.get());
    for (const std::string& section : sectionNames) {
      KeyMap& keys =
          sections->emplace_hint(sections->end(), std::string_view(section), KeyMap())->second;
      for (const std::string& key : keyNames) {
        keys.emplace_hint(keys.end(), std::string_view(key), "v0123456");
      }
    }
    benchmark::DoNotOptimize(sections->size());
    state.PauseTiming();
    sections.reset(), arena.reset();
    state.ResumeTiming();
  }
}

void documentSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Args({8, 8})->Args({1000, 20})->Args({20000, 50})->Unit(benchmark::kMicrosecond);
}

BENCHMARK(loadFile)->Apply(documentSizes);
BENCHMARK(loadNoSection)->Apply(documentSizes);
BENCHMARK(parseLines)->Apply(documentSizes);
BENCHMARK(saveFile)->Apply(documentSizes);
BENCHMARK(readOneKey)->Apply(documentSizes);
BENCHMARK(listEverything)->Apply(documentSizes);
BENCHMARK(buildInOrder)->Args({1'000'000, 1})->Args({1, 1'000'000})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace inikey::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The operations print their lines to stdout, which goes nowhere; the report
  // goes to standard error.
  benchmark::BenchmarkReporter* reporter = benchmark::CreateDefaultDisplayReporter();
  reporter->SetOutputStream(&std::cerr);
  reporter->SetErrorStream(&std::cerr);
  if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
  benchmark::RunSpecifiedBenchmarks(reporter);
  benchmark::Shutdown();
  return 0;
}
