// names.dat, the five run files, the report banner and the date block.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/engine.h"

namespace scarpex {

// Outcomes of opening a run; 0 means the files are open.
inline constexpr int32_t kRunFilesOpen = 0;
inline constexpr int32_t kNamesFileFailure = 1;  // names.dat missing, unreadable or short
inline constexpr int32_t kRunFileFailure = 2;    // a run file could not be opened or clashes

// Reads the 13 lines of names.dat and opens the input data file and the four output files.
// Before any output file is created or truncated, the resolved paths are compared: the input
// data file, names.dat and each output must be distinct files (outputs may share a device
// such as /dev/null). On failure, says which file and why on standard error and (when open)
// in the trace file, closes whatever was opened, and returns the failure code.
int32_t read_run_description(Engine& e);

// Closes the five run files. Every output file whose writing, flushing or closing failed is
// named on standard error and, while it can still be written, in the trace file; the result is
// false when any output was not written completely.
bool close_run_files(Engine& e);

void write_report_banner(Engine& e);
void write_run_date(Engine& e);

// Resolves `name` against the working directory and splits it into drive (blank on this
// platform), directory, file name and extension, into the model's path fields.
void split_file_path(Engine& e, std::string_view name);

// The path a run file name is opened under (relative names are taken in the run folder).
std::string run_file_path(const Engine& e, std::string_view name);

}  // namespace scarpex
