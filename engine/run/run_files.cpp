#include "run/run_files.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/fortran_format.h"

namespace scarpex {

namespace {

constexpr int32_t kNamesLines = 13;

std::string_view trim_right(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// Line 4 of names.dat is read in free format: its first word, ended by a blank, a comma or
// the end of the line, unless the word is enclosed in quotes.
std::string first_word(std::string_view line) {
  std::size_t start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) return std::string();
  char quote = line[start];
  if (quote == '\'' || quote == '"') {
    std::size_t close = line.find(quote, start + 1);
    if (close == std::string_view::npos) close = line.size();
    return std::string(line.substr(start + 1, close - start - 1));
  }
  std::size_t end = line.find_first_of(" ,", start);
  if (end == std::string_view::npos) end = line.size();
  return std::string(line.substr(start, end - start));
}

bool read_names_lines(const Engine& e, std::vector<std::string>& lines, std::string& why) {
  std::string text;
  if (e.env.in_memory) {
    text = e.env.names_text;
  } else {
    std::ifstream file(run_file_path(e, "names.dat"), std::ios::binary);
    if (!file) {
      why = "names.dat cannot be opened in " +
            (e.env.run_folder.empty() ? e.env.working_directory() : e.env.run_folder);
      return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
  }
  LineSource source;
  source.open_text(std::move(text));
  std::string line;
  while (static_cast<int32_t>(lines.size()) < kNamesLines && source.next_line(line)) {
    lines.push_back(line);
  }
  if (static_cast<int32_t>(lines.size()) < kNamesLines) {
    why = "names.dat holds " + std::to_string(lines.size()) + " lines; 13 are needed";
    return false;
  }
  return true;
}

void store_names(ProblemModel& m, const std::vector<std::string>& lines) {
  m.version_text.assign(lines[0]);
  m.identification_lines[0].assign(lines[1]);
  m.identification_lines[1].assign(lines[2]);
  m.identification_lines[2].assign(first_word(lines[3]));
  m.identification_lines[3].assign(lines[4]);
  m.prepared_by.assign(lines[5]);
  for (std::size_t i = 0; i < m.file_names.size(); ++i) m.file_names[i].assign(lines[6 + i]);
}

void report_open_failure(Engine& e, const std::string& message) {
  std::fprintf(stderr, "scarpex: %s\n", message.c_str());
  if (e.trace.is_open()) e.trace.line(" " + message);
}

bool open_output(Engine& e, TextSink& sink, FileNameLine line, std::string& failed) {
  if (e.env.in_memory) {
    sink.use_memory();
    return true;
  }
  std::string_view name = trim_right(e.model.file_names[line].view());
  std::string path = run_file_path(e, name);
  if (!name.empty() && sink.open_file(path)) return true;
  if (failed.empty()) failed = name.empty() ? "an output file name is blank" : path;
  return false;
}

}  // namespace

std::string run_file_path(const Engine& e, std::string_view name) {
  std::filesystem::path path{std::string(name)};
  if (path.is_absolute() || e.env.run_folder.empty()) return path.string();
  return (std::filesystem::path(e.env.run_folder) / path).string();
}

int32_t read_run_description(Engine& e) {
  std::vector<std::string> lines;
  std::string why;
  if (!read_names_lines(e, lines, why)) {
    report_open_failure(e, why);
    return kNamesFileFailure;
  }
  store_names(e.model, lines);

  std::string failed;
  bool input_ok = true;
  if (e.env.in_memory) {
    e.input.open_text(e.env.input_text);
  } else {
    // A missing input file is a failure, not an empty run.
    std::string_view name = trim_right(e.model.file_names[kInputName].view());
    input_ok = !name.empty() && e.input.open_file(run_file_path(e, name));
    if (!input_ok) failed = "input data file " + run_file_path(e, name);
  }
  bool outputs_ok = open_output(e, e.report, kReportName, failed);
  outputs_ok = open_output(e, e.plot, kPlotName, failed) && outputs_ok;
  outputs_ok = open_output(e, e.trace, kTraceName, failed) && outputs_ok;
  outputs_ok = open_output(e, e.status, kStatusName, failed) && outputs_ok;
  if (input_ok && outputs_ok) return kRunFilesOpen;

  report_open_failure(e, "cannot open the run file: " + failed);
  close_run_files(e);
  return kRunFileFailure;
}

void close_run_files(Engine& e) {
  e.input.close();
  e.report.close();
  e.plot.close();
  e.trace.close();
  e.status.close();
  e.console.flush();
}

void split_file_path(Engine& e, std::string_view name) {
  namespace fs = std::filesystem;
  ProblemModel& m = e.model;
  fs::path path{std::string(trim_right(name))};
  if (!path.is_absolute()) {
    fs::path base{e.env.working_directory()};
    if (!e.env.run_folder.empty()) base /= e.env.run_folder;
    path = base / path;
  }
  std::string full = path.lexically_normal().generic_string();
  std::size_t slash = full.rfind('/');
  std::string directory = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? full : full.substr(slash + 1);
  std::size_t dot = file.rfind('.');
  std::string extension = dot == std::string::npos ? std::string() : file.substr(dot);
  if (dot != std::string::npos) file.resize(dot);
  m.path_drive.assign("");  // no drive letters on this platform
  m.path_directory.assign(directory);
  m.path_name.assign(file);
  m.path_extension.assign(extension);
}

void write_report_banner(Engine& e) {
  static const FortranFormat kRule("(5X,73('='))");
  static const FortranFormat kVersion("(/,20X,'  Scarpex Version ',A)");
  static const FortranFormat kIdentification(
      "(/,20X,'Identification Word: ',A,/,20X,'Identification Line: ',A)");
  static const FortranFormat kTitles(
      "(/,20X,'      --Slope Stability Analysis--',/,"
      "20X,'   Simplified Janbu, Simplified Bishop',/,"
      "20X,'     or Spencer Method of Slices')");
  static const FortranFormat kIdentificationLines("(/,20X,'Identification:',/,30X,A,/,30X,A)");
  static const FortranFormat kPreparedBy("(/,/,5X,'This model was prepared by:',/,5X,A,/,/)");
  static const FortranFormat kEmpty("()");
  ProblemModel& m = e.model;
  kRule.write(e.report);
  kVersion.write(e.report, {m.version_text.trimmed()});
  kIdentification.write(e.report,
                        {m.identification_lines[2].trimmed(), m.identification_lines[3].trimmed()});
  kTitles.write(e.report);
  kIdentificationLines.write(
      e.report, {m.identification_lines[0].trimmed(), m.identification_lines[1].trimmed()});
  kEmpty.write(e.report);
  kRule.write(e.report);
  kPreparedBy.write(e.report, {m.prepared_by.trimmed()});

  static const FortranFormat kPath("(5X,'Path to file locations      : ',A,A)");
  static const FortranFormat kInput("(5X,'Name of input data file     : ',A,A)");
  static const FortranFormat kOutput("(5X,'Name of output file         : ',A,A)");
  static const FortranFormat kPlot("(5X,'Name of plot output file    : ',A,A)");
  split_file_path(e, m.file_names[kFullInputName].view());
  kPath.write(e.report, {m.path_drive.trimmed(), m.path_directory.trimmed()});
  kInput.write(e.report, {m.path_name.trimmed(), m.path_extension.trimmed()});
  split_file_path(e, m.file_names[kReportName].view());
  kOutput.write(e.report, {m.path_name.trimmed(), m.path_extension.trimmed()});
  split_file_path(e, m.file_names[kPlotName].view());
  kPlot.write(e.report, {m.path_name.trimmed(), m.path_extension.trimmed()});
  write_free_line(e.report);
  write_run_date(e);
}

void write_run_date(Engine& e) {
  static const FortranFormat kHeading(
      "(5X,73('-'),/,26X,'Time and Date of Analysis',/,5X,73('-'),/)");
  static const std::array<const char*, 12> kMonths = {
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  static const FortranFormat kDate(
      "(15X,'Date:  ',A,' ',I2.2,', ',I4,5X,'Time:  ',I2.2,':',I2.2,':',I2.2)");
  kHeading.write(e.report);
  std::tm now = e.env.local_time();
  int32_t month = now.tm_mon + 1;
  if (month < 1 || month > 12) return;
  kDate.write(e.report, {kMonths[static_cast<std::size_t>(month - 1)], now.tm_mday,
                         now.tm_year + 1900, now.tm_hour, now.tm_min, now.tm_sec});
}

}  // namespace scarpex
