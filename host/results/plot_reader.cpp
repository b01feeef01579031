#include "results/plot_reader.h"

#include <cmath>
#include <optional>

#include "results/search_outcome.h"
#include "results/text_fields.h"
#include "results/trial_sample.h"

namespace scarpex_host {

namespace {

// Every drawing starts with this many lines of fixed values (two counts and 13 reals).
constexpr int kFixedBlockLines = 15;
const std::vector<int> kHeaderInts = {5, 5, 5};
const std::vector<int> kHeaderReals = {12, 12, 12, 12, 12, 12};
const std::vector<int> kBoundaryStart = {10, 10, 5, 5};
const std::vector<int> kPoint12 = {12, 12};
const std::vector<int> kPoint15 = {15, 15};
const std::vector<int> kSurfaceResult = {15, 15, 15, 15};
const std::vector<int> kTrialResult = {15, 15, 15, 15, 15};
// Slice rows: index (1X,I3), 3X, x (F9.4), then values of 1X,1PE10.3 (INX: 2X,F9.4).
const std::vector<int> kInfRow = {4, 12, 11, 11, 11, 11, 11, 11, 11, 11};
const std::vector<int> kInsRow = {4, 12, 11, 11, 11, 11};
const std::vector<int> kInxRow = {4, 12, 11};
const std::vector<int> kLotRow = {4, 11, 11, 11, 11};

class PlotReader {
 public:
  PlotReader(const std::string& file, std::string_view text) : in_(file, text) {}
  PlotReader(const std::string& file, std::istream& in) : in_(file, in) {}

  PlotData read() {
    if (in_.at_end()) in_.fail("the plot file is empty");
    // A run that ends while reading the header of its input writes END alone.
    if (trim(in_.peek()) == "END") {
      data_.ended = true;
      data_.lines = in_.line_number();
      return std::move(data_);
    }
    read_header();
    while (!in_.at_end()) {
      std::string_view line = in_.next("a record");
      // The line goes when the record's own lines are read: its tag is kept apart.
      std::string tag(trim(line));
      if (tag.empty()) continue;
      if (tag == "END") {
        data_.ended = true;
        break;
      }
      dispatch(tag, line);
      previous_tag_ = std::move(tag);
    }
    close_trials();
    data_.lines = in_.line_number();
    return std::move(data_);
  }

 private:
  void read_header() {
    std::vector<double> ints =
        in_.reals(in_.next("the frame line"), kHeaderInts, "three frame integers");
    for (std::size_t i = 0; i < 3; ++i) data_.frame.ints[i] = static_cast<int>(ints[i]);
    // A run that ends while reading the frame's values writes END after the three integers.
    if (trim(in_.peek()) == "END") return;
    std::vector<double> reals =
        in_.reals(in_.next("the frame values"), kHeaderReals, "six frame values");
    for (std::size_t i = 0; i < 6; ++i) data_.frame.reals[i] = reals[i];
  }

  void dispatch(std::string_view tag, std::string_view line) {
    if (tag == "NPL") return;
    if (parse_int(line)) return start_drawing();
    if (tag == "SRF") return read_specified_surface();
    if (tag == "SFS") return read_trial_surface();
    if (tag == "TNS") return read_critical_list();
    if (tag == "INF") return read_slice_forces();
    if (tag == "INS") return read_slice_stresses();
    if (tag == "INX") return read_slice_edges();
    if (tag == "LOT") return read_line_of_thrust();
    Drawing& d = current_drawing(tag);
    if (tag == "BND") return read_boundaries(d);
    if (tag == "WTR") return read_polylines(d.piezometric_surfaces, "piezometric surface");
    if (tag == "LMT") return read_outlines(d.limits, "limit");
    if (tag == "LDS") return read_outlines(d.loads, "load");
    if (tag == "TIE") return read_tiebacks(d);
    if (tag == "RNF") return read_polylines(d.reinforcement, "reinforcement layer");
    if (tag == "BLK") return read_outlines(d.boxes, "box");
    in_.fail("unknown record \"" + std::string(tag) + "\"");
  }

  // The fixed block that opens a drawing; its first line has been read.
  void start_drawing() {
    for (int i = 1; i < kFixedBlockLines; ++i) {
      std::string_view line = in_.next("the fixed block of a drawing");
      if (!parse_real(line)) in_.fail("expected a value of the fixed block of a drawing");
    }
    bool closing_search = !data_.analyses.empty() &&
                          data_.analyses.back().kind == AnalysisKind::kSearch &&
                          !data_.analyses.back().critical_listed;
    if (closing_search) {
      // The second drawing of a search, before its list: the problem is unchanged.
      drawing_ = &scratch_;
      scratch_ = Drawing{};
      return;
    }
    close_trials();
    Analysis analysis;
    analysis.kind = AnalysisKind::kSearch;  // until an SRF record says otherwise
    if (pending_thrust_) analysis.line_of_thrust = std::move(pending_thrust_);
    pending_thrust_.reset();
    data_.analyses.push_back(std::move(analysis));
    drawing_ = &data_.analyses.back().drawing;
  }

