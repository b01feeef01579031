#include "fos/applied_crossing.h"

#include <utility>

#include "model/geometry.h"

namespace scarpex {

SegmentCrossing cross_segments(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                               float y4) {
  if (x2 < x1) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  if (x4 < x3) {
    std::swap(x3, x4);
    std::swap(y3, y4);
  }
  SegmentCrossing crossing;
  int32_t found = 0;
  intersect_segments(x1, y1, x2, y2, x3, y3, x4, y4, crossing.x, crossing.y, found);
  crossing.found = found == 1;
  return crossing;
}

}  // namespace scarpex
