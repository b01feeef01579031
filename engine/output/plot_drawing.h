// The drawing of the problem in the plot file: the NPL separator, the fixed block and the
// BND, WTR, LMT, LDS, TIE, RNF and BLK records, all in the stored frame (TIE excepted).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/engine.h"
#include "core/fortran_format.h"

namespace scarpex {

// Everything of a drawing up to, not including, the SRF record of a specified surface.
void write_problem_drawing(Engine& e);

// One line per point, points 1 to `count` of a polyline, with the given layout. A count is
// held to the table so that nothing beyond it is read.
template <std::size_t Size>
void write_polyline(TextSink& out, const FortranFormat& layout, const std::array<float, Size>& x,
                    const std::array<float, Size>& y, int32_t count) {
  int32_t n = std::clamp(count, 0, static_cast<int32_t>(Size) - 1);
  for (int32_t p = 1; p <= n; ++p) layout.write(out, {x[p], y[p]});
}

}  // namespace scarpex
