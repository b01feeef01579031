// Crossing of two segments given in any direction. The segment primitive expects each
// segment left end first; ties, sight lines and reinforcement layers may run either way.
#pragma once

namespace scarpex {

struct SegmentCrossing {
  float x = 0.0f;
  float y = 0.0f;
  bool found = false;  // the crossing lies on both segments (within the coordinate tolerance)
};

SegmentCrossing cross_segments(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                               float y4);

}  // namespace scarpex
