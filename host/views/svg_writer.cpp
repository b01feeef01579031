#include "views/svg_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "views/number_text.h"
#include "views/picture_scale.h"
#include "views/picture_trials.h"

namespace scarpex_host {

namespace {

constexpr double kWidth = 1060;
constexpr double kPlotLeft = 70, kPlotTop = 50, kPlotWidth = 740, kPlotMaxHeight = 560;
constexpr double kLegendGap = 30, kBottomSpace = 60;
constexpr int kTicksWanted = 8;
constexpr const char* kWaterBlue = "#1f6fd1";
// The listed surfaces after the most critical one: one colour of their own, over the trials
// (which are coloured by their factor of safety), the same in the legend.
constexpr const char* kListedStyle = "stroke=\"#333333\" stroke-width=\"2\"";
// The refined surface (--refine): beside the most critical one, in a colour and dash of its own.
constexpr const char* kRefinedColour = "#1a7f37";
constexpr const char* kRefinedStyle =
    "stroke=\"#1a7f37\" stroke-width=\"3\" stroke-dasharray=\"10 4\"";

class SvgBuilder {
 public:
  explicit SvgBuilder(const Results& r) : results_(r), analysis_(r.headline()) {}

  std::string build() {
    frame_ = fit_picture(bounds(), kPlotLeft, kPlotTop, kPlotWidth, kPlotMaxHeight);
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    title();
    if (analysis_ == nullptr) {
      out_ += "<text x=\"" + num(kPlotLeft) + "\" y=\"" + num(kPlotTop + 40) +
              "\" class=\"note\">The plot file holds no drawing of the problem.</text>\n";
    } else {
      // Surfaces and the line of thrust may reach outside the problem: clip them to the plot.
      out_ += "<defs><clipPath id=\"plot-area\"><rect x=\"" + num(frame_.left) + "\" y=\"" +
              num(frame_.top) + "\" width=\"" + num(frame_.width) + "\" height=\"" +
              num(frame_.height) + "\"/></clipPath></defs>\n";
      axes();
      problem();
      out_ += "<g clip-path=\"url(#plot-area)\">\n";
      surfaces();
      out_ += "</g>\n";
    }
    double legend_bottom = legend();
    double height = std::max(kPlotTop + frame_.height + kBottomSpace, legend_bottom + 10);
    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    head += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(kWidth) + "\" height=\"" +
            num(height) + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(height) +
            "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    return head + out_ + "</svg>\n";
  }

 private:
  static std::string num(double v) { return fixed_text(v, 1); }
  Point display(Point p) const { return results_.frame.to_display(p); }
  std::string xy(Point p) const {
    Point d = display(p);
    return num(frame_.x(d.x)) + " " + num(frame_.y(d.y));
  }
  bool has_trials() const { return analysis_ && !analysis_->trials.empty(); }

  template <typename Points>
  std::string path_data(const Points& points, bool close = false) const {
    std::string d;
    for (const Point& p : points) d += (d.empty() ? "M" : " L") + xy(p);
    if (close && !d.empty()) d += " Z";
    return d;
  }

  void path(const std::string& cls, const std::string& d, const std::string& style,
            const std::string& extra = "") {
    if (d.empty()) return;
    out_ += "<path class=\"" + cls + "\" d=\"" + d + "\" " + style + extra + "/>\n";
  }

  Bounds bounds() const {
    Bounds b;
    if (!analysis_) return b;
    auto add_all = [&](const auto& points) {
      for (const Point& p : points) b.add(display(p));
    };
    const Drawing& d = analysis_->drawing;
    add_all(d.ground_surface);
    for (const Boundary& x : d.boundaries) add_all(std::array{x.left, x.right});
    for (const auto& line : d.piezometric_surfaces) add_all(line);
    for (const auto& o : d.limits) add_all(o);
    for (const auto& o : d.loads) add_all(o);
    for (const auto& o : d.tiebacks) add_all(o);
    for (const auto& line : d.reinforcement) add_all(line);
    for (const auto& o : d.boxes) add_all(o);
    if (analysis_->surface) add_all(analysis_->surface->points);
    for (const ResultSurface& s : analysis_->critical) add_all(s.points);
    if (results_.refined) add_all(results_.refined->points);
    for (const TrialSurface& t : analysis_->trials) add_all(t.points);
    if (!analysis_->critical.empty() && analysis_->critical.front().circle) {
      const Circle& c = *analysis_->critical.front().circle;
      b.add(display({c.x, c.y}));
    }
    return b;
  }

