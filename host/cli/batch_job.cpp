#include "cli/batch_job.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>

#include "cli/run_command.h"
#include "results/file_reading.h"
#include "views/atomic_file.h"
#include "views/number_text.h"

extern char** environ;

namespace scarpex_host {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

constexpr std::uintmax_t kLogCap = 1 << 20;
constexpr const char* kDocument = "result.json";
constexpr const char* kInterruptedNote = "INTERRUPTED";

// The name of an input's run folder: its stem, unless that would lead elsewhere ("..", ".",
// nothing) or hold a separator.
std::string folder_name(const std::string& input) {
  std::string stem = fs::path(input).stem().string();
  if (stem.empty() || stem == "." || stem == ".." || stem.find('/') != std::string::npos)
    return "run";
  return stem;
}

// The last "scarpex: ..." line of the child's output says why it failed.
std::string failure_message(const BatchJob& job) {
  FileText log = read_regular_file(job.folder / "host.log", kLogCap);
  std::string message;
  if (!log.text) return message;
  std::size_t pos = 0;
  while (pos < log.text->size()) {
    std::size_t end = log.text->find('\n', pos);
    if (end == std::string::npos) end = log.text->size();
    std::string line = log.text->substr(pos, end - pos);
    if (line.rfind("scarpex: ", 0) == 0) message = line.substr(9);
    pos = end + 1;
  }
  return message;
}

std::string reasons_of(const json& results) {
  std::string text;
  for (const json& reason : results["incomplete_reasons"]) {
    if (reason.is_string()) text += (text.empty() ? "" : "; ") + reason.get<std::string>();
  }
  return text;
}

std::string first_warning_of(const json& results) {
  const json& warnings = results["warnings"];
  if (!warnings.is_array() || warnings.empty() || !warnings[0]["message"].is_string()) return "";
  std::string text = warnings[0]["message"].get<std::string>();
  if (warnings.size() > 1) text += " (and " + std::to_string(warnings.size() - 1) + " more)";
  return text;
}

// The document's head: everything but its analyses, which hold the bulk of a big search and
// are only passed on, never looked into.
json document_head(const std::string& text) {
  json::parser_callback_t skip_analyses = [](int depth, json::parse_event_t event, json& parsed) {
    return !(depth == 1 && event == json::parse_event_t::key && parsed == "analyses");
  };
  return json::parse(text, skip_analyses, false);
}

// The document on one line: a line break can only stand between tokens of a JSON text.
std::string one_line(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  return text;
}

}  // namespace

std::vector<BatchJob> plan_jobs(const std::vector<std::string>& inputs, const fs::path& out) {
  std::vector<BatchJob> jobs;
  std::set<std::string> used;
  for (const std::string& input : inputs) {
    const std::string stem = folder_name(input);
    std::string name = stem;
    for (int k = 2; used.count(name) != 0; ++k) name = stem + "-" + std::to_string(k);
    used.insert(name);
    BatchJob job;
    job.index = jobs.size() + 1;
    job.input = input;
    job.folder = out / name;
    jobs.push_back(std::move(job));
  }
  return jobs;
}

bool start_job(BatchJob& job, const fs::path& self, const HostOptions& options, int threads) {
  std::error_code error;
  fs::create_directories(job.folder, error);
  if (error) {
    job.outcome = "failed";
    job.message = "cannot make " + job.folder.string() + ": " + error.message();
    return false;
  }
  std::vector<std::string> args = {self.string(), job.input,
                                   "--out",       job.folder.string(),
                                   "--json",      (job.folder / kDocument).string()};
  if (options.strict) args.push_back("--strict");
  if (options.refine) args.push_back("--refine");
  args.push_back("--threads");
  args.push_back(std::to_string(threads));
  if (!options.library.empty()) {
    args.push_back("--library");
    args.push_back(options.library);
  }
  fs::remove(job.folder / kDocument, error);
  fs::remove(job.folder / kInterruptedNote, error);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string log = (job.folder / "host.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // A process group of its own: a signal to the batch does not reach the runs, which the
  // batch then stops itself, with whatever they started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  int failed = posix_spawn(&job.pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    job.outcome = "failed";
    job.message = std::string("cannot start a run: ") + std::strerror(failed);
    job.pid = -1;
    return false;
  }
  return true;
}

void finish_job(BatchJob& job, int wait_status) {
  FileText document = read_regular_file(job.folder / kDocument, kResultsFileCap);
  json head;
  if (document.text) {
    head = document_head(*document.text);
    if (head.is_object()) job.document = one_line(std::move(*document.text));
  }
  if (head.is_object()) {
    const json& summary = head["summary"];
    if (summary["method"].is_string()) job.method = summary["method"].get<std::string>();
    if (summary["factor_of_safety"].is_number())
      job.fos = summary["factor_of_safety"].get<double>();
  }
  if (WIFSIGNALED(wait_status)) {
    job.outcome = "crashed";
    job.message = std::string("signal ") + std::to_string(WTERMSIG(wait_status)) + " (" +
                  strsignal(WTERMSIG(wait_status)) + ")";
    return;
  }
  job.exit_status = WEXITSTATUS(wait_status);
  if (job.exit_status == kExitNoRun || !head.is_object()) {
    job.outcome = "failed";
    job.message = failure_message(job);
    return;
  }
  job.outcome = head["verdict"].is_string() ? head["verdict"].get<std::string>() : "failed";
  if (job.exit_status == kExitIncomplete) job.outcome = "incomplete";  // --strict
  if (job.outcome == "incomplete") {
    job.message = reasons_of(head);
  } else if (job.outcome == "completed with warnings") {
    job.message = first_warning_of(head);
  } else if (job.outcome != "completed") {
    job.message = failure_message(job);
  }
}

void mark_interrupted(BatchJob& job) {
  job.outcome = "interrupted";
  job.message = "stopped before its run ended: its files are incomplete";
  job.document.clear();
  std::error_code error;
  fs::remove(job.folder / kDocument, error);
  std::string ignored;
  write_file_atomically(job.folder / kInterruptedNote,
                        "The batch was stopped while this run went on: the files in this folder "
                        "are the incomplete remains of that run.\n",
                        ignored);
}

bool completed(const BatchJob& job) {
  return job.outcome == "completed" || job.outcome == "completed with warnings";
}

std::string json_line(const BatchJob& job) {
  json line = {{"index", job.index},
               {"input", job.input},
               {"folder", job.folder.string()},
               {"outcome", job.outcome},
               {"exit_status", job.exit_status},
               {"message", job.message},
               {"results", nullptr}};
  std::string text = line.dump(-1, ' ', false, json::error_handler_t::replace);
  if (job.document.empty()) return text + "\n";
  // The document as the child wrote it, in place of the null: it is not parsed again.
  text.erase(text.size() - std::string("null}").size());
  return text + job.document + "}\n";
}

std::string line_of(const BatchJob& job) {
  std::string line = job.input + ": " + job.outcome;
  if (job.fos) line += ", FOS " + fixed_text(*job.fos, 3);
  if (!job.method.empty()) line += " (" + job.method + ")";
  if (!job.message.empty()) line += " - " + job.message;
  return terminal_text(line);
}

}  // namespace scarpex_host
