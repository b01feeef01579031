#include "run/run_files.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/fortran_format.h"

namespace scarpex {

namespace {

namespace fs = std::filesystem;

constexpr int32_t kNamesLines = 13;
// The text lines of names.dat are kept to 255 characters (line 4's word may have 256).
constexpr std::size_t kNamesTextWidth = 255;

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

// Reads a whole regular file. A directory, device, pipe or socket is refused: read as a run
// file it would give an empty run, block, or never end.
bool read_regular_file(const std::string& path, std::string& text, std::string& why) {
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    why = "it does not exist";
    return false;
  }
  if (error) {  // a folder on the way that may not be searched, for one
    why = error.message();
    return false;
  }
  if (!fs::is_regular_file(status)) {
    why = "it is not a regular file";
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    why = std::error_code(errno, std::generic_category()).message();
    return false;
  }
  std::array<char, 1 << 16> chunk;
  std::size_t count = 0;
  while ((count = std::fread(chunk.data(), 1, chunk.size(), file)) > 0) {
    text.append(chunk.data(), count);
  }
  bool read_whole = std::ferror(file) == 0;
  if (!read_whole) why = std::error_code(errno, std::generic_category()).message();
  std::fclose(file);
  return read_whole;
}

bool read_names_lines(const Engine& e, std::vector<std::string>& lines, std::string& why) {
  std::string text;
  if (e.env.in_memory) {
    text = e.env.names_text;
  } else {
    std::string path = run_file_path(e, "names.dat");
    std::string reason;
    if (!read_regular_file(path, text, reason)) {
      why = "names.dat cannot be read in " +
            (e.env.run_folder.empty() ? e.env.working_directory() : e.env.run_folder) + ": " +
            reason;
      return false;
    }
  }
  LineSource source;
  source.open_text(std::move(text));
  std::string line;
  while (static_cast<int32_t>(lines.size()) < kNamesLines && source.next_line(line)) {
    // Hosts may separate words with tabs; names.dat takes them as blanks.
    std::replace(line.begin(), line.end(), '\t', ' ');
    lines.push_back(line);
  }
  if (static_cast<int32_t>(lines.size()) < kNamesLines) {
    why = "names.dat holds " + std::to_string(lines.size()) + " lines; 13 are needed";
    return false;
  }
  return true;
}

std::string_view text_field(const std::string& line) {
  return std::string_view(line).substr(0, kNamesTextWidth);
}

void store_names(ProblemModel& m, const std::vector<std::string>& lines) {
  m.version_text.assign(lines[0]);
  m.identification_lines[0].assign(text_field(lines[1]));
  m.identification_lines[1].assign(text_field(lines[2]));
  m.identification_lines[2].assign(first_word(lines[3]));
  m.identification_lines[3].assign(text_field(lines[4]));
  m.prepared_by.assign(lines[5]);
  for (std::size_t i = 0; i < m.file_names.size(); ++i) m.file_names[i].assign(lines[6 + i]);
}

void report_open_failure(Engine& e, const std::string& message) {
  std::fprintf(stderr, "scarpex: %s\n", message.c_str());
  if (e.trace.is_open()) e.trace.line(" " + message);
}

// The run files named by names.dat: the model's name slot, the line of names.dat and the role.
struct RunFile {
  FileNameLine slot;
  int32_t names_line;
  const char* role;
};
constexpr std::array<RunFile, 5> kRunFiles{{{kInputName, 8, "input data file"},
                                            {kReportName, 9, "report file"},
                                            {kPlotName, 10, "plot file"},
                                            {kTraceName, 11, "trace file"},
                                            {kStatusName, 13, "status file"}}};

std::string path_of(const Engine& e, FileNameLine slot) {
  return run_file_path(e, trim_right(e.model.file_names[slot].view()));
}

// Where a name leads: symbolic links and "." and ".." resolved as far as the path exists.
struct ResolvedFile {
  std::string description;
  fs::path path;
  bool exists = false;
  bool output = false;
  bool shareable = false;  // a device or pipe, which several outputs may write to
};

ResolvedFile resolve(std::string description, const std::string& name, bool output) {
  ResolvedFile file;
  file.description = std::move(description);
  file.output = output;
  std::error_code error;
  fs::path absolute = fs::absolute(name, error);
  if (error) absolute = name;
  file.path = fs::weakly_canonical(absolute, error);
  if (error) file.path = absolute.lexically_normal();
  fs::file_status status = fs::status(file.path, error);
  file.exists = !error && fs::exists(status);
  file.shareable = file.exists && !fs::is_regular_file(status) && !fs::is_directory(status);
  return file;
}

bool same_file(const ResolvedFile& a, const ResolvedFile& b) {
  if (a.exists && b.exists) {
    std::error_code error;
    bool same = fs::equivalent(a.path, b.path, error);  // hard links included
    if (!error) return same;
  }
  return a.path == b.path;
}

// An output over the input data file or names.dat would destroy them, and two outputs in one
// file would interleave into a broken one; only a device or pipe may take several outputs.
// Checked before any output is created or truncated, so that a clash touches nothing.
std::vector<std::string> find_clashing_files(const Engine& e) {
  std::vector<ResolvedFile> files;
  files.push_back(resolve("names.dat itself", run_file_path(e, "names.dat"), false));
  for (const RunFile& run_file : kRunFiles) {
    if (trim_right(e.model.file_names[run_file.slot].view()).empty()) continue;
    files.push_back(resolve(
        "names.dat line " + std::to_string(run_file.names_line) + " (" + run_file.role + ")",
        path_of(e, run_file.slot), run_file.slot != kInputName));
  }
  std::vector<std::string> clashes;
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (std::size_t j = i + 1; j < files.size(); ++j) {
      const ResolvedFile& a = files[i];
      const ResolvedFile& b = files[j];
      if (!a.output && !b.output) continue;
      if (a.shareable && b.shareable) continue;
      if (!same_file(a, b)) continue;
      clashes.push_back(a.description + " and " + b.description + " name the same file " +
                        b.path.string() + "; no file was opened");
    }
  }
  return clashes;
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

bool open_input(Engine& e, std::string& failed) {
  if (e.env.in_memory) {
    e.input.open_text(e.env.input_text);
    return true;
  }
  // A missing input file is a failure, not an empty run.
  std::string path = path_of(e, kInputName);
  std::string text;
  std::string why = "its name is blank";
  if (!trim_right(e.model.file_names[kInputName].view()).empty() &&
      read_regular_file(path, text, why)) {
    e.input.open_text(std::move(text));
    return true;
  }
  failed = "input data file " + path + " (" + why + ")";
  return false;
}

// The output files in the order they are closed, with the engine member that writes each.
struct OutputFile {
  TextSink Engine::*sink;
  FileNameLine slot;
  const char* role;
};
constexpr std::array<OutputFile, 4> kOutputFiles{{{&Engine::report, kReportName, "report file"},
                                                  {&Engine::plot, kPlotName, "plot file"},
                                                  {&Engine::trace, kTraceName, "trace file"},
                                                  {&Engine::status, kStatusName, "status file"}}};

void report_write_failure(Engine& e, const OutputFile& output) {
  const TextSink& sink = e.*output.sink;
  std::string message = std::string("cannot write the ") + output.role + " " +
                        path_of(e, output.slot) + " (" +
                        std::error_code(sink.write_error(), std::generic_category()).message() +
                        "); its contents are incomplete";
  std::fprintf(stderr, "scarpex: %s\n", message.c_str());
  if (e.trace.is_open() && !e.trace.write_failed()) e.trace.line(" " + message);
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

  if (!e.env.in_memory) {
    std::vector<std::string> clashes = find_clashing_files(e);
    for (const std::string& clash : clashes) report_open_failure(e, clash);
    if (!clashes.empty()) return kRunFileFailure;
  }

  // The outputs are opened even when the input cannot be read, so that the trace file can
  // say what went wrong.
  std::string failed;
  bool input_ok = open_input(e, failed);
  bool outputs_ok = open_output(e, e.report, kReportName, failed);
  outputs_ok = open_output(e, e.plot, kPlotName, failed) && outputs_ok;
  outputs_ok = open_output(e, e.trace, kTraceName, failed) && outputs_ok;
  outputs_ok = open_output(e, e.status, kStatusName, failed) && outputs_ok;
  if (input_ok && outputs_ok) return kRunFilesOpen;

  report_open_failure(e, "cannot open the run file: " + failed);
  close_run_files(e);
  return kRunFileFailure;
}

bool close_run_files(Engine& e) {
  e.input.close();
  // Everything is flushed first, so that a failure of any output is known while the trace
  // file can still take the message; then the files close in their usual order.
  for (const OutputFile& output : kOutputFiles) (e.*output.sink).flush();
  std::array<bool, kOutputFiles.size()> reported{};
  auto report_new_failures = [&] {
    for (std::size_t i = 0; i < kOutputFiles.size(); ++i) {
      if (reported[i] || !(e.*kOutputFiles[i].sink).write_failed()) continue;
      reported[i] = true;
      report_write_failure(e, kOutputFiles[i]);
    }
  };
  e.report.close();
  e.plot.close();
  report_new_failures();
  e.trace.close();
  e.status.close();
  report_new_failures();
  // Standard output belongs to the host, which may well run without one (a windowed
  // program); it carries only diagnostics of Spencer's method beside the run files, so
  // losing them is said but does not fail the run.
  e.console.flush();
  if (e.console.write_failed()) {
    std::fprintf(stderr, "scarpex: cannot write standard output\n");
  }
  return std::find(reported.begin(), reported.end(), true) == reported.end();
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
