#include "views/json_writer.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "views/error_text.h"

namespace scarpex_host {

namespace {

// Keys keep the order of the schema in the README.
using json = nlohmann::ordered_json;

// A value that did not fit its field in the file (NaN) or is infinite has no JSON number.
json number(double value) {
  return std::isfinite(value) ? json(value) : json(nullptr);
}

json optional_number(const std::optional<double>& value) {
  return value ? number(*value) : json(nullptr);
}

json point(Point p) {
  return json::array({number(p.x), number(p.y)});
}

template <typename Points>
json points(const Points& list) {
  json out = json::array();
  for (const Point& p : list) out.push_back(point(p));
  return out;
}

template <typename Lines>
json point_lists(const Lines& lines) {
  json out = json::array();
  for (const auto& line : lines) out.push_back(points(line));
  return out;
}

json circle(const std::optional<Circle>& c) {
  if (!c) return nullptr;
  return {{"x", number(c->x)}, {"y", number(c->y)}, {"radius", number(c->radius)}};
}

json drawing(const Drawing& d) {
  json boundaries = json::array();
  for (const Boundary& b : d.boundaries) {
    boundaries.push_back(
        {{"index", b.index}, {"top", b.top}, {"points", points(std::array{b.left, b.right})}});
  }
  return {{"ground_surface", points(d.ground_surface)},
          {"boundaries", boundaries},
          {"piezometric_surfaces", point_lists(d.piezometric_surfaces)},
          {"limits", point_lists(d.limits)},
          {"loads", point_lists(d.loads)},
          {"tiebacks", point_lists(d.tiebacks)},
          {"reinforcement", point_lists(d.reinforcement)},
          {"boxes", point_lists(d.boxes)}};
}

json result_surface(const ResultSurface& s) {
  return {{"factor_of_safety", number(s.factor_of_safety)},
          {"circle", circle(s.circle)},
          {"points", points(s.points)}};
}

json trials(const std::vector<TrialSurface>& list) {
  json out = json::array();
  for (const TrialSurface& t : list) {
    out.push_back(
        {{"trial", t.trial},
         {"solution_status", t.solution_status},
         {"factor_of_safety", number(t.factor_of_safety)},
         {"circle", circle(t.circle.radius != 0 ? std::optional(t.circle) : std::nullopt)},
         {"theta", number(t.theta)},
         {"points", points(t.points)}});
  }
  return out;
}

json slices(const std::optional<SliceDetail>& s) {
  if (!s) return nullptr;
  json rows = json::array();
  for (const SliceRow& r : s->rows) {
    rows.push_back({{"index", r.index},
                    {"x_mid", number(r.x_mid)},
                    {"width", number(r.width)},
                    {"weight", number(r.weight)},
                    {"base_water_force", number(r.base_water_force)},
                    {"tie_normal_force", number(r.tie_normal_force)},
                    {"tie_shear_force", number(r.tie_shear_force)},
                    {"earthquake_horizontal", number(r.earthquake_horizontal)},
                    {"earthquake_vertical", number(r.earthquake_vertical)},
                    {"load", number(r.load)},
                    {"base_total_stress", number(r.base_total_stress)},
                    {"base_effective_stress", number(r.base_effective_stress)},
                    {"base_shear_stress", number(r.base_shear_stress)},
                    {"base_pore_pressure", number(r.base_pore_pressure)}});
  }
  return {{"count", s->rows.size()}, {"rows", rows}, {"edges", points(s->edges)}};
}

json line_of_thrust(const std::optional<LineOfThrust>& lot) {
  if (!lot) return nullptr;
  json rows = json::array();
  for (const ThrustPoint& p : lot->points) {
    rows.push_back({{"x", number(p.x)},
                    {"y", number(p.y)},
                    {"ratio", number(p.ratio)},
                    {"side_force", number(p.side_force)}});
  }
  return {{"theta", number(lot->theta)}, {"points", rows}};
}

template <typename T>
json optional_value(const std::optional<T>& value) {
  return value ? json(*value) : json(nullptr);
}

json search_outcome(const std::optional<SearchOutcome>& o) {
  if (!o) return nullptr;
  return {{"requested", optional_value(o->requested)},
          {"analysed", o->analysed},
          {"generation_failed", o->generation_failed},
          {"skipped", o->skipped},
          {"not_converged", o->not_converged},
          {"negative", o->negative},
          {"ended_early", o->ended_early()},
          {"ended_at_trial", optional_value(o->ended_at_trial)},
          {"best_found_at_trial", optional_value(o->best_found_at_trial)},
          {"skipped_at_points", o->skipped_at_points}};
}

json convergence(const std::vector<ConvergencePoint>& series) {
  json out = json::array();
  for (const ConvergencePoint& p : series) out.push_back(json::array({p.trial, number(p.lowest)}));
  return out;
}

json text_or_null(const std::string& text) {
  return text.empty() ? json(nullptr) : json(text);
}

json analysis(const Analysis& a, std::size_t index) {
  bool search = a.kind == AnalysisKind::kSearch;
  json critical = json::array();
  for (std::size_t k = 0; k < a.critical.size(); ++k) {
    json entry = result_surface(a.critical[k]);
    entry["rank"] = k + 1;
    critical.push_back(entry);
  }
  return {{"index", index},
          {"kind", search ? "search" : "specified"},
          {"method", text_or_null(a.method)},
          {"base_method", text_or_null(a.base_method)},
          {"spencer", a.spencer},
          {"factor_of_safety", optional_number(a.factor_of_safety())},
          {"theta", optional_number(a.theta)},
          {"status", status_name(a.status)},
          {"misleading", a.misleading},
          {"drawing", drawing(a.drawing)},
          {"surface", a.surface ? result_surface(*a.surface) : json(nullptr)},
          {"trial_count", std::max<std::size_t>(a.trials.size(), a.trial_records)},
          {"trials", trials(a.trials)},
          {"trials_sampled", a.trials_sampled},
          {"critical_listed", a.critical_listed},
          {"critical", critical},
          {"search", search ? search_outcome(a.search) : json(nullptr)},
          {"convergence", search ? convergence(a.convergence) : json(nullptr)},
          {"slices", slices(a.slices)},
          {"line_of_thrust", line_of_thrust(a.line_of_thrust)}};
}

json refined(const std::optional<RefinedSurface>& r) {
  if (!r) return nullptr;
  return {{"factor_of_safety", number(r->factor_of_safety)},
          {"search_factor_of_safety", number(r->search_factor_of_safety)},
          {"method", text_or_null(r->method)},
          {"surface", points(r->points)},
          {"circle", circle(r->circle)},
          {"start_rank", r->start_rank},
          {"evaluations", r->evaluations},
          {"seconds", number(r->seconds)},
          {"report", r->report}};
}

json counted(const std::vector<CountedText>& list, bool numbered) {
  json out = json::array();
  for (const CountedText& entry : list) {
    json item = {{"text", entry.text}, {"count", entry.count}};
    if (numbered) item["number"] = entry.number;
    out.push_back(item);
  }
  return out;
}

}  // namespace

std::string results_json(const Results& r, int indent) {
  json analyses = json::array();
  for (std::size_t i = 0; i < r.analyses.size(); ++i)
    analyses.push_back(analysis(r.analyses[i], i + 1));
  json warnings = json::array();
  for (const Warning& w : r.warnings)
    warnings.push_back({{"code", w.code}, {"message", w.message}});
  json errors = json::array();
  for (const ErrorLine& e : r.errors) {
    errors.push_back({{"code", e.code},
                      {"detail", e.detail},
                      {"file", e.file},
                      {"line", e.line},
                      {"message", error_message(e)},
                      {"input_line", e.input_line ? json(*e.input_line) : json(nullptr)},
                      {"input_text", e.input_text ? json(*e.input_text) : json(nullptr)}});
  }
  const Analysis* head = r.headline();
  json summary = {
      {"method", head ? text_or_null(head->method) : json(nullptr)},
      {"factor_of_safety", head ? optional_number(head->factor_of_safety()) : json(nullptr)},
      {"theta", head ? optional_number(head->theta) : json(nullptr)},
      {"status", head ? status_name(head->status) : "unknown"},
      {"outcome", outcome_name(r.outcome())},
      {"trials", r.trial_count},
      {"error_codes", json::array()}};
  for (const ErrorLine& e : r.errors) summary["error_codes"].push_back(e.code);
  json document = {
      {"schema", "scarpex-results"},
      {"schema_version", kJsonSchemaVersion},
      {"files",
       {{"input", r.files.input},
        {"report", r.files.report},
        {"plot", r.files.plot},
        {"trace", r.files.trace},
        {"status", r.files.status}}},
      {"title", r.title},
      {"units", {{"system", text_or_null(r.unit_system)}, {"length", text_or_null(r.length_unit)}}},
      {"frame",
       {{"mirrored", r.frame.mirrored()},
        {"mirror_axis_x", r.frame.mirror_axis_x()},
        {"shift_x", r.frame.shift_x()},
        {"shift_y", r.frame.shift_y()},
        {"ints", r.frame.ints},
        {"reals", r.frame.reals}}},
      {"outcome", outcome_name(r.outcome())},
      {"aborted", r.aborted},
      {"plot_read", r.plot_read},
      {"summary", summary},
      {"analyses", analyses},
      {"errors", errors},
      {"status_lines", counted(r.status_lines, true)},
      {"last_status", r.last_status.number == 0
                          ? json(nullptr)
                          : json({{"number", r.last_status.number}, {"text", r.last_status.text}})},
      {"trace_messages", counted(r.trace_messages, false)},
      {"warnings", warnings},
      {"verdict", r.verdict()},
      {"incomplete_reasons", r.incomplete_reasons},
      {"refined", refined(r.refined)}};
  return document.dump(indent, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace scarpex_host
