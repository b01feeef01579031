#include "search/irregular_generator.h"

namespace scarpex {

BranchEnd trace_irregular_branch(Engine& e, const FirstSegment&) {
  e.model.stop_code = 11;
  return BranchEnd::kFailed;
}

}  // namespace scarpex
