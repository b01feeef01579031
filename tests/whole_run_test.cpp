// Whole runs of a specified surface with the problem commands that add forces or change the
// strength: loads, earthquake, anisotropy, reinforcement and tiebacks, and the END record of
// the plot file however a run ends. Every case goes from an input file through EXECUT.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex::testing {
namespace {

// Header controls: iteration limit 50, reinforcement placement and scaling (items 4 and 5),
// report switch 1, tolerance 0.0001; no mirroring.
std::string header(int32_t placement = 0, int32_t scaling = 0) {
  return "HEADER\n50 50 50 " + std::to_string(placement) + " " + std::to_string(scaling) +
         " 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";
}

// A homogeneous slope 10 m high at 2H:1V, toe at (20, 20), crest at (40, 30); no water.
std::string slope(const std::string& soil_row = "19. 20. 10. 30. 0. 0. 0 0") {
  return "PROFIL\nHOMOGENEOUS SLOPE\n3 3 2\n"
         "0. 20. 20. 20. 1\n20. 20. 40. 30. 1\n40. 30. 70. 30. 1\n"
         "SOIL\n0 1\n" +
         soil_row + "\n";
}

// A circle centred at (30, 45) through the ground at x = 12 and x = 56.907; deepest at 14.2.
std::string circle_surface(bool bishop) {
  return std::string(bishop ? "SURBIS\n" : "SURFAC\n") +
         "16\n"
         "12.000 20.000 14.918 18.138 18.027 16.616 21.286 15.452\n"
         "24.656 14.661 28.093 14.253 31.554 14.233 34.996 14.602\n"
         "38.374 15.354 41.647 16.481 44.773 17.967 47.712 19.795\n"
         "50.428 21.941 52.886 24.378 55.054 27.076 56.907 30.000\n"
         "EXECUT\n";
}

// One run, with the engine kept so that the model can be read afterwards.
struct Run {
  std::unique_ptr<Engine> engine = make_test_engine();
  RunOutputs out;
  const ProblemModel& model() const { return engine->model; }
  const SliceTable& slices() const { return engine->model.slices; }
  float fos() const { return engine->model.list[0].fos; }
};

std::unique_ptr<Run> run(const std::string& input) {
  auto r = std::make_unique<Run>();
  r->out = run_input(*r->engine, input);
  return r;
}

// Runs the slope with the given extra commands before the surface and expects a converged,
// error-free analysis.
std::unique_ptr<Run> analyse(const std::string& extra, bool bishop,
                             const std::string& controls = header(),
                             const std::string& problem = slope()) {
  auto r = run(controls + problem + extra + circle_surface(bishop));
  EXPECT_EQ(r->model().input_error_flag, 0) << r->out.report;
  EXPECT_EQ(r->model().stop_code, 0) << r->out.report;
  EXPECT_EQ(r->model().solution_status, kConverged) << r->out.trace;
  return r;
}

// --- Boundary loads ----------------------------------------------------------------------

TEST(WholeRunLoads, LoadCoveringTheWholeSurfaceActsOnEverySliceAndAddsNoEdge) {
  auto bare = analyse("", true);
  auto loaded = analyse("LOADS\n1\n5. 65. 15. 15. 10.\n", true);
  const SliceTable& a = bare->slices();
  const SliceTable& b = loaded->slices();
  ASSERT_GT(a.slice_count, 0);
  ASSERT_EQ(a.slice_count, b.slice_count);
  for (int32_t j = 1; j <= a.slice_count + 1; ++j) EXPECT_EQ(a.x_edge[j], b.x_edge[j]) << j;
  for (int32_t i = 1; i <= b.slice_count; ++i) {
    EXPECT_FLOAT_EQ(b.load_force[i], 15.0f * b.width[i]) << i;
    EXPECT_FLOAT_EQ(b.load_angle[i], 10.0f * 0.017453292f) << i;
  }
  EXPECT_NE(bare->fos(), loaded->fos());
}

TEST(WholeRunLoads, AdjacentLoadsEachActOnTheirOwnSlices) {
  auto r = analyse("LOADS\n2\n25. 35. 10. 10. 0.\n35. 45. 30. 30. 5.\n", false);
  const SliceTable& t = r->slices();
  std::vector<float> edges(t.x_edge.begin() + 1, t.x_edge.begin() + t.slice_count + 2);
  for (float end : {25.0f, 35.0f, 45.0f}) {
    EXPECT_NE(std::find(edges.begin(), edges.end(), end), edges.end()) << "no edge at " << end;
  }
  int32_t first = 0, second = 0;
  for (int32_t i = 1; i <= t.slice_count; ++i) {
    float x = t.x_mid[i];
    if (x > 25.0f && x < 35.0f) {
      ++first;
      EXPECT_FLOAT_EQ(t.load_force[i], 10.0f * t.width[i]) << i;
      EXPECT_EQ(t.load_angle[i], 0.0f) << i;
    } else if (x > 35.0f && x < 45.0f) {
      ++second;
      EXPECT_FLOAT_EQ(t.load_force[i], 30.0f * t.width[i]) << i;
      EXPECT_FLOAT_EQ(t.load_angle[i], 5.0f * 0.017453292f) << i;
    } else {
      EXPECT_EQ(t.load_force[i], 0.0f) << i;
    }
  }
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
}

TEST(WholeRunLoads, SuppressedLoadsActOnNoSliceAndActAgainWhenReactivated) {
  const std::string load = "LOADS\n1\n35. 45. 20. 20. 0.\n";
  float bare = analyse("", false)->fos();
  float loaded = analyse(load, false)->fos();
  ASSERT_NE(loaded, bare);
  auto suppressed = analyse(load + "LOADS\n0\n", false);
  EXPECT_EQ(suppressed->fos(), bare);
  for (int32_t i = 1; i <= suppressed->slices().slice_count; ++i) {
    EXPECT_EQ(suppressed->slices().load_force[i], 0.0f) << i;
  }
  EXPECT_EQ(analyse(load + "LOADS\n0\nLOADS\n0\n", false)->fos(), loaded);
}

// --- Earthquake ---------------------------------------------------------------------------

TEST(WholeRunEarthquake, FactorFallsAsTheHorizontalCoefficientGrows) {
  for (bool bishop : {true, false}) {
    SCOPED_TRACE(bishop ? "Modified Bishop" : "Modified Janbu");
    float without = analyse("", bishop)->fos();
    EXPECT_EQ(analyse("EQUAKE\n0. 0. 0.\n", bishop)->fos(), without);
    float previous = without;
    for (const char* kh : {"0.05", "0.1", "0.2"}) {
      float fos = analyse(std::string("EQUAKE\n") + kh + " 0. 0.\n", bishop)->fos();
      EXPECT_LT(fos, previous) << "kh = " << kh;
      previous = fos;
    }
    // A new profile starts without earthquake loading.
    EXPECT_EQ(analyse("EQUAKE\n0.2 0.1 0.\n" + slope(), bishop)->fos(), without);
  }
}

// --- Anisotropic strength -----------------------------------------------------------------

TEST(WholeRunAnisotropy, IsotropicTableGivesTheIsotropicFactorExactly) {
  for (bool bishop : {true, false}) {
    SCOPED_TRACE(bishop ? "Modified Bishop" : "Modified Janbu");
    float isotropic = analyse("", bishop)->fos();
    auto r = analyse("ANISO\n1\n1 0 3\n0. 10. 30. 20. 10. 30. 90. 10. 30.\n", bishop);
    EXPECT_EQ(r->fos(), isotropic);
    // A bottom table only acts on a soil whose strength varies with depth; this one does not.
    auto bottom =
        analyse("ANISO\n1\n1 1 2\n0. 5. 20. 90. 5. 20.\n2\n0. 5. 20. 90. 5. 20.\n", bishop);
    EXPECT_EQ(bottom->fos(), isotropic);
    // Suppressed, a weakening table is ignored.
    EXPECT_EQ(analyse("ANISO\n1\n1 0 2\n0. 5. 20. 90. 5. 20.\nANISO\n0\n", bishop)->fos(),
              isotropic);
  }
}

TEST(WholeRunAnisotropy, WeakerDirectionLowersTheFactor) {
  for (bool bishop : {true, false}) {
    SCOPED_TRACE(bishop ? "Modified Bishop" : "Modified Janbu");
    float isotropic = analyse("", bishop)->fos();
    // Bases falling towards +x (the toe side of this circle), then rising bases.
    float weak_falling = analyse("ANISO\n1\n1 0 2\n0. 5. 20. 90. 10. 30.\n", bishop)->fos();
    float weak_rising = analyse("ANISO\n1\n1 0 2\n0. 10. 30. 90. 5. 20.\n", bishop)->fos();
    EXPECT_LT(weak_falling, isotropic);
    EXPECT_LT(weak_rising, isotropic);
    // Most of the sliding mass rests on rising bases.
    EXPECT_LT(weak_rising, weak_falling);
  }
}

// --- Reinforcement ------------------------------------------------------------------------

// A layer at elevation 18 crossing the circle near its toe, with an inclination factor of 1,
// so that it adds its axial force times the radius: Mr / R equals the axial force.
constexpr float kAxialForce = 200.0f;
const std::string kCrossingLayer = "REINF\n1\n2\n5. 18. 200. 50. 1. 30. 18. 200. 50. 1.\n";

struct Combination {
  int32_t placement;  // header item 4: 0 driving side, 1 resisting side
  int32_t scaling;    // header item 5: 1 divides by the factor of safety
};

constexpr Combination kCombinations[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};

// With a frictionless soil the resisting sum S does not depend on F, so each combination has
// a closed form in S, the driving sum D and T = Mr / R.
TEST(WholeRunReinforcement, EachCombinationGivesItsOwnClosedFormValue) {
  const std::string clay = slope("19. 20. 40. 0. 0. 0. 0 0");
  auto bare = analyse("", true, header(), clay);
  const SliceTable& t = bare->slices();
  double s = 0.0, d = 0.0;
  for (int32_t i = 1; i <= t.slice_count; ++i) {
    s += 40.0 * t.width[i] / std::cos(t.alpha[i]);
    d += t.weight[i] * std::sin(t.alpha[i]);
  }
  ASSERT_NEAR(bare->fos(), s / d, 1e-4);
  const double tr = kAxialForce;
  const double expected[] = {
      s / (d - tr),                                       // driving side
      (s + tr) / d,                                       // driving side, divided by F
      (s + tr) / d,                                       // resisting side
      (s + std::sqrt(s * s + 4.0 * d * tr)) / (2.0 * d),  // resisting side, divided by F
  };
  for (int k = 0; k < 4; ++k) {
    Combination c = kCombinations[k];
    SCOPED_TRACE("placement " + std::to_string(c.placement) + ", scaling " +
                 std::to_string(c.scaling));
    auto r = analyse(kCrossingLayer, true, header(c.placement, c.scaling), clay);
    EXPECT_FLOAT_EQ(r->model().reinforcement_moment, kAxialForce * r->model().circle_radius);
    EXPECT_NEAR(r->fos(), expected[k], 1e-3);
    EXPECT_GT(r->fos(), bare->fos());
  }
}

// With friction: dividing by F weakens the resisting-side term when F > 1; on the driving
// side, dividing by F gives the same fixed point as the resisting side undivided; the
// undivided driving-side term is the strongest when F > 1.
TEST(WholeRunReinforcement, CombinationsOrderAsTheirEquationsRequire) {
  float bare = analyse("", true)->fos();
  ASSERT_GT(bare, 1.0f);
  float f[2][2];
  for (Combination c : kCombinations) {
    f[c.placement][c.scaling] =
        analyse(kCrossingLayer, true, header(c.placement, c.scaling))->fos();
  }
  EXPECT_GT(f[1][1], bare);
  EXPECT_LT(f[1][1], f[1][0]);
  EXPECT_NEAR(f[0][1], f[1][0], 1e-3);
  EXPECT_GT(f[0][0], f[1][0]);
}

TEST(WholeRunReinforcement, LayerMissingTheSurfaceChangesNothing) {
  float bare = analyse("", true)->fos();
  for (Combination c : kCombinations) {
    SCOPED_TRACE("placement " + std::to_string(c.placement) + ", scaling " +
                 std::to_string(c.scaling));
    auto r = analyse("REINF\n1\n2\n0. 5. 200. 50. 1. 70. 5. 200. 50. 1.\n", true,
                     header(c.placement, c.scaling));
    EXPECT_EQ(r->model().reinforcement_moment, 0.0f);
    EXPECT_EQ(r->fos(), bare);
  }
}

// --- Tiebacks -----------------------------------------------------------------------------

// One row with its head on the slope at (30, 25), 15 degrees below the horizontal, a line
// load of 100 / 2 = 50; only the length varies.
std::string tie_row(const char* length) {
  return std::string("TIES\n1\n2 30. 25. 100. 2. 15. ") + length + "\n";
}

bool every_tie_force_zero(const SliceTable& t) {
  for (int32_t i = 1; i <= t.slice_count; ++i) {
    if (t.tie_normal_force[i] != 0.0f || t.tie_shear_force[i] != 0.0f) return false;
  }
  return true;
}

TEST(WholeRunTies, TieEndingBeforeTheSurfaceChangesNothing) {
  for (bool bishop : {true, false}) {
    SCOPED_TRACE(bishop ? "Modified Bishop" : "Modified Janbu");
    float bare = analyse("", bishop)->fos();
    auto r = analyse(tie_row("2."), bishop);
    EXPECT_TRUE(every_tie_force_zero(r->slices()));
    EXPECT_EQ(r->fos(), bare);
  }
}

TEST(WholeRunTies, RowOfLengthZeroActsWithItsWholeLineLoad) {
  for (bool bishop : {true, false}) {
    SCOPED_TRACE(bishop ? "Modified Bishop" : "Modified Janbu");
    float bare = analyse("", bishop)->fos();
    auto r = analyse(tie_row("0."), bishop);
    const SliceTable& t = r->slices();
    ASSERT_FALSE(every_tie_force_zero(t));
    // The spread forces point along the rays from the head; their components along the tie
    // add up to the line load.
    const double lambda = 15.0 * 0.017453292;
    double along = 0.0;
    for (int32_t i = 1; i <= t.slice_count; ++i) {
      double dx = t.x_mid[i] - 30.0, dy = 25.0 - t.y_base[i];
      double ray = dx > 0.0 ? std::atan(dy / dx) : std::numbers::pi - std::atan(dy / -dx);
      along += std::hypot(t.tie_normal_force[i], t.tie_shear_force[i]) * std::cos(ray - lambda);
    }
    EXPECT_NEAR(along, 50.0, 1e-3);
    EXPECT_GT(r->fos(), bare);
    // A tie long enough to reach the surface acts exactly as one of length 0.
    EXPECT_EQ(analyse(tie_row("30."), bishop)->fos(), r->fos());
  }
}

// A head on the crest at (42, 30) whose tie points back down towards the toe (150 degrees):
// the sight line to a base point under the toe's level ground that meets the level y = 20
// left of x = 20 passes above the ground, across boundary 1, and that slice receives nothing.
TEST(WholeRunTies, SliceHiddenBehindTheGroundReceivesNothing) {
  auto r = analyse("TIES\n1\n3 42. 30. 100. 2. 150. 0.\n", false);
  const SliceTable& t = r->slices();
  const double xh = 42.0, yh = 30.0, lambda = 150.0 * 0.017453292;
  int32_t hidden = 0, reached = 0;
  double along = 0.0;
  for (int32_t i = 1; i <= t.slice_count; ++i) {
    double xb = t.x_mid[i], yb = t.y_base[i];
    bool behind = yb < 20.0 && xh + (xb - xh) * (yh - 20.0) / (yh - yb) < 20.0;
    double ray = xb > xh ? std::atan((yh - yb) / (xb - xh))
                         : std::numbers::pi - std::atan((yh - yb) / (xh - xb));
    double force = std::hypot(t.tie_normal_force[i], t.tie_shear_force[i]);
    if (behind) {
      ++hidden;
      EXPECT_EQ(force, 0.0) << i;
    } else if (std::fabs(ray - lambda) < std::numbers::pi / 2.0 - 1e-3) {
      ++reached;
      EXPECT_GT(force, 0.0) << i;
    }
    along += force * std::cos(ray - lambda);
  }
  EXPECT_GT(hidden, 0);
  EXPECT_GT(reached, 0);
  EXPECT_NEAR(along, 50.0, 1e-3);
}

// --- The END record -----------------------------------------------------------------------

int32_t end_lines(const std::string& plot) {
  std::istringstream lines(plot);
  std::string line;
  int32_t count = 0;
  while (std::getline(lines, line)) count += line == "END" ? 1 : 0;
  return count;
}

void expect_single_end_at_the_end(const std::string& plot) {
  EXPECT_EQ(end_lines(plot), 1) << plot;
  ASSERT_GE(plot.size(), 4u);
  EXPECT_EQ(plot.substr(plot.size() - 4), "END\n") << plot;
}

TEST(WholeRunEnd, EveryWayOfEndingLeavesOneEndRecordLast) {
  const std::string problem = header() + slope();
  struct Case {
    const char* name;
    std::string input;
    int32_t stop_code;
  };
  const Case cases[] = {
      {"end of file after two analyses", problem + circle_surface(true) + "EXECUT\n", 0},
      {"EXECUT with no surface waiting", problem + "EXECUT\n", 2},
      {"surface rejected by the slicing", problem + "SURFAC\n3\n10. 20. 30. 32. 50. 30.\nEXECUT\n",
       21},
      {"reinforcement with Modified Janbu", problem + kCrossingLayer + circle_surface(false), 2},
      {"input error refused at EXECUT", problem + "LOADS\n0\n" + circle_surface(true), 2},
      {"fatal reader error", problem + "SURFAC\n101\n", 2},
      {"illegal command", problem + "SLOPES\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = run(c.input);
    EXPECT_EQ(r->out.result, 0);
    EXPECT_EQ(r->model().stop_code, c.stop_code);
    expect_single_end_at_the_end(r->out.plot);
  }
}

TEST(WholeRunEnd, RejectedSurfaceReportsItsStatusAndNoFactor) {
  auto r = run(header() + slope() + "SURFAC\n3\n10. 20. 30. 32. 50. 30.\nEXECUT\n");
  EXPECT_EQ(r->model().stop_code, 21);
  EXPECT_NE(r->out.status.find("    7     FAILURE SURFACE EXTEND GROUND"), std::string::npos);
  EXPECT_EQ(r->out.report.find("Factor Of Safety For The Preceding"), std::string::npos);
  EXPECT_EQ(r->out.plot.find("SRF"), std::string::npos);
  expect_single_end_at_the_end(r->out.plot);
}

}  // namespace
}  // namespace scarpex::testing
