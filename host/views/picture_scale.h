// Scales of the picture: the colour scale of factors of safety, axis ticks, and the mapping
// from problem coordinates to picture coordinates.
#pragma once

#include <string>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

// Factors of safety from `low` to `high` in equal bins, red for the lowest (most critical)
// through yellow and green to blue; a factor above `high` falls in the last bin.
class FosColourScale {
 public:
  static constexpr int kBins = 10;
  FosColourScale(double low, double high);
  // The scale for a set of factors of safety: from the lowest to at most three times it,
  // so that a few very high factors do not wash out the critical range.
  static FosColourScale for_values(const std::vector<double>& factors);

  int bin(double fos) const;
  double bin_from(int bin) const;
  double bin_to(int bin) const;
  std::string colour(int bin) const;  // "#rrggbb"
  double low() const { return low_; }
  double high() const { return high_; }

 private:
  double low_, high_;
};

// Round tick values covering [from, to], about `wanted` of them.
std::vector<double> nice_ticks(double from, double to, int wanted);

struct Bounds {
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
  bool empty = true;
  void add(Point p);
};

// Problem coordinates (display frame) to picture coordinates, with one scale for both axes.
struct PictureFrame {
  double left = 0, top = 0, width = 0, height = 0, scale = 1;
  Bounds bounds;
  double x(double value) const { return left + (value - bounds.x_min) * scale; }
  double y(double value) const { return top + (bounds.y_max - value) * scale; }
};

// Fits `bounds` (widened a little) into a plot area `width` wide and at most `max_height` high.
PictureFrame fit_picture(Bounds bounds, double left, double top, double width, double max_height);

}  // namespace scarpex_host
