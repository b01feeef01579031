#include "run/command_loop.h"

#include <string>
#include <vector>

#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "fos/analyse_surface.h"
#include "input/command_readers.h"
#include "input/header_reader.h"
#include "output/slice_tables.h"
#include "search/search_driver.h"

namespace scarpex {

namespace {

enum Command : int {
  kProfil = 1,
  kLoads,
  kTies,
  kWater,
  kSurfac,
  kExecut,
  kEquake,
  kSoil,
  kRandom,
  kCircle,
  kCircl2,
  kBlock,
  kBlock2,
  kLimits,
  kAniso,
  kSurbis,
  kSpencr,
  kReinf
};

constexpr std::string_view command_entry(int n) {
  return kCommandTable.substr(static_cast<std::size_t>(6 * (n - 1)), 6);
}

// The enum numbers the commands by their place in the table, which the list of legal
// commands prints in order: the two must not drift apart.
static_assert(command_entry(kProfil) == "PROFIL" && command_entry(kLoads) == "LOADS " &&
              command_entry(kTies) == "TIES  " && command_entry(kWater) == "WATER " &&
              command_entry(kSurfac) == "SURFAC" && command_entry(kExecut) == "EXECUT" &&
              command_entry(kEquake) == "EQUAKE" && command_entry(kSoil) == "SOIL  " &&
              command_entry(kRandom) == "RANDOM" && command_entry(kCircle) == "CIRCLE" &&
              command_entry(kCircl2) == "CIRCL2" && command_entry(kBlock) == "BLOCK " &&
              command_entry(kBlock2) == "BLOCK2" && command_entry(kLimits) == "LIMITS" &&
              command_entry(kAniso) == "ANISO " && command_entry(kSurbis) == "SURBIS" &&
              command_entry(kSpencr) == "SPENCR" && command_entry(kReinf) == "REINF " &&
              kReinf == kCommandCount && kCommandTable.size() == 6 * kCommandCount);

// Position of the word in the command table (exact, case-sensitive), 0 when not found.
int find_command(std::string_view word) {
  for (int n = 1; n <= kCommandCount; ++n) {
    if (command_entry(n) == word) return n;
  }
  return 0;
}

void report_illegal_command(Engine& e) {
  static const FortranFormat kBanner(
      "('1',/,10X,'*****************************************',/,"
      "10X,'******  ',A6,'  - Illegal Command  ******',/,"
      "10X,'*****************************************',/)");
  static const FortranFormat kLegal("(/,/,10X,'Legal Commands - ',A6,/,(27X,A6))");
  kBanner.write(e.report, {e.model.command_word.view()});
  std::vector<FmtValue> entries;
  for (int n = 1; n <= kCommandCount; ++n) entries.emplace_back(command_entry(n));
  kLegal.write(e.report, entries);
  abort_run(e);
}

// A search command before any SOIL is reported but does not stop the search.
void check_soil_before_search(Engine& e) {
  if (e.model.soil_given != 1) write_error_line(e.report, "SQ05");
}

void read_spencer(Engine& e) {
  ProblemModel& m = e.model;
  m.spencer_method = 1;
  if (!read_real(e, m.spencer_value)) return;
  if (!(m.spencer_value > 0.0f) || m.spencer_value > 90.0f) {
    write_error_line(e.report, "SP01");
    abort_run(e);
  }
}

void execute(Engine& e) {
  ProblemModel& m = e.model;
  if (m.soil_given != 1) {
    write_error_line(e.report, "SQ02");
    abort_run(e);
    return;
  }
  if (m.specified_surface_given != 1) {
    stop_run(e);  // the normal end of an input file that has finished its searches
    return;
  }
  if (m.input_error_flag != 0) {
    abort_run(e);
    return;
  }
  analyse_surface(e);
  if (m.stop_code > 0) return;
  write_slice_tables(e);
  m.surface_analysed = 1;
}

void carry_out(Engine& e, int command) {
  ProblemModel& m = e.model;
  std::string_view word = command_entry(command);
  switch (command) {
    case kProfil:
      return read_profile(e);
    case kLoads:
      return read_loads(e);
    case kTies:
      return read_ties(e);
    case kWater:
      return read_water(e);
    case kEquake:
      return read_earthquake(e);
    case kSoil:
      return read_soils(e);
    case kLimits:
      return read_limits(e);
    case kReinf:
      return read_reinforcement(e);
    case kExecut:
      return execute(e);
    case kSpencr:
      return read_spencer(e);
    case kSurfac:
      if (m.surface_analysed == 1) m.bishop_method = 0;
      return read_specified_surface(e);
    case kSurbis:
      m.bishop_method = 1;
      m.surface_analysed = 0;
      return read_specified_surface(e);
    case kAniso:
      if (m.soil_given != 1) report_input_error(e, "SQ04");
      return read_anisotropy(e);
    case kRandom:
      check_soil_before_search(e);
      return run_search(e, word);
    case kCircle:
      m.circular_search = 1;
      if (m.surface_analysed == 1) m.bishop_method = 0;
      check_soil_before_search(e);
      return run_search(e, word);
    case kCircl2:
      m.bishop_method = 1;
      m.circular_search = 1;
      m.surface_analysed = 0;
      check_soil_before_search(e);
      return run_search(e, word);
    case kBlock:
      check_soil_before_search(e);
      m.block_search_switch = 1.0f;
      return run_search(e, word);
    case kBlock2:
      m.block2_mode = 1;
      check_soil_before_search(e);
      m.block_search_switch = 1.0f;
      return run_search(e, word);
    default:
      return;
  }
}

void read_commands(Engine& e) {
  ProblemModel& m = e.model;
  std::string line;
  for (;;) {
    m.line_loaded = 0;
    if (!e.input.next_line(line)) return;  // end of the input data file
    m.command_word.assign(line);
    std::string_view word = m.command_word.view();
    if (word == "      ") continue;
    if (m.first_command_seen == 0) {
      m.first_command_seen = 1;
      if (word != "PROFIL") report_input_error(e, "SQ01");
    }
    int command = find_command(word);
    if (command == 0) {
      report_illegal_command(e);
      return;
    }
    carry_out(e, command);
    if (m.stop_code > 0) return;
  }
}

}  // namespace

void run_command_loop(Engine& e) {
  if (read_input_header(e)) read_commands(e);
  // The end of the input file, and a command that leaves stop_code above 0 without ending
  // the run through abort_run or stop_run, still close the plot file with END.
  write_plot_end(e);
}

}  // namespace scarpex
