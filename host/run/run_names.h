// The names of the run files as the engine resolves them from names.dat, and the names.dat
// the host writes. Host and engine must agree on one rule, or the host reports on a file
// the engine never wrote:
//   - names.dat is split into lines at line feeds; one carriage return ending a line is
//     dropped and tabs count as blanks;
//   - a name keeps at most its first 255 characters; trailing blanks are dropped, leading
//     blanks are part of the name;
//   - a relative name is taken from the folder of names.dat (the engine's working folder).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "results/results.h"

namespace scarpex_host {

constexpr std::size_t kEngineNameLength = 255;
constexpr int kNamesLines = 13;

// Lines 1 to 6 of names.dat: the banner the engine prints at the head of the report.
struct Banner {
  std::string version_text = "2025";
  std::string identification_1 = "Scarpex command-line host";
  std::string identification_2 = "Slope stability analysis";
  std::string identification_word = "SCARPEX";
  std::string identification_3 = "Batch run";
  std::string prepared_by = "scarpex host";
};

// The four output file names derived from the input file's base name.
struct OutputNames {
  std::string report, plot, trace, status;
};
OutputNames output_names_for(const std::string& input_path);

// The identification word as names.dat must hold it for the engine to read it whole: quoted
// (with a quote it does not hold) when it has blanks or commas or begins with a quote. A word
// holding both quotes cannot be written.
std::string quoted_identification_word(const std::string& word);

// The 13 lines of names.dat for an input file given by its absolute path.
std::string names_file_text(const Banner& banner, const std::string& input_path,
                            const OutputNames& outputs);

// A names.dat line as the engine keeps it.
std::string engine_file_name(std::string_view line);

// Whether the engine reads `name` back unchanged from a names.dat line.
bool engine_keeps_name(std::string_view name);

// The run files named by names.dat, resolved against its folder; nothing (and `error` set)
// when names.dat cannot be read or is short.
std::optional<RunFiles> run_files_of(const std::filesystem::path& names_path, std::string& error);

}  // namespace scarpex_host
