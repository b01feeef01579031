#include "views/picture_scale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace scarpex_host {

namespace {

constexpr double kHighToLowRatio = 3.0;
constexpr double kMargin = 0.05;  // share of the extent added on each side
constexpr double kMinExtent = 1.0;

struct Rgb {
  double r, g, b;
};
// Red, orange, yellow, green, blue.
constexpr std::array<Rgb, 5> kStops = {Rgb{215, 25, 28}, Rgb{253, 174, 97}, Rgb{235, 220, 80},
                                       Rgb{120, 198, 121}, Rgb{44, 123, 182}};

std::string hex(const Rgb& c) {
  static const char* digits = "0123456789abcdef";
  std::string text = "#";
  for (double v : {c.r, c.g, c.b}) {
    int i = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
    text += digits[i / 16];
    text += digits[i % 16];
  }
  return text;
}

}  // namespace

FosColourScale::FosColourScale(double low, double high) : low_(low), high_(high) {
  if (!(high_ > low_)) high_ = low_ + 1.0;
}

FosColourScale FosColourScale::for_values(const std::vector<double>& factors) {
  double low = 0, high = 0;
  bool any = false;
  for (double f : factors) {
    if (!std::isfinite(f)) continue;
    low = any ? std::min(low, f) : f;
    high = any ? std::max(high, f) : f;
    any = true;
  }
  if (low > 0) high = std::min(high, low * kHighToLowRatio);
  return FosColourScale(low, high);
}

int FosColourScale::bin(double fos) const {
  if (!std::isfinite(fos)) return kBins - 1;
  // Clamped before the conversion: a huge factor must not overflow the integer.
  double b = std::floor((fos - low_) / (high_ - low_) * kBins);
  return static_cast<int>(std::clamp(b, 0.0, static_cast<double>(kBins - 1)));
}

double FosColourScale::bin_from(int b) const {
  return low_ + (high_ - low_) * b / kBins;
}
double FosColourScale::bin_to(int b) const {
  return low_ + (high_ - low_) * (b + 1) / kBins;
}

std::string FosColourScale::colour(int b) const {
  double t = (b + 0.5) / kBins * (kStops.size() - 1);
  std::size_t i = std::min(static_cast<std::size_t>(t), kStops.size() - 2);
  double f = t - static_cast<double>(i);
  const Rgb& a = kStops[i];
  const Rgb& c = kStops[i + 1];
  return hex({a.r + (c.r - a.r) * f, a.g + (c.g - a.g) * f, a.b + (c.b - a.b) * f});
}

std::vector<double> nice_ticks(double from, double to, int wanted) {
  std::vector<double> ticks;
  double range = to - from;
  if (!(range > 0) || !std::isfinite(range) || wanted < 1) return ticks;
  double raw = range / wanted;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= raw) break;
  }
  for (double t = std::ceil(from / step) * step; t <= to + step * 1e-9; t += step) {
    ticks.push_back(std::abs(t) < step * 1e-9 ? 0.0 : t);
  }
  return ticks;
}

void Bounds::add(Point p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
  if (empty) {
    x_min = x_max = p.x;
    y_min = y_max = p.y;
    empty = false;
    return;
  }
  x_min = std::min(x_min, p.x);
  x_max = std::max(x_max, p.x);
  y_min = std::min(y_min, p.y);
  y_max = std::max(y_max, p.y);
}

PictureFrame fit_picture(Bounds b, double left, double top, double width, double max_height) {
  if (b.empty) b = Bounds{0, 10, 0, 10, false};
  double dx = std::max(b.x_max - b.x_min, kMinExtent);
  double dy = std::max(b.y_max - b.y_min, kMinExtent);
  double margin = kMargin * std::max(dx, dy);
  b.x_min -= margin, b.x_max += margin, b.y_min -= margin, b.y_max += margin;
  dx += 2 * margin, dy += 2 * margin;
  PictureFrame frame;
  frame.left = left;
  frame.top = top;
  frame.scale = std::min(width / dx, max_height / dy);
  frame.width = dx * frame.scale;
  frame.height = dy * frame.scale;
  frame.bounds = b;
  return frame;
}

}  // namespace scarpex_host
