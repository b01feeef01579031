// What the optimiser minimises: the engine's factor of safety of a candidate surface, or a
// value above any factor for a surface that breaks a rule of the search or that the engine
// does not analyse to a positive, converged factor. The lowest factor seen is kept.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "results/results.h"
#include "run/candidate_runs.h"
#include "run/refine_input.h"
#include "run/refine_rules.h"

namespace scarpex_host {

// Above any factor of safety the refinement can meet: the value of an inadmissible surface.
inline constexpr double kInadmissible = 1.0e3;

struct Candidate {
  Polyline points;
  std::optional<Circle> circle;  // the circle it was made of
  int start_rank = 0;            // the critical surface its optimisation started from
};

struct RatedCandidate {
  Candidate candidate;  // with its points as written for the engine
  double factor_of_safety = 0;
};

class SurfaceObjective {
 public:
  SurfaceObjective(CandidateRuns& runs, const RefineInput& input, SurfaceCommand command,
                   SurfaceRules rules)
      : runs_(runs), input_(input), command_(command), rules_(std::move(rules)) {}

  // The candidate's factor of safety, or kInadmissible.
  double value(const Candidate& candidate);
  // The candidate with the lowest factor so far (the earliest of equal ones).
  const std::optional<RatedCandidate>& best() const { return best_; }
  // The method the engine named for the candidates it analysed.
  const std::string& method() const { return method_; }
  const SurfaceRules& rules() const { return rules_; }

 private:
  CandidateRuns& runs_;
  const RefineInput& input_;
  SurfaceCommand command_;
  SurfaceRules rules_;
  std::map<std::string, double> seen_;  // by the written points: a surface is run once
  std::optional<RatedCandidate> best_;
  std::string method_;
};

}  // namespace scarpex_host