  Drawing& current_drawing(std::string_view tag) {
    if (drawing_ == nullptr) in_.fail("record " + std::string(tag) + " outside a drawing");
    return *drawing_;
  }

  Analysis& current_analysis(const char* tag) {
    if (data_.analyses.empty()) in_.fail(std::string("record ") + tag + " before any drawing");
    return data_.analyses.back();
  }

  Point point(const std::vector<int>& widths, const char* what) {
    std::vector<double> v = in_.reals(in_.next(what), widths, what);
    return {v[0], v[1]};
  }

  Polyline points(int count, const std::vector<int>& widths, const char* what) {
    Polyline line;
    for (int i = 0; i < count; ++i) line.push_back(point(widths, what));
    return line;
  }

  int count(const char* what) { return in_.count_field(in_.next(what), what); }

  void read_boundaries(Drawing& d) {
    std::vector<double> first =
        in_.reals(in_.next("the first boundary line"), kBoundaryStart, "the first boundary line");
    int top = static_cast<int>(first[2]), total = static_cast<int>(first[3]);
    if (top < 0 || total < top || first[2] != top || first[3] != total) {
      in_.fail("boundary counts " + std::to_string(top) + " and " + std::to_string(total) +
               " do not fit together");
    }
    d.top_boundary_count = top;
    Point left{first[0], first[1]};
    d.ground_surface = {left};
    for (int i = 1; i <= top; ++i) {
      Point right = point(kPoint12, "a point of the ground surface");
      d.ground_surface.push_back(right);
      d.boundaries.push_back({i, true, left, right});
      left = right;
    }
    for (int i = top + 1; i <= total; ++i) {
      Point l = point(kPoint12, "the left end of a boundary");
      Point r = point(kPoint12, "the right end of a boundary");
      d.boundaries.push_back({i, false, l, r});
    }
  }

  void read_polylines(std::vector<Polyline>& lines, const char* what) {
    int n = count("the number of lines");
    for (int i = 0; i < n; ++i) lines.push_back(points(count("a point count"), kPoint12, what));
  }

  template <std::size_t N>
  void read_outlines(std::vector<std::array<Point, N>>& outlines, const char* what) {
    int n = count("the number of items");
    for (int i = 0; i < n; ++i) {
      std::array<Point, N> outline;
      for (Point& p : outline) p = point(kPoint12, what);
      outlines.push_back(outline);
    }
  }

  // The one record written partly in the user's frame: the engine draws a row's tail and
  // bonded length along its inclination as shown (mirrored, 180 degrees less), from the head
  // as stored. Read back, their offsets from the head are turned into the input's frame like
  // every other coordinate, so that the frame shows the row as entered.
  void read_tiebacks(Drawing& d) {
    std::size_t first = d.tiebacks.size();
    read_outlines(d.tiebacks, "tieback row");
    if (!data_.frame.mirrored()) return;
    // The points have four decimals (2F12.4); the reflection is rounded to them, adding no
    // binary residue (2 x 30 - 32.8978 is 27.1022, not 27.102200000000003).
    constexpr double kFourDecimals = 1e4;
    for (std::size_t i = first; i < d.tiebacks.size(); ++i) {
      std::array<Point, 3>& row = d.tiebacks[i];
      for (Point* p : {&row[1], &row[2]}) {
        p->x = std::round((2 * row[0].x - p->x) * kFourDecimals) / kFourDecimals;
      }
    }
  }

  static std::optional<Circle> circle_of(double x, double y, double radius) {
    if (radius == 0 || std::isnan(radius)) return std::nullopt;
    return Circle{x, y, radius};
  }

  void read_specified_surface() {
    Analysis& a = current_analysis("SRF");
    a.kind = AnalysisKind::kSpecified;
    int n = count("the point count of the surface");
    std::vector<double> r = in_.reals(in_.next("the surface result"), kSurfaceResult,
                                      "the factor of safety and the circle");
    a.surface = ResultSurface{r[0], circle_of(r[1], r[2], r[3]),
                              points(n, kPoint15, "a point of the surface")};
    drawing_ = nullptr;
  }

  void read_trial_surface() {
    Analysis& a = current_analysis("SFS");
    if (a.kind != AnalysisKind::kSearch) in_.fail("a trial surface outside a search");
    TrialSurface t;
    t.trial = count("the trial number");
    std::vector<double> counts =
        in_.free_reals(in_.next("the point count and status"), 2, "the point count and status");
    if (counts[0] < 0 || counts[0] != std::floor(counts[0])) in_.fail("a bad point count");
    t.solution_status = static_cast<int>(counts[1]);
    std::vector<double> r = in_.reals(in_.next("the trial result"), kTrialResult,
                                      "the factor of safety, circle and theta");
    t.factor_of_safety = r[0];
    t.circle = {r[1], r[2], r[3]};
    t.theta = r[4];
    t.points = points(static_cast<int>(counts[0]), kPoint15, "a point of the trial surface");
    sampled_analysis_ = data_.analyses.size() - 1;
    convergence_.add(t);
    sample_.add(std::move(t));
    drawing_ = nullptr;
  }

