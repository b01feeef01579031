#include "host_options.h"

#include <filesystem>

namespace scarpex_host {

namespace fs = std::filesystem;

std::string usage_text() {
  return "usage: scarpex INPUT.dat [--out DIR] [--library PATH] [banner options]\n"
         "       scarpex --names PATH/names.dat [--library PATH]\n"
         "\n"
         "Runs the slope stability engine on INPUT.dat: writes names.dat in DIR (default: the\n"
         "folder of INPUT.dat), calls the engine there and reports where the report, plot,\n"
         "trace and status files are and how the run ended. With --names, runs an existing\n"
         "names.dat in its own folder, as any host program would.\n"
         "\n"
         "  --out DIR          folder for names.dat and the output files\n"
         "  --library PATH     the engine library (default: beside this program, or the\n"
         "                     SCARPEX_LIBRARY environment variable)\n"
         "  --version-text T   banner texts written to names.dat: version (12 characters),\n"
         "  --id1 T, --id2 T   identification lines 2 and 3,\n"
         "  --id-word W        identification word (line 4),\n"
         "  --id3 T            identification line 5,\n"
         "  --prepared-by T    the person who prepared the model\n"
         "\n"
         "Exit status: 0 the run completed, 1 the run was aborted, 2 no run could be made.\n";
}

std::optional<HostOptions> parse_options(const std::vector<std::string>& args, std::string& error) {
  HostOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      target = args[++i];
      return true;
    };
    bool ok = true;
    if (arg == "-h" || arg == "--help") {
      options.show_help = true;
    } else if (arg == "--out") {
      ok = value(options.output_dir);
    } else if (arg == "--library") {
      ok = value(options.library);
    } else if (arg == "--names") {
      ok = value(options.names_file);
    } else if (arg == "--version-text") {
      ok = value(options.version_text);
    } else if (arg == "--id1") {
      ok = value(options.identification_1);
    } else if (arg == "--id2") {
      ok = value(options.identification_2);
    } else if (arg == "--id-word") {
      ok = value(options.identification_word);
    } else if (arg == "--id3") {
      ok = value(options.identification_3);
    } else if (arg == "--prepared-by") {
      ok = value(options.prepared_by);
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + arg;
      ok = false;
    } else if (options.input_file.empty()) {
      options.input_file = arg;
    } else {
      error = "more than one input file given";
      ok = false;
    }
    if (!ok) return std::nullopt;
  }
  if (options.show_help) return options;
  if (options.input_file.empty() == options.names_file.empty()) {
    error = "give either an input file or --names";
    return std::nullopt;
  }
  if (!options.names_file.empty() && !options.output_dir.empty()) {
    error = "--out does not apply to --names: the run takes place beside names.dat";
    return std::nullopt;
  }
  return options;
}

OutputNames output_names_for(const std::string& input_path) {
  std::string stem = fs::path(input_path).stem().string();
  return {stem + ".out", stem + ".plt", stem + ".trc", stem + ".sts"};
}

std::string names_file_text(const HostOptions& options, const std::string& input_path,
                            const OutputNames& outputs) {
  // The identification word is read as one free-format word: quote it when it holds blanks.
  std::string word = options.identification_word;
  if (word.find_first_of(" ,") != std::string::npos) word = "'" + word + "'";
  const std::string lines[] = {options.version_text,
                               options.identification_1,
                               options.identification_2,
                               word,
                               options.identification_3,
                               options.prepared_by,
                               input_path,
                               input_path,
                               outputs.report,
                               outputs.plot,
                               outputs.trace,
                               "",
                               outputs.status};
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace scarpex_host
