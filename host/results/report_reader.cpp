#include "results/report_reader.h"

#include <algorithm>

#include "results/error_line_reader.h"
#include "results/text_fields.h"

namespace scarpex_host {

namespace {

constexpr std::string_view kAbortBanner = "EXECUTION OF SCARPEX ABORTED";
constexpr std::string_view kTitleCaption = "PROBLEM DESCRIPTION";
constexpr std::size_t kTitleColumn = 32;  // the title's two 40-character halves start here
constexpr std::size_t kTitleHalf = 40;
constexpr std::string_view kSpecifiedCaption = "* * Safety Factor Is Calculated By The ";
constexpr std::string_view kSearchCaption = "* * Safety Factors Are Calculated By ";
constexpr std::string_view kSearchHeading = "A Critical Failure Surface Searching Method";
constexpr std::string_view kListHeading = "Following Are Displayed The ";
constexpr std::string_view kNoSolution = "No solution was obtained for";
constexpr std::string_view kSpencerSummary = "***  FOS = ";
constexpr std::string_view kSpencerTheta = "Spencer`s Theta =";
constexpr std::string_view kThetaTable = "Spencer`s     FOS        FOS";
constexpr std::string_view kBetween = "Factor of Safety for the Preceding Surface is Between";
constexpr std::string_view kNegative = "Negative Factor Of Safety";
constexpr std::string_view kMisleading = "Misleading";
constexpr std::string_view kSpecifiedResult = "Factor Of Safety For The Preceding Specified";
constexpr std::string_view kTrialsRequested = "Trial Surfaces Will Be Generated.";
constexpr std::string_view kPerPoint = "Surfaces Initiate From Each Of";
constexpr std::string_view kInitiationRange = "Along The Ground Surface Between";
constexpr std::string_view kTerminationRange = "Each Surface Terminates Between";
constexpr std::string_view kRangeEnd = "and";
constexpr std::string_view kWaterUnitWeight = "Unit Weight of Water =";
constexpr std::string_view kInputFolder = "Path to file locations      : ";
constexpr std::string_view kInputName = "Name of input data file     : ";

// The number after "X =" (or "=") of a range line, before its unit label.
std::optional<double> value_after_equals(std::string_view line) {
  std::size_t at = line.find('=');
  if (at == std::string_view::npos) return std::nullopt;
  std::vector<std::string_view> words = split_blanks(line.substr(at + 1));
  return words.empty() ? std::nullopt : parse_real(words[0]);
}

std::string method_of_caption(std::string_view text) {
  if (text.find("Spencer") != std::string_view::npos) return "Spencer";
  if (text.find("Bishop") != std::string_view::npos) return "Modified Bishop";
  if (text.find("Janbu") != std::string_view::npos) return "Modified Janbu";
  return {};
}

void count_text(std::vector<CountedText>& list, std::string text, int number) {
  for (CountedText& entry : list) {
    if (entry.text == text && entry.number == number) {
      ++entry.count;
      return;
    }
  }
  list.push_back({std::move(text), number, 1});
}

class ReportReader {
 public:
  ReportData read(LineCursor& in) {
    while (!in.at_end()) {
      std::string_view raw = in.next("a line");
      std::string_view line = trim(raw);
      if (line.empty()) continue;
      if (errors_.take(in, raw)) continue;
      if (line.find(kAbortBanner) != std::string_view::npos) {
        data_.aborted = true;
      } else if (line.starts_with(kTitleCaption) && data_.title.empty()) {
        read_title(raw, in.peek());
      } else if (line.starts_with("Boundary     X-Left") && data_.unit_system.empty()) {
        read_units(in.peek());
      } else if (line.starts_with(kInputFolder) && data_.input_folder.empty()) {
        data_.input_folder = std::string(line.substr(kInputFolder.size()));
      } else if (line.starts_with(kInputName) && data_.input_name.empty()) {
        data_.input_name = std::string(line.substr(kInputName.size()));
      } else if (line.starts_with(kWaterUnitWeight)) {
        data_.water_unit_weight = value_after_equals(line);
      } else {
        read_analysis_line(line);
      }
    }
    data_.errors = std::move(errors_.errors());
    return std::move(data_);
  }

 private:
  void read_title(std::string_view line, std::string_view next) {
    auto half = [](std::string_view text) {
      std::string part(text.size() > kTitleColumn ? text.substr(kTitleColumn, kTitleHalf) : "");
      part.resize(kTitleHalf, ' ');
      return part;
    };
    // The second half always has a line of its own, indented to the title's column; it may
    // begin with a blank or be blank.
    bool continued = next.size() > kTitleColumn &&
                     next.substr(0, kTitleColumn).find_first_not_of(' ') == std::string_view::npos;
    data_.title = std::string(trim(half(line) + (continued ? half(next) : "")));
  }

