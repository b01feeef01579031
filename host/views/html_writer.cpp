#include "views/html_writer.h"

#include <algorithm>
#include <cmath>

#include "views/convergence_svg.h"
#include "views/error_text.h"
#include "views/number_text.h"
#include "views/svg_writer.h"

namespace scarpex_host {

namespace {

constexpr const char* kStyle = R"(
body { font-family: sans-serif; margin: 24px; color: #222; max-width: 1100px; }
h1 { font-size: 22px; margin-bottom: 4px; }
h2 { font-size: 17px; margin-top: 28px; border-bottom: 1px solid #ccc; }
table { border-collapse: collapse; font-size: 13px; }
th, td { border: 1px solid #ccc; padding: 3px 8px; text-align: right; }
th { background: #f0f0f0; }
td.text, th.text { text-align: left; }
.outcome-completed { color: #1a7f37; font-weight: bold; }
.outcome-aborted { color: #b2182b; font-weight: bold; }
.picture svg { max-width: 100%; height: auto; border: 1px solid #ddd; }
.warning { color: #8a5a00; }
.warnings { background: #fff4d6; border: 1px solid #e0b040; padding: 4px 14px; margin: 12px 0; }
.warnings li { margin: 4px 0; }
.warnings code { color: #6b4a00; font-size: 12px; }
.outcome-incomplete { color: #b2182b; font-weight: bold; }
.outcome-completed-with-warnings { color: #8a5a00; font-weight: bold; }
table.errors code { white-space: pre; }
)";

// A CSS class name for a verdict: "completed with warnings" -> "completed-with-warnings".
std::string class_of(std::string text) {
  std::replace(text.begin(), text.end(), ' ', '-');
  return text;
}

std::string cell(const std::string& text, bool is_text = false) {
  return std::string(is_text ? "<td class=\"text\">" : "<td>") + xml_escape(text) + "</td>";
}

// The input line's number and its text as written, blanks kept.
std::string input_line_cell(const ErrorLine& e) {
  std::string number = e.input_line ? std::to_string(*e.input_line) + " " : "";
  std::string text = e.input_text ? "<code>" + xml_escape(*e.input_text) + "</code>" : "";
  return "<td class=\"text\">" + number + text + "</td>";
}

std::string header_row(std::initializer_list<const char*> names) {
  std::string row = "<tr>";
  for (const char* name : names) row += std::string("<th>") + name + "</th>";
  return row + "</tr>\n";
}

std::string optional_fixed(const std::optional<double>& value, int decimals) {
  return value ? fixed_text(*value, decimals) : "-";
}

// Forces and stresses span many magnitudes: whole numbers from 100 on, more decimals below.
std::string force_text(double value) {
  if (value == 0) return "0";
  double size = std::abs(value);
  return fixed_text(value, size >= 100 ? 0 : size >= 1 ? 2 : 4);
}

class HtmlBuilder {
 public:
  explicit HtmlBuilder(const Results& r) : r_(r), head_(r.headline()) {}

  std::string build() {
    std::string title = r_.title.empty() ? "Slope stability analysis" : r_.title;
    out_ += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
            xml_escape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
    out_ += "<h1>" + xml_escape(title) + "</h1>\n";
    warnings();
    summary();
    picture();
    convergence();
    analyses();
    critical();
    refined();
    slices();
    thrust();
    errors();
    out_ += "</body>\n</html>\n";
    return std::move(out_);
  }

 private:
  Point display(Point p) const { return r_.frame.to_display(p); }
  std::string unit(const char* prefix = " ") const {
    return r_.length_unit.empty() ? "" : prefix + std::string("(") + r_.length_unit + ")";
  }

  // Above the factor of safety: what the user must read before trusting it.
  void warnings() {
    if (r_.warnings.empty() && !r_.incomplete()) return;
    out_ += "<section id=\"warnings\" class=\"warnings\">\n";
    if (r_.incomplete()) {
      std::string reasons;
      for (const std::string& reason : r_.incomplete_reasons)
        reasons += (reasons.empty() ? "" : "; ") + reason;
      out_ += "<p><strong>The result is incomplete:</strong> " + xml_escape(reasons) + ".</p>\n";
    }
    if (!r_.warnings.empty()) {
      out_ += "<ul>\n";
      for (const Warning& w : r_.warnings) {
        out_ += "<li data-code=\"" + xml_escape(w.code) + "\"><strong>Warning:</strong> " +
                xml_escape(w.message) + " <code>" + xml_escape(w.code) + "</code></li>\n";
      }
      out_ += "</ul>\n";
    }
    out_ += "</section>\n";
  }

  void summary() {
    std::string outcome = r_.verdict();
    out_ += "<section id=\"summary\">\n<h2>Summary</h2>\n<table class=\"summary\">\n";
    auto row = [&](const char* name, const std::string& value, const std::string& cls = "") {
      out_ += std::string("<tr><th class=\"text\">") + name + "</th><td class=\"text" +
              (cls.empty() ? "" : " " + cls) + "\">" + xml_escape(value) + "</td></tr>\n";
    };
    row("Method", head_ && !head_->method.empty() ? head_->method : "-");
    row("Factor of safety", head_ ? optional_fixed(head_->factor_of_safety(), 3) : "-");
    if (head_ && head_->spencer) row("Spencer's theta (deg)", optional_fixed(head_->theta, 2));
    row("Solution status", head_ ? status_name(head_->status) : "-");
    row("Outcome", outcome, "outcome-" + class_of(outcome));
    row("Trial surfaces", trial_counts());
    row("Analyses", std::to_string(r_.analyses.size()));
    row("Error lines", std::to_string(r_.errors.size()));
    if (!r_.unit_system.empty()) row("Units", r_.unit_system);
    row("Report file", r_.files.report);
    row("Plot file", r_.files.plot);
    out_ += "</table>\n</section>\n";
  }

  std::string trial_counts() const {
    if (!head_ || !head_->search) return std::to_string(r_.trial_count);
    const SearchOutcome& o = *head_->search;
    std::string text = (o.requested ? std::to_string(*o.requested) : std::string("?")) +
                       " requested, " + std::to_string(o.analysed) + " analysed";
    if (o.generation_failed > 0)
      text += ", " + std::to_string(o.generation_failed) + " not generated";
    if (o.skipped > 0) text += ", " + std::to_string(o.skipped) + " skipped";
    if (o.best_found_at_trial)
      text += "; the lowest found at trial " + std::to_string(*o.best_found_at_trial);
    return text;
  }

  void convergence() {
    const Analysis* search = convergence_search(r_);
    if (search == nullptr) return;
    std::string svg = convergence_svg(r_);
    std::size_t start = svg.find("<svg");
    out_ += "<section id=\"convergence\" class=\"picture\">\n<h2>Convergence of the search</h2>\n" +
            svg.substr(start == std::string::npos ? 0 : start) + "</section>\n";
  }

  void picture() {
    std::string svg = results_svg(r_);
    std::size_t start = svg.find("<svg");  // inline: without the XML declaration
    out_ += "<section id=\"picture\" class=\"picture\">\n<h2>Picture</h2>\n" +
            svg.substr(start == std::string::npos ? 0 : start) + "</section>\n";
  }

  void analyses() {
    if (r_.analyses.size() < 2) return;
    out_ += "<section id=\"analyses\">\n<h2>Analyses of the run</h2>\n<table>\n" +
            header_row({"No.", "Kind", "Method", "FOS", "Status", "Trials"});
    for (std::size_t i = 0; i < r_.analyses.size(); ++i) {
      const Analysis& a = r_.analyses[i];
      out_ += "<tr>" + cell(std::to_string(i + 1)) +
              cell(a.kind == AnalysisKind::kSearch ? "search" : "specified surface", true) +
              cell(a.method.empty() ? "-" : a.method, true) +
              cell(optional_fixed(a.factor_of_safety(), 3)) + cell(status_name(a.status), true) +
              cell(std::to_string(a.trials.size())) + "</tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void critical() {
    if (!head_) return;
    out_ += "<section id=\"critical\">\n";
    if (head_->kind == AnalysisKind::kSpecified && head_->surface) {
      out_ += "<h2>Specified surface</h2>\n<table class=\"surfaces\">\n" +
              header_row({"Surface", "FOS", "Points", "First point", "Last point"});
      surface_row("specified", *head_->surface);
      out_ += "</table>\n";
    } else if (head_->critical.empty()) {
      out_ +=
          "<h2>Most critical surfaces</h2>\n<p>No solution was obtained for the failure "
          "surfaces examined.</p>\n";
    } else {
      out_ += "<h2>Most critical surfaces</h2>\n<table class=\"surfaces\">\n" +
              header_row({"Rank", "FOS", "Points", "First point", "Last point", "Centre x",
                          "Centre y", "Radius"});
      for (std::size_t k = 0; k < head_->critical.size(); ++k) {
        surface_row(std::to_string(k + 1), head_->critical[k]);
      }
      out_ += "</table>\n";
    }
    out_ += "</section>\n";
  }

  // The search's critical surface refined (--refine): how far the factor fell, at what cost,
  // and the surface's points as the user sees them.
  void refined() {
    if (!r_.refined) return;
    const RefinedSurface& f = *r_.refined;
    out_ +=
        "<section id=\"refined\">\n<h2>Refined critical surface</h2>\n<table class=\"summary\">\n";
    auto row = [&](const char* name, const std::string& value) {
      out_ += std::string("<tr><th class=\"text\">") + name + "</th><td class=\"text\">" +
              xml_escape(value) + "</td></tr>\n";
    };
    row("Method", f.method.empty() ? "-" : f.method);
    row("Refined factor of safety", fixed_text(f.factor_of_safety, 3));
    row("The search's lowest", fixed_text(f.search_factor_of_safety, 3));
    row("Refined from the critical surface", std::to_string(f.start_rank));
    if (f.circle) {
      Point c = display({f.circle->x, f.circle->y});
      row("Circle", "centre " + fixed_text(c.x, 2) + ", " + fixed_text(c.y, 2) + "; radius " +
                        fixed_text(f.circle->radius, 2));
    }
    row("Engine evaluations", std::to_string(f.evaluations));
    row("Time (s)", fixed_text(f.seconds, 2));
    row("Report file", f.report);
    const std::string x = xml_escape("x" + unit()), y = xml_escape("y" + unit());
    out_ += "</table>\n<table class=\"refined-points\">\n" +
            header_row({"Point", x.c_str(), y.c_str()});
    for (std::size_t i = 0; i < f.points.size(); ++i) {
      Point d = display(f.points[i]);
      out_ += "<tr>" + cell(std::to_string(i + 1)) + cell(fixed_text(d.x, 3)) +
              cell(fixed_text(d.y, 3)) + "</tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void surface_row(const std::string& name, const ResultSurface& s) {
    auto point_text = [&](const Point& p) {
      Point d = display(p);
      return fixed_text(d.x, 2) + ", " + fixed_text(d.y, 2);
    };
    out_ += "<tr class=\"surface\">" + cell(name) + cell(fixed_text(s.factor_of_safety, 3)) +
            cell(std::to_string(s.points.size())) +
            cell(s.points.empty() ? "-" : point_text(s.points.front())) +
            cell(s.points.empty() ? "-" : point_text(s.points.back()));
    if (head_->kind == AnalysisKind::kSearch) {
      if (s.circle) {
        Point c = display({s.circle->x, s.circle->y});
        out_ += cell(fixed_text(c.x, 2)) + cell(fixed_text(c.y, 2)) +
                cell(fixed_text(s.circle->radius, 2));
      } else {
        out_ += cell("-") + cell("-") + cell("-");
      }
    }
    out_ += "</tr>\n";
  }

  void slices() {
    if (!head_ || !head_->slices || head_->slices->rows.empty()) return;
    out_ += "<section id=\"slices\">\n<h2>Slices of the " +
            std::string(head_->kind == AnalysisKind::kSearch ? "most critical" : "specified") +
            " surface</h2>\n<table class=\"slices\">\n" +
            header_row({"Slice", "x mid", "Width", "Weight", "Water force (base)", "Tie normal",
                        "Tie shear", "Earthquake hor.", "Earthquake ver.", "Surcharge",
                        "Total stress", "Effective stress", "Shear stress", "Pore pressure"});
    for (const SliceRow& row : head_->slices->rows) {
      out_ += "<tr class=\"slice\">" + cell(std::to_string(row.index)) +
              cell(fixed_text(display({row.x_mid, 0}).x, 2)) + cell(fixed_text(row.width, 2));
      for (double v :
           {row.weight, row.base_water_force, row.tie_normal_force, row.tie_shear_force,
            row.earthquake_horizontal, row.earthquake_vertical, row.load, row.base_total_stress,
            row.base_effective_stress, row.base_shear_stress, row.base_pore_pressure}) {
        out_ += cell(force_text(v));
      }
      out_ += "</tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void thrust() {
    if (!head_ || !head_->line_of_thrust) return;
    out_ += "<section id=\"line-of-thrust\">\n<h2>Line of thrust</h2>\n<table>\n" +
            header_row({"Side", "x", "y", "L/H", "Side force"});
    const auto& points = head_->line_of_thrust->points;
    for (std::size_t i = 0; i < points.size(); ++i) {
      Point d = display({points[i].x, points[i].y});
      out_ += "<tr>" + cell(std::to_string(i)) + cell(fixed_text(d.x, 2)) +
              cell(fixed_text(d.y, 2)) + cell(fixed_text(points[i].ratio, 3)) +
              cell(fixed_text(points[i].side_force, 0)) + "</tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  void errors() {
    out_ += "<section id=\"errors\">\n<h2>Error lines</h2>\n";
    if (r_.errors.empty()) {
      out_ += "<p>The report holds no error line.</p>\n</section>\n";
      return;
    }
    out_ += "<table class=\"errors\">\n" +
            header_row({"Code", "Meaning", "Detail", "Input line", "File", "Line"});
    for (const ErrorLine& e : r_.errors) {
      out_ += "<tr class=\"error\">" + cell(e.code, true) +
              cell(std::string(error_meaning(e.code)), true) + cell(e.detail, true) +
              input_line_cell(e) + cell(e.file, true) + cell(std::to_string(e.line)) + "</tr>\n";
    }
    out_ += "</table>\n</section>\n";
  }

  const Results& r_;
  const Analysis* head_;
  std::string out_;
};

}  // namespace

std::string results_html(const Results& results) {
  return HtmlBuilder(results).build();
}

}  // namespace scarpex_host