  void title() {
    std::string text = results_.title.empty() ? "Slope stability analysis" : results_.title;
    out_ += "<text class=\"title\" x=\"" + num(kPlotLeft) + "\" y=\"24\" font-size=\"16\" " +
            "font-weight=\"bold\">" + xml_escape(text) + "</text>\n";
    if (analysis_ && analysis_->factor_of_safety()) {
      std::string line = analysis_->method.empty() ? "" : analysis_->method + ": ";
      line += "factor of safety " + fixed_text(*analysis_->factor_of_safety(), 3);
      if (analysis_->theta && analysis_->spencer)
        line += ", theta " + fixed_text(*analysis_->theta, 2) + "\u00b0";
      out_ += "<text class=\"subtitle\" x=\"" + num(kPlotLeft) + "\" y=\"42\">" + xml_escape(line) +
              "</text>\n";
    }
  }

  void axes() {
    const Bounds& b = frame_.bounds;
    double x0 = frame_.left, y0 = frame_.top, y1 = y0 + frame_.height;
    out_ += "<g class=\"axes\" stroke=\"#444444\" stroke-width=\"1\" fill=\"none\">\n";
    out_ += "<rect x=\"" + num(x0) + "\" y=\"" + num(y0) + "\" width=\"" + num(frame_.width) +
            "\" height=\"" + num(frame_.height) + "\"/>\n";
    std::string ticks, labels;
    for (double t : nice_ticks(b.x_min, b.x_max, kTicksWanted)) {
      double x = frame_.x(t);
      ticks += "M" + num(x) + " " + num(y1) + " l0 5 ";
      labels += "<text x=\"" + num(x) + "\" y=\"" + num(y1 + 18) + "\" text-anchor=\"middle\">" +
                short_text(t) + "</text>\n";
    }
    for (double t : nice_ticks(b.y_min, b.y_max, kTicksWanted)) {
      double y = frame_.y(t);
      ticks += "M" + num(x0) + " " + num(y) + " l-5 0 ";
      labels += "<text x=\"" + num(x0 - 8) + "\" y=\"" + num(y + 4) + "\" text-anchor=\"end\">" +
                short_text(t) + "</text>\n";
    }
    out_ += "<path class=\"ticks\" d=\"" + ticks + "\"/>\n</g>\n";
    out_ += "<g class=\"tick-labels\" fill=\"#222222\">\n" + labels + "</g>\n";
    std::string unit = results_.length_unit.empty() ? "" : " (" + results_.length_unit + ")";
    out_ += "<text class=\"axis-title\" x=\"" + num(x0 + frame_.width / 2) + "\" y=\"" +
            num(y1 + 40) + "\" text-anchor=\"middle\">x" + unit + "</text>\n";
    out_ += "<text class=\"axis-title\" transform=\"translate(" + num(x0 - 50) + " " +
            num(y0 + frame_.height / 2) + ") rotate(-90)\" text-anchor=\"middle\">elevation" +
            unit + "</text>\n";
  }