  // The trials of the search read so far go into its analysis: all or a sample, with the
  // series of the lowest factor found so far.
  void close_trials() {
    if (!sampled_analysis_) return;
    Analysis& a = data_.analyses[*sampled_analysis_];
    a.trial_records = sample_.records();
    a.trials_sampled = sample_.sampled();
    a.trials = sample_.take();
    a.convergence = convergence_.series();
    a.best_trial = convergence_.best_trial();
    sample_ = TrialSample();
    convergence_ = ConvergenceTracker();
    sampled_analysis_.reset();
  }

  void read_critical_list() {
    Analysis& a = current_analysis("TNS");
    a.kind = AnalysisKind::kSearch;
    int n = count("the number of listed surfaces");
    for (int k = 0; k < n; ++k) {
      int point_count = count("the point count of a listed surface");
      std::vector<double> r =
          in_.free_reals(in_.next("a listed result"), 4, "the factor of safety and the circle");
      a.critical.push_back(
          {r[0], circle_of(r[1], r[2], r[3]), points(point_count, kPoint12, "a listed point")});
    }
    a.critical_listed = true;
    drawing_ = nullptr;
  }

  SliceDetail& slice_detail(const char* tag) {
    Analysis& a = current_analysis(tag);
    if (!a.slices) a.slices = SliceDetail{};
    return *a.slices;
  }

  std::vector<double> slice_row(const std::vector<int>& widths, int index, const char* what) {
    std::vector<double> v = in_.reals(in_.next(what), widths, what);
    if (v[0] != index)
      in_.fail(std::string(what) + " numbered " + std::to_string(int(v[0])) + ", expected " +
               std::to_string(index));
    return v;
  }

  void read_slice_forces() {
    SliceDetail& s = slice_detail("INF");
    s = SliceDetail{};
    int n = count("the number of slices");
    for (int i = 1; i <= n; ++i) {
      std::vector<double> v = slice_row(kInfRow, i, "a slice row");
      SliceRow row;
      row.index = i;
      row.x_mid = v[1];
      row.weight = v[2];
      row.width = v[3];
      row.base_water_force = v[4];
      row.tie_normal_force = v[5];
      row.tie_shear_force = v[6];
      row.earthquake_horizontal = v[7];
      row.earthquake_vertical = v[8];
      row.load = v[9];
      s.rows.push_back(row);
    }
  }

  void read_slice_stresses() {
    SliceDetail& s = slice_detail("INS");
    for (SliceRow& row : s.rows) {
      std::vector<double> v = slice_row(kInsRow, row.index, "a slice stress row");
      row.base_total_stress = v[2];
      row.base_effective_stress = v[3];
      row.base_shear_stress = v[4];
      row.base_pore_pressure = v[5];
    }
  }

  void read_slice_edges() {
    SliceDetail& s = slice_detail("INX");
    s.edges.clear();
    for (int j = 1; j <= static_cast<int>(s.rows.size()) + 1; ++j) {
      std::vector<double> v = slice_row(kInxRow, j, "a slice edge row");
      s.edges.push_back({v[1], v[2]});
    }
  }

  // A LOT record right after the slice records belongs to their analysis; one elsewhere is
  // the line of thrust of a specified surface written before that surface's drawing.
  void read_line_of_thrust() {
    std::vector<double> head =
        in_.free_reals(in_.next("the count line"), 2, "the row count and theta");
    if (head[0] < 0 || head[0] != std::floor(head[0])) in_.fail("a bad row count");
    LineOfThrust lot;
    lot.theta = head[1];
    for (int i = 0; i < static_cast<int>(head[0]); ++i) {
      std::vector<double> v = slice_row(kLotRow, i, "a line-of-thrust row");
      lot.points.push_back({v[1], v[2], v[3], v[4]});
    }
    if (previous_tag_ == "INX" && !data_.analyses.empty()) {
      data_.analyses.back().line_of_thrust = std::move(lot);
    } else {
      pending_thrust_ = std::move(lot);
    }
  }

  LineCursor in_;
  PlotData data_;
  TrialSample sample_;
  ConvergenceTracker convergence_;
  std::optional<std::size_t> sampled_analysis_;  // the analysis whose trials are being read
  Drawing* drawing_ = nullptr;
  Drawing scratch_;
  std::string previous_tag_;
  std::optional<LineOfThrust> pending_thrust_;
};

}  // namespace

PlotData read_plot_file(const std::string& file, std::string_view text) {
  return PlotReader(file, text).read();
}

PlotData read_plot_file(const std::string& file, std::istream& in) {
  return PlotReader(file, in).read();
}

}  // namespace scarpex_host
