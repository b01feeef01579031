// Timings of the two hot paths of a search: writing formatted output lines, and analysing one
// surface from slicing to the factor of safety. Run with `make bench`.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/fortran_format.h"
#include "fos/analyse_surface.h"
#include "run/run_sequence.h"

using namespace scarpex;

namespace {

template <typename Work>
double nanoseconds_per_call(int calls, Work work) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) work(i);
  auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(stop - start).count() / calls;
}

std::string read_file(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  TextSink sink;
  sink.use_memory();
  static const FortranFormat kRow("(1X,I3,3X,F5.1,8(1X,1PE9.2))");
  double row = nanoseconds_per_call(200000, [&](int i) {
    kRow.write(sink, {i % 199, 1.5f * static_cast<float>(i), 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f,
                      8.0f, 9.0f});
  });
  std::printf("slice-table row (10 values): %8.0f ns\n", row);

  // A whole specified-surface run sets up the problem; then its surface is analysed again.
  const char* input = argc > 1 ? argv[1] : "examples/layered_slope.dat";
  Engine engine;
  engine.env.in_memory = true;
  engine.env.names_text = "BENCH\n\n\nW\n\n\nin.dat\nin.dat\nr\np\nt\nu\ns\n";
  engine.env.input_text = read_file(input);
  engine.console.use_memory();
  if (run_engine(engine) != 0 || engine.model.slices.slice_count == 0) {
    std::fprintf(stderr, "cannot run %s\n", input);
    return 1;
  }
  engine.model.stop_code = 0;
  engine.model.search_active = 1;  // no plot records per surface, as in a search
  double analysis = nanoseconds_per_call(20000, [&](int) {
    engine.model.stop_code = 0;
    analyse_surface(engine);
  });
  std::printf("analysis of one surface (%d slices): %8.0f ns\n", engine.model.slices.slice_count,
              analysis);
  return 0;
}
