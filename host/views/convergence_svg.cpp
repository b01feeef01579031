#include "views/convergence_svg.h"

#include <algorithm>

#include "views/number_text.h"
#include "views/picture_scale.h"

namespace scarpex_host {

namespace {

constexpr double kWidth = 720, kHeight = 360;
constexpr double kLeft = 70, kTop = 40, kPlotWidth = 610, kPlotHeight = 260;
constexpr int kTicksWanted = 6;
constexpr double kMargin = 0.04;
constexpr const char* kLineColour = "#b2182b";

std::string num(double v) {
  return fixed_text(v, 1);
}

class ConvergencePicture {
 public:
  explicit ConvergencePicture(const Analysis* search) : search_(search) {}

  std::string build() {
    out_ += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    out_ += "<text x=\"" + num(kLeft) + "\" y=\"22\" font-size=\"15\" font-weight=\"bold\">" +
            "Lowest factor of safety found so far</text>\n";
    if (search_ == nullptr || search_->convergence.empty()) {
      out_ += "<text class=\"note\" x=\"" + num(kLeft) + "\" y=\"" + num(kTop + 40) +
              "\">No search of the run has a converged trial.</text>\n";
    } else {
      scale();
      axes();
      line();
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           num(kWidth) + "\" height=\"" + num(kHeight) + "\" viewBox=\"0 0 " + num(kWidth) + " " +
           num(kHeight) + "\" font-family=\"sans-serif\" font-size=\"12\">\n" + out_ + "</svg>\n";
  }

 private:
  void scale() {
    const auto& series = search_->convergence;
    last_trial_ = std::max(series.back().trial, 1);
    fos_high_ = series.front().lowest;
    fos_low_ = series.back().lowest;
    if (!(fos_high_ > fos_low_)) fos_high_ = fos_low_ + std::max(0.05 * std::abs(fos_low_), 0.01);
    // A little room above and below, so that the line does not run along the axis.
    const double pad = kMargin * (fos_high_ - fos_low_);
    fos_high_ += pad;
    fos_low_ -= pad;
  }
  double x(double trial) const { return kLeft + trial / last_trial_ * kPlotWidth; }
  double y(double fos) const {
    return kTop + (fos_high_ - fos) / (fos_high_ - fos_low_) * kPlotHeight;
  }

  void axes() {
    out_ += "<g class=\"axes\" stroke=\"#444444\" fill=\"none\">\n<path d=\"M" + num(kLeft) + " " +
            num(kTop) + " L" + num(kLeft) + " " + num(kTop + kPlotHeight) + " L" +
            num(kLeft + kPlotWidth) + " " + num(kTop + kPlotHeight) + "\"/>\n</g>\n";
    out_ += "<g class=\"ticks\" fill=\"#222222\">\n";
    for (double t : nice_ticks(0, last_trial_, kTicksWanted)) {
      if (t < 0 || t > last_trial_) continue;
      out_ += "<text x=\"" + num(x(t)) + "\" y=\"" + num(kTop + kPlotHeight + 16) +
              "\" text-anchor=\"middle\">" + short_text(t) + "</text>\n";
    }
    for (double f : nice_ticks(fos_low_, fos_high_, kTicksWanted)) {
      if (f < fos_low_ || f > fos_high_) continue;
      out_ += "<text x=\"" + num(kLeft - 6) + "\" y=\"" + num(y(f) + 4) +
              "\" text-anchor=\"end\">" + fixed_text(f, 3) + "</text>\n";
    }
    out_ += "<text x=\"" + num(kLeft + kPlotWidth / 2) + "\" y=\"" + num(kHeight - 14) +
            "\" text-anchor=\"middle\">trial</text>\n";
    out_ += "<text x=\"16\" y=\"" + num(kTop + kPlotHeight / 2) +
            "\" text-anchor=\"middle\" transform=\"rotate(-90 16 " + num(kTop + kPlotHeight / 2) +
            ")\">lowest factor of safety</text>\n</g>\n";
  }

  // A step down at each trial that found a lower factor, level in between.
  void line() {
    std::string d;
    double previous = 0;
    for (const ConvergencePoint& p : search_->convergence) {
      if (d.empty()) {
        d = "M" + num(x(p.trial)) + " " + num(y(p.lowest));
      } else {
        d += " L" + num(x(p.trial)) + " " + num(y(previous)) + " L" + num(x(p.trial)) + " " +
             num(y(p.lowest));
      }
      previous = p.lowest;
    }
    out_ += "<path class=\"convergence\" d=\"" + d + "\" fill=\"none\" stroke=\"" + kLineColour +
            "\" stroke-width=\"2\" data-points=\"" + std::to_string(search_->convergence.size()) +
            "\"/>\n";
  }

  const Analysis* search_;
  double last_trial_ = 1, fos_low_ = 0, fos_high_ = 1;
  std::string out_;
};

}  // namespace

const Analysis* convergence_search(const Results& results) {
  const Analysis* head = results.headline();
  if (head && head->kind == AnalysisKind::kSearch) return head;
  for (auto it = results.analyses.rbegin(); it != results.analyses.rend(); ++it) {
    if (it->kind == AnalysisKind::kSearch) return &*it;
  }
  return nullptr;
}

std::string convergence_svg(const Results& results) {
  return ConvergencePicture(convergence_search(results)).build();
}

}  // namespace scarpex_host
