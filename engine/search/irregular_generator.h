// The irregular branch of the trial surface generator: segments of equal length whose
// direction changes at random from point to point, within bend bounds.
#pragma once

#include "search/surface_branch.h"

namespace scarpex {

BranchEnd trace_irregular_branch(Engine& e, const FirstSegment& first);

}  // namespace scarpex
