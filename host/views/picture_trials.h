// The trial surfaces of a search in the picture: which of them to draw, and their outlines as
// compact path text. Thousands of trials must stay readable and keep the file small.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

// Trial outlines are written in quarters of a picture unit, as whole numbers relative to the
// point before ("M812 400l-12 31 9 40").
constexpr double kTrialUnits = 4;
// Above this many trial points the trials are thinned, which keeps a picture of 10,000 trials
// well under 5 MB; the most critical ones are always kept.
constexpr std::size_t kTrialPointBudget = 400000;
constexpr std::size_t kKeptCritical = 200;

// All trials while their points fit the budget; otherwise the converged ones of lowest factor
// of safety first, then an even share of the rest. In trial order.
std::vector<const TrialSurface*> trials_to_draw(const std::vector<TrialSurface>& trials);

// One subpath of relative steps; `to_units` maps a point to picture units times kTrialUnits.
std::string trial_path_data(const Polyline& points, const std::function<Point(Point)>& to_units);

}  // namespace scarpex_host