  void read_units(std::string_view next) {
    std::vector<std::string_view> words = split_blanks(next);
    if (words.size() < 2) return;
    if (words[1] == "ft.") {
      data_.unit_system = "english", data_.length_unit = "ft";
    } else if (words[1] == "M") {
      data_.unit_system = "metric", data_.length_unit = "m";
    } else if (words[1] == "L") {
      data_.unit_system = "generic", data_.length_unit = "L";
    }
  }

  ReportAnalysis* current() { return data_.analyses.empty() ? nullptr : &data_.analyses.back(); }

  bool listing() {
    ReportAnalysis* a = current();
    return a && a->kind == AnalysisKind::kSearch && a->listed_expected >= 0 &&
           static_cast<int>(a->listed_fos.size()) < a->listed_expected;
  }

  void read_analysis_line(std::string_view line) {
    if (line.starts_with(kSpecifiedCaption)) {
      ReportAnalysis* last = current();
      // A surface given again before it was analysed replaces the earlier one.
      if (last && last->kind == AnalysisKind::kSpecified && !last->executed)
        data_.analyses.pop_back();
      ReportAnalysis a;
      a.method = method_of_caption(line);
      range_ = nullptr;
      data_.analyses.push_back(a);
      return;
    }
    if (line.starts_with(kSearchHeading)) {
      range_ = nullptr;  // points into the analyses, which this may move
      ReportAnalysis a;
      a.kind = AnalysisKind::kSearch;
      data_.analyses.push_back(a);
      return;
    }
    if (line.find("Technique For Generating") != std::string_view::npos && current() &&
        line.find("Circular") == std::string_view::npos) {
      current()->method = "Modified Janbu";  // irregular and block searches
      return;
    }
    ReportAnalysis* a = current();
    if (a == nullptr) return;
    if (a->kind == AnalysisKind::kSearch) return read_search_line(*a, line);
    read_specified_line(*a, line);
  }

  // The echo of the search's data items: the trials asked for and the two ranges, each range
  // on two lines ("... X = a" and "and X = b").
  bool read_search_setup(SearchSetup& setup, std::string_view line) {
    std::vector<std::string_view> words = split_blanks(line);
    if (line.find(kTrialsRequested) != std::string_view::npos) {
      setup.requested = parse_int(words[0]);
    } else if (line.find(kPerPoint) != std::string_view::npos) {
      setup.surfaces_per_point = parse_int(words[0]);
      std::size_t of = line.find(kPerPoint) + kPerPoint.size();
      std::vector<std::string_view> rest = split_blanks(line.substr(of));
      if (!rest.empty()) setup.point_count = parse_int(rest[0]);
    } else if (line.starts_with(kInitiationRange) || line.starts_with(kTerminationRange)) {
      range_ = line.starts_with(kInitiationRange) ? &setup.initiation : &setup.termination;
      range_start_ = value_after_equals(line);
    } else if (line.starts_with(kRangeEnd) && range_ != nullptr) {
      std::optional<double> end = value_after_equals(line);
      if (range_start_ && end) *range_ = std::array<double, 2>{*range_start_, *end};
      range_ = nullptr;
    } else {
      return false;
    }
    return true;
  }

  void read_search_line(ReportAnalysis& a, std::string_view line) {
    if (a.listed_expected < 0 && read_search_setup(a.setup, line)) return;
    if (line.starts_with(kListHeading)) {
      std::vector<std::string_view> words = split_blanks(line.substr(kListHeading.size()));
      a.listed_expected = words.empty() ? 0 : parse_int(words[0]).value_or(0);
      a.executed = true;
    } else if (line.starts_with(kNoSolution)) {
      a.listed_expected = 0;
      a.executed = true;
    } else if (line.starts_with(kSearchCaption)) {
      a.method = method_of_caption(line);
      a.spencer = a.method == "Spencer";
    } else if (listing()) {
      if (auto summary = summary_line(line)) {
        a.listed_fos.push_back(summary->first);
        a.listed_theta.push_back(summary->second.value_or(0));
      }
    }
  }

  void read_specified_line(ReportAnalysis& a, std::string_view line) {
    if (auto summary = summary_line(line)) {
      a.executed = true;
      a.factor_of_safety = summary->first;
      if (summary->second) {
        a.spencer = true;
        a.theta = summary->second;
      }
    } else if (line.starts_with(kThetaTable)) {
      a.executed = a.spencer = a.theta_table = true;
    } else if (line.starts_with(kSpencerTheta)) {
      a.theta_result = true;
      a.theta = parse_real(line.substr(kSpencerTheta.size()));
    } else if (line.starts_with(kBetween)) {
      a.executed = a.not_converged = true;
    } else if (line.starts_with(kNegative)) {
      a.executed = a.negative = true;
    } else if (line.find(kMisleading) != std::string_view::npos) {
      a.executed = a.misleading = true;
    } else if (line.starts_with(kSpecifiedResult)) {
      a.executed = true;
    }
  }