  void problem() {
    const Drawing& d = analysis_->drawing;
    if (d.ground_surface.size() >= 2) {
      // The soil below the ground surface, down to the bottom of the picture.
      std::string fill = path_data(d.ground_surface);
      Point last = display(d.ground_surface.back()), first = display(d.ground_surface.front());
      fill += " L" + num(frame_.x(last.x)) + " " + num(frame_.y(frame_.bounds.y_min)) + " L" +
              num(frame_.x(first.x)) + " " + num(frame_.y(frame_.bounds.y_min)) + " Z";
      out_ += "<path class=\"soil\" d=\"" + fill + "\" fill=\"#efe4cf\" stroke=\"none\"/>\n";
    }
    out_ += "<g class=\"problem\" fill=\"none\">\n";
    for (const Boundary& b : d.boundaries) {
      path(b.top ? "boundary top" : "boundary", path_data(std::array{b.left, b.right}),
           b.top ? "stroke=\"#5a3d1e\" stroke-width=\"2.5\""
                 : "stroke=\"#8c6d46\" stroke-width=\"1.5\"",
           " data-boundary=\"" + std::to_string(b.index) + "\"");
    }
    for (const Polyline& line : d.piezometric_surfaces) {
      path("piezometric", path_data(line),
           std::string("stroke=\"") + kWaterBlue + "\" stroke-width=\"2\"");
    }
    for (const auto& limit : d.limits) {
      path("limit", path_data(limit),
           "stroke=\"#555555\" stroke-width=\"1.5\" stroke-dasharray=\"8 5\"");
    }
    for (const auto& load : d.loads) {
      path("load", path_data(load, true),
           "stroke=\"#d95f02\" stroke-width=\"1.5\" fill=\"#fdd0a2\" fill-opacity=\"0.7\"");
    }
    for (const auto& tie : d.tiebacks) {
      path("tieback", "M" + xy(tie[0]) + " L" + xy(tie[1]),
           "stroke=\"#1b7837\" stroke-width=\"1.5\"");
      path("tieback-bond", "M" + xy(tie[1]) + " L" + xy(tie[2]),
           "stroke=\"#1b7837\" stroke-width=\"4\"");
    }
    for (const Polyline& line : d.reinforcement) {
      path("reinforcement", path_data(line), "stroke=\"#7b3294\" stroke-width=\"2\"");
    }
    for (const auto& box : d.boxes) {
      path("box", path_data(box),
           "stroke=\"#333333\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\"");
    }
    out_ += "</g>\n";
  }

  void trials() {
    std::vector<double> factors;
    for (const TrialSurface& t : analysis_->trials) {
      if (t.solution_status == 1) factors.push_back(t.factor_of_safety);
    }
    scale_ = FosColourScale::for_values(factors);
    std::vector<const TrialSurface*> drawn = trials_to_draw(analysis_->trials);
    std::size_t total = analysis_->trials.size();
    auto to_picture_units = [this](Point p) {
      Point q = display(p);
      return Point{frame_.x(q.x) * kTrialUnits, frame_.y(q.y) * kTrialUnits};
    };
    std::vector<std::string> bins(FosColourScale::kBins);
    std::vector<int> counts(FosColourScale::kBins, 0);
    std::string other;
    int other_count = 0;
    for (const TrialSurface* t : drawn) {
      if (t->solution_status == 1) {
        int b = scale_.bin(t->factor_of_safety);
        bins[static_cast<std::size_t>(b)] += trial_path_data(t->points, to_picture_units);
        ++counts[static_cast<std::size_t>(b)];
      } else {
        other += trial_path_data(t->points, to_picture_units);
        ++other_count;
      }
    }
    out_ += "<g class=\"trials\" fill=\"none\" stroke-width=\"" + num(0.8 * kTrialUnits) +
            "\" stroke-opacity=\"0.55\" transform=\"scale(" + fixed_text(1 / kTrialUnits, 2) +
            ")\">\n";
    if (other_count > 0) {
      out_ += "<path class=\"trial-bin not-converged\" data-count=\"" +
              std::to_string(other_count) + "\" stroke=\"#aaaaaa\" d=\"" + other + "\"/>\n";
    }
    // From the highest bin down, so that the most critical trials lie on top.
    for (int b = FosColourScale::kBins - 1; b >= 0; --b) {
      if (counts[static_cast<std::size_t>(b)] == 0) continue;
      out_ +=
          "<path class=\"trial-bin\" data-bin=\"" + std::to_string(b) + "\" data-fos-from=\"" +
          fixed_text(scale_.bin_from(b), 3) + "\" data-fos-to=\"" +
          (b == FosColourScale::kBins - 1 ? std::string("inf") : fixed_text(scale_.bin_to(b), 3)) +
          "\" data-count=\"" + std::to_string(counts[static_cast<std::size_t>(b)]) +
          "\" stroke=\"" + scale_.colour(b) + "\" d=\"" + bins[static_cast<std::size_t>(b)] +
          "\"/>\n";
    }
    out_ += "</g>\n";
    if (drawn.size() < total) {
      out_ += "<text class=\"note\" x=\"" + num(frame_.left + 6) + "\" y=\"" +
              num(frame_.top + 16) + "\">" + std::to_string(drawn.size()) + " of " +
              std::to_string(total) + " trial surfaces drawn (the most critical all)</text>\n";
    }
  }

