// Compiles the embedded scenario and a generated 1000 km scenario end to end (read the
// descriptions, compile, write the files), beside a plain buffered write of the same bytes.
//
//   scenario_compile_bench [benchmark options]
//   scenario_compile_bench --write-scenario DIR   writes long_linea.txt and long_treno.txt into DIR
//   scenario_compile_bench --write-embedded DIR   writes the embedded scenario's two descriptions
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>

#include "bench/long_scenario.h"
#include "platform/folder_store.h"
#include "sources/line_content.h"
#include "sources/text_writer.h"
#include "sources/train_content.h"
#include "session/compile_pair.h"

namespace compactor::bench {
namespace {

namespace fs = std::filesystem;

// Rendered as the fixed-text writer renders a table (Windows-1252, CR LF), without the
// program's limit of 1000 lines: the long line has more.
void write_lines(const fs::path& path, const std::vector<std::string>& lines) {
  replace_file_atomically(path, render_line_table(lines));
}

// A scratch folder under $TMPDIR (or /tmp) holding one scenario's descriptions.
struct Workspace {
  explicit Workspace(const std::vector<std::string>& line, const std::vector<std::string>& train) {
    std::string templ = (fs::temp_directory_path() / "scenario-compile-bench.XXXXXX").string();
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir = templ;
    write_lines(dir / "line.txt", line);
    write_lines(dir / "train.txt", train);
  }
  ~Workspace() { fs::remove_all(dir); }
  CompileRequest request(const std::string& line_name, const std::string& train_number) const {
    CompileRequest r;
    r.line_description = dir / "line.txt";
    r.train_description = dir / "train.txt";
    r.line_name = line_name;
    r.train_number = train_number;
    r.out_dir = dir / "out";
    return r;
  }
  fs::path dir;
};

void compile_loop(benchmark::State& state, const Workspace& ws, const CompileRequest& request) {
  uint64_t bytes = 0;
  for (auto _ : state) {
    const CompileReport report = compile_pair(request);
    if (report.exit_status != 0) {
      state.SkipWithError(report.diagnostics.c_str());
      break;
    }
    bytes = 0;
    for (const auto& name : report.written) bytes += fs::file_size(ws.dir / "out" / name);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["bytes_written"] = static_cast<double>(bytes);
}

std::vector<std::string> lines_of(std::span<const std::string_view> content) {
  return {content.begin(), content.end()};
}

void BM_CompileEmbedded(benchmark::State& state) {
  const Workspace ws(lines_of(line_content()), lines_of(train_content()));
  compile_loop(state, ws, ws.request("Rovella_Tirsa", "7162"));
}

void BM_CompileLongLine(benchmark::State& state) {
  const LongScenario s = long_scenario();
  const Workspace ws(s.line, s.train);
  CompileRequest request = ws.request("Lunga_Linea", "1000");
  request.plot = state.range(0) != 0;
  compile_loop(state, ws, request);
}

// The reference: the same bytes (taken from one compile) written with a plain buffered
// write, with and without flushing them to the disk.
void BM_PlainWriteLongLine(benchmark::State& state) {
  const LongScenario s = long_scenario();
  const Workspace ws(s.line, s.train);
  const CompileReport report = compile_pair(ws.request("Lunga_Linea", "1000"));
  std::map<std::string, std::string> files;
  for (const auto& name : report.written) files[name] = *FolderStore(ws.dir / "out").read_file(name);
  const bool sync = state.range(0) != 0;
  uint64_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const auto& [name, content] : files) {
      std::FILE* f = std::fopen((ws.dir / ("plain_" + name)).c_str(), "wb");
      std::fwrite(content.data(), 1, content.size(), f);
      if (sync) {
        std::fflush(f);
        ::fsync(::fileno(f));
      }
      std::fclose(f);
      bytes += content.size();
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

BENCHMARK(BM_CompileEmbedded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileLongLine)->ArgName("plot")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWriteLongLine)->ArgName("fsync")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace compactor::bench

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-scenario") == 0) {
    const auto s = compactor::bench::long_scenario();
    std::filesystem::create_directories(argv[2]);
    compactor::bench::write_lines(std::filesystem::path(argv[2]) / "long_linea.txt", s.line);
    compactor::bench::write_lines(std::filesystem::path(argv[2]) / "long_treno.txt", s.train);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--write-embedded") == 0) {
    // The two descriptions the program writes and deletes again, as it writes them.
    std::filesystem::create_directories(argv[2]);
    const std::filesystem::path dir = argv[2];
    compactor::replace_file_atomically(dir / "Rovella_Tirsa_linea.txt",
                            compactor::render_line_table(compactor::fill_line_table(compactor::line_content())));
    compactor::replace_file_atomically(dir / "Rovella_Tirsa_7162-.txt",
                            compactor::render_line_table(compactor::fill_line_table(compactor::train_content())));
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