  // "*** 1.234   ***" or "***  FOS = 1.234   Spencer`s Theta = 14.37  ***": the factor of
  // safety and, with Spencer's method, theta.
  static std::optional<std::pair<double, std::optional<double>>> summary_line(
      std::string_view line) {
    if (!line.starts_with("***") || !line.ends_with("***") || line.size() < 8) return std::nullopt;
    if (line.starts_with(kSpencerSummary)) {
      std::string_view rest = line.substr(kSpencerSummary.size());
      std::size_t at = rest.find(kSpencerTheta);
      if (at == std::string_view::npos) return std::nullopt;
      auto fos = parse_real(rest.substr(0, at));
      auto theta = parse_real(
          rest.substr(at + kSpencerTheta.size(), rest.size() - at - kSpencerTheta.size() - 3));
      if (!fos || !theta) return std::nullopt;
      return std::make_pair(*fos, theta);
    }
    auto fos = parse_real(line.substr(3, line.size() - 6));
    if (!fos) return std::nullopt;
    return std::make_pair(*fos, std::optional<double>());
  }

  ReportData data_;
  std::optional<std::array<double, 2>>* range_ = nullptr;  // a range whose end line is next
  std::optional<double> range_start_;
  ErrorLineCollector errors_{"report"};
};

}  // namespace

ReportData read_report_file(const std::string& file, std::string_view text) {
  LineCursor in(file, text);
  return ReportReader().read(in);
}

ReportData read_report_file(const std::string& file, std::istream& text) {
  LineCursor in(file, text);
  return ReportReader().read(in);
}

namespace {

TraceData read_trace(LineCursor& in) {
  TraceData data;
  ErrorLineCollector errors("trace");
  while (!in.at_end()) {
    std::string_view raw = in.next("a line");
    std::string_view line = trim(raw);
    if (line.empty() || line.starts_with("iter=") || line.starts_with("spencer iter") ||
        line.starts_with("ntrial =") || line.find_first_not_of('*') == std::string_view::npos) {
      continue;
    }
    if (errors.take(in, raw)) continue;
    if (line.find(kAbortBanner) != std::string_view::npos) {
      data.aborted = true;
    } else {
      count_text(data.messages, std::string(line), 0);
    }
  }
  data.errors = std::move(errors.errors());
  return data;
}

StatusData read_status(LineCursor& in) {
  constexpr int kFirstTrial = 1;
  StatusData data;
  CountedText segment_outcome;  // number 0: none yet
  auto close_segment = [&] {
    if (segment_outcome.number != 0) data.outcomes.push_back(segment_outcome);
    segment_outcome = CountedText{};
  };
  while (!in.at_end()) {
    std::string_view line = trim(in.next("a line"));
    if (line.empty()) continue;
    if (line.starts_with("ntrial =")) {
      close_segment();
      // The number is an I5 field: asterisks beyond 99,999 go on counting the same analysis.
      if (data.runs.empty() || parse_int(line.substr(8)) == kFirstTrial) data.runs.emplace_back();
      data.runs.back().push_back(0);
      continue;
    }
    std::vector<std::string_view> words = split_blanks(line);
    std::optional<int> number = parse_int(words[0]);
    if (!number) in.fail("expected a status line (a number and a text)");
    std::string_view status_text = trim(line.substr(words[0].size()));
    count_text(data.lines, std::string(status_text), *number);
    data.last = CountedText{std::string(status_text), *number, 1};
    if (*number >= 1 && *number <= 3)
      segment_outcome = CountedText{std::string(status_text), *number, 1};
    if (*number >= 1 && *number <= 5 && !data.runs.empty() && !data.runs.back().empty())
      data.runs.back().back() = static_cast<unsigned char>(*number);
  }
  close_segment();
  return data;
}

}  // namespace

TraceData read_trace_file(const std::string& file, std::string_view text) {
  LineCursor in(file, text);
  return read_trace(in);
}

TraceData read_trace_file(const std::string& file, std::istream& text) {
  LineCursor in(file, text);
  return read_trace(in);
}

StatusData read_status_file(const std::string& file, std::string_view text) {
  LineCursor in(file, text);
  return read_status(in);
}

StatusData read_status_file(const std::string& file, std::istream& text) {
  LineCursor in(file, text);
  return read_status(in);
}

}  // namespace scarpex_host