  void label_surface(const Polyline& points, double fos, const std::string& cls) {
    if (points.empty()) return;
    Point end = display(points.back());
    Point start = display(points.front());
    Point at = frame_.x(end.x) > frame_.x(start.x) ? end : start;
    out_ += "<text class=\"" + cls + "\" x=\"" + num(frame_.x(at.x) + 6) + "\" y=\"" +
            num(frame_.y(at.y) - 8) +
            "\" font-weight=\"bold\" fill=\"#b2182b\">FOS = " + fixed_text(fos, 3) + "</text>\n";
  }

  // Labelled at its end drawn on the left, away from the most critical surface's label, which
  // stands at its end drawn on the right.
  void refined(const RefinedSurface& r) {
    // A white band under it keeps it readable over the listed surfaces.
    path("refined-halo", path_data(r.points),
         "stroke=\"#ffffff\" stroke-width=\"6\" stroke-opacity=\"0.8\"");
    path("refined", path_data(r.points), kRefinedStyle,
         " data-fos=\"" + fixed_text(r.factor_of_safety, 3) + "\"");
    if (r.points.empty()) return;
    Point start = display(r.points.front()), end = display(r.points.back());
    Point at = frame_.x(end.x) < frame_.x(start.x) ? end : start;
    out_ += "<text class=\"refined-label\" x=\"" + num(frame_.x(at.x) - 6) + "\" y=\"" +
            num(frame_.y(at.y) - 8) + "\" text-anchor=\"end\" font-weight=\"bold\" fill=\"" +
            kRefinedColour + "\">refined FOS = " + fixed_text(r.factor_of_safety, 3) + "</text>\n";
  }

  void surfaces() {
    if (has_trials()) trials();
    const auto& critical = analysis_->critical;
    out_ += "<g class=\"results\" fill=\"none\">\n";
    for (std::size_t k = critical.size(); k-- > 1;) {
      const ResultSurface& s = critical[k];
      path("critical", path_data(s.points), kListedStyle,
           " data-rank=\"" + std::to_string(k + 1) + "\" data-fos=\"" +
               fixed_text(s.factor_of_safety, 3) + "\"");
    }
    if (!critical.empty()) {
      const ResultSurface& best = critical.front();
      path("critical best", path_data(best.points), "stroke=\"#b2182b\" stroke-width=\"4\"",
           " data-rank=\"1\" data-fos=\"" + fixed_text(best.factor_of_safety, 3) + "\"");
      if (best.circle) {
        Point c = display({best.circle->x, best.circle->y});
        double cx = frame_.x(c.x), cy = frame_.y(c.y);
        std::string radii;
        for (const Point& p : {best.points.front(), best.points.back()})
          radii += "M" + num(cx) + " " + num(cy) + " L" + xy(p) + " ";
        path("radius", radii, "stroke=\"#b2182b\" stroke-width=\"0.8\" stroke-dasharray=\"3 3\"");
        out_ += "<path class=\"centre\" d=\"M" + num(cx - 6) + " " + num(cy) + " l12 0 M" +
                num(cx) + " " + num(cy - 6) + " l0 12\" stroke=\"#b2182b\" stroke-width=\"2\"/>\n";
      }
      label_surface(best.points, best.factor_of_safety, "fos-label");
    }
    if (results_.refined) refined(*results_.refined);
    if (analysis_->surface) {
      const ResultSurface& s = *analysis_->surface;
      path("surface specified", path_data(s.points), "stroke=\"#b2182b\" stroke-width=\"3.5\"",
           " data-fos=\"" + fixed_text(s.factor_of_safety, 3) + "\"");
      label_surface(s.points, s.factor_of_safety, "fos-label");
    }
    if (analysis_->line_of_thrust && !analysis_->line_of_thrust->points.empty()) {
      Polyline line;
      for (const ThrustPoint& p : analysis_->line_of_thrust->points) line.push_back({p.x, p.y});
      path("line-of-thrust", path_data(line),
           "stroke=\"#2d004b\" stroke-width=\"1.8\" stroke-dasharray=\"2 3\"");
    }
    out_ += "</g>\n";
  }

  void legend_item(double& y, const std::string& label, const std::string& style) {
    double x = kPlotLeft + kPlotWidth + kLegendGap;
    out_ += "<path d=\"M" + num(x) + " " + num(y - 4) + " l28 0\" " + style + "/>\n";
    out_ +=
        "<text x=\"" + num(x + 36) + "\" y=\"" + num(y) + "\">" + xml_escape(label) + "</text>\n";
    y += 22;
  }

