// Spencer's method on surfaces where its iteration settles on a root that is no factor of
// safety: a negative one is reported as negative, a positive one that no fresh search from the
// Modified Bishop factor can replace as no convergence, and one that it can replace by the
// physical root. The surfaces are trials of searches through weak layers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "search_problem.h"
#include "test_engine.h"

namespace scarpex::testing {
namespace {

std::string controls(const char* report_switch) {
  return std::string("HEADER\n50 100 50 0 0 ") + report_switch +
         "\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";
}

// A published three-soil slope whose weak middle layer runs under the face.
std::string weak_middle_layer() {
  return "PROFIL\nTHREE SOILS, WEAK MIDDLE LAYER, SPENCER SEARCH\n7 5 2\n"
         "0.0000 115.0000 18.0000 115.0000 2\n18.0000 115.0000 24.0000 119.0000 2\n"
         "24.0000 119.0000 48.0000 135.0000 1\n48.0000 135.0000 72.0000 135.0000 1\n"
         "72.0000 135.0000 96.0000 135.0000 2\n24.0000 119.0000 72.0000 135.0000 2\n"
         "0.0000 103.0000 96.0000 135.0000 3\n"
         "SOIL\n0 3\n18.82 18.82 29.40 12.00 0.000 0.0 0 0\n"
         "18.82 18.82 9.80 5.00 0.000 0.0 0 0\n18.82 18.82 294.00 40.00 0.000 0.0 0 0\n"
         "SPENCR\n30.\n";
}

std::string surbis(const std::vector<const char*>& points) {
  std::string text = "SURBIS\n" + std::to_string(points.size()) + "\n";
  for (const char* p : points) text += std::string(p) + "\n";
  return text + "EXECUT\n";
}

// The factors of the " spencer iter =" trace lines: {Fm, Ff} of the last one.
std::vector<float> last_outer_factors(const std::string& trace) {
  std::size_t line = trace.rfind("spencer iter =");
  if (line == std::string::npos) return {};
  std::size_t fm = trace.find("fosm=", line), ff = trace.find("fosf=", line);
  return {std::strtof(trace.c_str() + fm + 5, nullptr),
          std::strtof(trace.c_str() + ff + 5, nullptr)};
}

float last_bishop_factor(const std::string& trace) {
  std::size_t line = trace.rfind("  iter=");
  return std::strtof(trace.c_str() + trace.find("fos=", line) + 4, nullptr);
}

TEST(SpencerRoots, ASearchListsOnlyPhysicalRootsAndFindsTheWeakLayersMinimum) {
  RunOutputs out = run_input(controls("0") + weak_middle_layer() +
                             "CIRCL2\n31 330\n0.0000 30.0000\n36.0000 96.0000\n103.0000\n"
                             "1.0000\n0. 0.\nEXECUT\n");
  std::vector<float> listed;
  for (std::size_t at = out.report.find("***  FOS ="); at != std::string::npos;
       at = out.report.find("***  FOS =", at + 1)) {
    listed.push_back(std::strtof(out.report.c_str() + at + 10, nullptr));
  }
  ASSERT_EQ(listed.size(), 10u);
  // Before, the list began with -0.275, -0.126, -0.070, -0.055, -0.011, -0.009 and 0.043. An
  // independent analysis of the slope gives 0.424.
  EXPECT_FLOAT_EQ(listed.front(), 0.423f);
  for (float fos : listed) EXPECT_LT(fos, 0.44f);
  // The negative roots are trial outcomes of their own, as under the other methods.
  EXPECT_EQ(count_of(out.status, "    3     NEGATIVE FACTOR OF SAFETY"), 6);
  for (const TrialRecord& r : trial_records(out.plot)) {
    if (r.status == 1) {
      EXPECT_GT(r.fos, 0.3f) << "trial " << r.trial;
    }
  }
}

TEST(SpencerRoots, ANegativeRootIsANegativeFactorOfSafety) {
  // Theta is clamped at 0 and the line estimate starts the last inner iteration below 0.
  RunOutputs out = run_input(
      controls("1") + weak_middle_layer() +
      surbis({"21.0005 117.0003", "22.0004 116.9878", "22.9996 117.0292", "23.9950 117.1244",
              "24.9839 117.2731", "25.9633 117.4749", "26.9305 117.7292", "27.8825 118.0352",
              "28.8166 118.3922", "29.7301 118.7989", "30.6204 119.2544", "31.4849 119.7571",
              "32.3209 120.3057", "33.1262 120.8986", "33.8984 121.5340", "34.6352 122.2101",
              "35.3344 122.9250", "35.9942 123.6765", "36.6124 124.4625", "37.1874 125.2807",
              "37.7174 126.1286", "38.2010 127.0039", "38.6367 127.9040", "39.0232 128.8263",
              "39.1118 129.0746"}));
  EXPECT_EQ(out.status, " ntrial =     1\n     3     NEGATIVE FACTOR OF SAFETY\n");
  EXPECT_NE(out.trace.find("fosm=     -0.2757   fosf=      -0.2748"), std::string::npos);
  EXPECT_NE(out.report.find("          Negative Factor Of Safety \n"), std::string::npos);
  EXPECT_NE(out.report.find("***  FOS =    -0.275"), std::string::npos);  // the slice tables
  EXPECT_EQ(out.report.find("Factor Of Safety For The Preceding Specified"), std::string::npos);
}

TEST(SpencerRoots, APositiveRootThatClosesNoBalanceIsNoConvergence) {
  // The inner iteration stalls at 0.043 next to a pole of the residuals; at 0.043 the force
  // residual of fresh slices is about 4,000 kN, and no angle from 0 to 60 degrees brings the
  // moment and force factors (0.83 and 1.06 at 0) together.
  RunOutputs out = run_input(
      controls("0") + weak_middle_layer() +
      surbis({"22.0005 117.6670", "23.0000 117.6346", "23.9996 117.6603", "24.9961 117.7440",
              "25.9861 117.8853", "26.9662 118.0838", "27.9331 118.3388", "28.8836 118.6495",
              "29.8145 119.0148", "30.7227 119.4335", "31.6049 119.9042", "32.4585 120.4253",
              "33.2803 120.9950", "34.0677 121.6115", "34.8180 122.2726", "35.5287 122.9761",
              "36.1974 123.7196", "36.8218 124.5007", "37.3998 125.3167", "37.9296 126.1649",
              "38.4092 127.0424", "38.8371 127.9462", "39.2119 128.8733", "39.3289 129.2193"}));
  EXPECT_EQ(out.status, " ntrial =     1\n     2     NON CONVERGENCE SPENCER\n");
  EXPECT_NE(out.trace.find("fosm=      0.0427   fosf=       0.0427"), std::string::npos);
  EXPECT_EQ(count_of(out.trace, "spencer iter ="), 30);  // 5 of the iteration, 25 angles
  EXPECT_NE(out.console.find("Has Gone Through    30 Iterations"), std::string::npos);
}

TEST(SpencerRoots, ARootBesideAPoleIsReplacedByThePhysicalOne) {
  // Three soils with water; the iteration ended at 0.4725 (theta 3.03), a stall next to the
  // pole of the residuals, where the Modified Bishop factor of the circle is 0.871.
  const std::string problem =
      "PROFIL\nWEAK LAYER UNDER WATER\n5 3 2\n0. 20. 20. 20. 1\n20. 20. 40. 30. 1\n"
      "40. 30. 80. 30. 1\n0. 17. 80. 19. 2\n0. 10. 80. 12. 3\n"
      "SOIL\n0 3\n19.0 19.0 10.0 30.0 0. 0. 1 0\n18.0 18.0 2.0 8.0 0. 0. 1 0\n"
      "21.0 21.0 40.0 35.0 0. 0. 1 0\n"
      "WATER\n1 9.81\n4\n0.0 18.0 30.0 20.0 50.0 26.0 80.0 27.0\nSPENCR\n30.\n";
  RunOutputs out =
      run_input(controls("1") + problem +
                surbis({"10.5268 20.0000", "11.6790 19.0395", "12.8806 18.1417", "14.1282 17.3089",
                        "15.4182 16.5436", "16.7472 15.8479", "18.1112 15.2238", "19.5064 14.6730",
                        "20.9289 14.1971", "22.3747 13.7975", "23.8397 13.4753", "25.3197 13.2314",
                        "26.8106 13.0665", "28.3082 12.9809", "29.8082 12.9751", "31.3063 13.0490",
                        "32.7985 13.2024", "34.2804 13.4348", "35.7478 13.7457", "37.1967 14.1340",
                        "38.6228 14.5988", "40.0223 15.1388", "41.3911 15.7523", "42.7254 16.4376",
                        "44.0213 17.1929", "45.2753 18.0160", "46.4838 18.9045", "47.6434 19.8560",
                        "48.7509 20.8678", "49.8029 21.9369", "50.7967 23.0605", "51.7294 24.2353",
                        "52.5984 25.4579", "53.4012 26.7250", "54.1355 28.0330", "54.7993 29.3781",
                        "55.0661 30.0000"}));
  EXPECT_EQ(out.status, " ntrial =     1\n     1     CONVERGENCE SPENCER 1\n");
  std::vector<float> factors = last_outer_factors(out.trace);
  ASSERT_EQ(factors.size(), 2u);
  EXPECT_NEAR(factors[0], factors[1], 0.001f);
  // A rigorous factor within a few percent of the simplified one, as on a circle it must be.
  const float bishop = last_bishop_factor(out.trace);
  EXPECT_NEAR(factors[0] / bishop, 1.0f, 0.03f) << "Bishop " << bishop;
  EXPECT_NE(out.report.find("Surface =  0.886"), std::string::npos);
  EXPECT_EQ(out.report.find("Misleading"), std::string::npos);
  EXPECT_NE(out.report.find("*** Line of Thrust ***"), std::string::npos);
}

}  // namespace
}  // namespace scarpex::testing