  // Returns the lowest picture coordinate the legend reaches.
  double legend() {
    double x = kPlotLeft + kPlotWidth + kLegendGap;
    double y = kPlotTop + 10;
    out_ += "<g class=\"legend\" fill=\"none\">\n";
    out_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) +
            "\" font-weight=\"bold\" fill=\"#000000\">Legend</text>\n";
    y += 24;
    out_ += "<g fill=\"#222222\">\n";
    const Drawing* d = analysis_ ? &analysis_->drawing : nullptr;
    legend_item(y, "ground surface", "stroke=\"#5a3d1e\" stroke-width=\"2.5\"");
    if (d && d->boundaries.size() > static_cast<std::size_t>(d->top_boundary_count)) {
      legend_item(y, "boundary", "stroke=\"#8c6d46\" stroke-width=\"1.5\"");
    }
    if (d && !d->piezometric_surfaces.empty()) {
      legend_item(y, "piezometric surface",
                  std::string("stroke=\"") + kWaterBlue + "\" stroke-width=\"2\"");
    }
    if (d && !d->limits.empty())
      legend_item(y, "search limit",
                  "stroke=\"#555555\" stroke-width=\"1.5\" stroke-dasharray=\"8 5\"");
    if (d && !d->loads.empty())
      legend_item(y, "surcharge load", "stroke=\"#d95f02\" stroke-width=\"6\"");
    if (d && !d->tiebacks.empty())
      legend_item(y, "tieback", "stroke=\"#1b7837\" stroke-width=\"3\"");
    if (d && !d->reinforcement.empty())
      legend_item(y, "reinforcement", "stroke=\"#7b3294\" stroke-width=\"2\"");
    if (d && !d->boxes.empty())
      legend_item(y, "box", "stroke=\"#333333\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\"");
    if (analysis_ && (analysis_->surface || !analysis_->critical.empty())) {
      legend_item(y, analysis_->surface ? "specified surface" : "most critical surface",
                  "stroke=\"#b2182b\" stroke-width=\"4\"");
    }
    if (analysis_ && analysis_->critical.size() > 1)
      legend_item(y, "ten most critical", kListedStyle);
    if (results_.refined) legend_item(y, "refined surface", kRefinedStyle);
    if (analysis_ && analysis_->line_of_thrust)
      legend_item(y, "line of thrust",
                  "stroke=\"#2d004b\" stroke-width=\"1.8\" stroke-dasharray=\"2 3\"");
    if (has_trials()) {
      y += 8;
      out_ +=
          "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" font-weight=\"bold\">Trial FOS</text>\n";
      y += 8;
      for (int b = 0; b < FosColourScale::kBins; ++b) {
        out_ += "<rect class=\"legend-bin\" data-bin=\"" + std::to_string(b) + "\" x=\"" + num(x) +
                "\" y=\"" + num(y) + "\" width=\"28\" height=\"16\" fill=\"" + scale_.colour(b) +
                "\"/>\n";
        std::string range =
            fixed_text(scale_.bin_from(b), 2) +
            (b == FosColourScale::kBins - 1 ? " and above"
                                            : " \u2013 " + fixed_text(scale_.bin_to(b), 2));
        out_ += "<text x=\"" + num(x + 36) + "\" y=\"" + num(y + 12) + "\">" + range + "</text>\n";
        y += 18;
      }
      if (std::any_of(analysis_->trials.begin(), analysis_->trials.end(),
                      [](const TrialSurface& t) { return t.solution_status != 1; })) {
        out_ += "<rect x=\"" + num(x) + "\" y=\"" + num(y) +
                "\" width=\"28\" height=\"16\" fill=\"#aaaaaa\"/>\n";
        out_ += "<text x=\"" + num(x + 36) + "\" y=\"" + num(y + 12) + "\">not converged</text>\n";
        y += 18;
      }
    }
    out_ += "</g>\n</g>\n";
    return y;
  }

  const Results& results_;
  const Analysis* analysis_;
  PictureFrame frame_;
  FosColourScale scale_{0, 1};
  std::string out_;
};

}  // namespace

std::string results_svg(const Results& results) {
  return SvgBuilder(results).build();
}

}  // namespace scarpex_host
