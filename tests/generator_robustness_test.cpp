#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "generator_test_slopes.h"
#include "search/generate_surface.h"

namespace scarpex {
namespace {

using testing::ground_at;
using testing::kDegree;

// Arbitrary, often senseless, search settings on random profiles: every generator must end
// with a finite surface of 1 to 100 points or one of its failure codes, and never touch
// anything outside the tables (run under the sanitizers to see the latter).
class ArbitrarySettings {
 public:
  explicit ArbitrarySettings(uint32_t seed) : random_(seed) {}

  float uniform(float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random_);
  }
  int32_t integer(int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random_);
  }

  void fill(ProblemModel& m) {
    // A ground surface of 1 to 6 top boundaries, some vertical, and layers below it.
    int32_t top = integer(1, 6);
    std::vector<testing::Line> lines;
    float x = 0.0f, y = uniform(5.0f, 40.0f);
    for (int32_t j = 0; j < top; ++j) {
      float nx = integer(0, 4) == 0 ? x : x + uniform(0.0f, 40.0f);
      float ny = std::max(1.0f, y + uniform(-20.0f, 20.0f));
      lines.push_back({x, y, nx, ny, integer(1, 3)});
      x = nx;
      y = ny;
    }
    for (int32_t j = 0, layers = integer(0, 3); j < layers; ++j) {
      float depth = 2.0f + 4.0f * static_cast<float>(j);
      lines.push_back(
          {0.0f, std::max(0.0f, 5.0f - depth), x, std::max(0.0f, 5.0f - depth), integer(1, 3)});
    }
    testing::set_profile(m, lines, top);
    for (int32_t s = 1; s <= 3; ++s) m.soil_friction_angle[s] = uniform(0.0f, 45.0f);

    m.segment_length = integer(0, 9) == 0 ? uniform(0.0f, 0.01f) : uniform(0.5f, 15.0f);
    m.min_elevation = uniform(-5.0f, 10.0f);
    m.term_x_left = uniform(0.0f, x);
    m.term_x_right = uniform(m.term_x_left, x + 5.0f);
    m.term_y_left = ground_at(m, m.term_x_left);
    m.term_y_right = ground_at(m, m.term_x_right);
    if (std::isnan(m.term_y_left)) m.term_y_left = y;
    if (std::isnan(m.term_y_right)) m.term_y_right = y;
    m.angle_restricted = integer(0, 1);
    m.init_angle_lower = uniform(-80.0f, 10.0f) * kDegree;
    m.init_angle_upper = m.init_angle_lower + uniform(0.0f, 60.0f) * kDegree;
    m.start_boundary = integer(1, top);
    m.surface_x[1] = uniform(0.0f, x);
    float ground = ground_at(m, m.surface_x[1]);
    m.surface_y[1] = std::isnan(ground) ? y : ground;

    m.limits_active = integer(0, 1);
    m.limit_count = integer(0, 4);
    m.limit_upward_count = integer(0, m.limit_count);
    for (int32_t l = 1; l <= m.limit_count; ++l) {
      m.limit_x_left[l] = uniform(0.0f, x);
      m.limit_x_right[l] = uniform(m.limit_x_left[l], x + 1.0f);
      m.limit_y_left[l] = uniform(0.0f, 40.0f);
      m.limit_y_right[l] = uniform(0.0f, 40.0f);
    }

    std::vector<testing::Box> boxes;
    for (int32_t b = 0, count = integer(1, 10); b < count; ++b) {
      float bx = uniform(0.0f, x);
      boxes.push_back({bx, uniform(0.0f, 20.0f), bx + uniform(0.0f, 10.0f), uniform(0.0f, 20.0f),
                       uniform(0.0f, 4.0f)});
    }
    testing::set_boxes(m, boxes);
  }

 private:
  std::mt19937 random_;
};

TEST(Generators, EndSoundlyWhateverTheSettings) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    auto e = testing::block_search_engine();
    ProblemModel& m = e->model;
    ArbitrarySettings settings(seed);
    settings.fill(m);
    int32_t kind = static_cast<int32_t>(seed % 4);
    m.circular_search = kind == 0 ? 1 : 0;
    m.block_search = kind >= 2 ? 1 : 0;
    m.block2_mode = kind == 3 ? 1 : 0;
    m.bishop_method = 1;
    for (int call = 0; call < 3; ++call) {
      m.stop_code = 0;
      m.surface_point_count = 0;
      generate_surface(*e);
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " kind " << kind);
      if (m.stop_code != 0) {
        EXPECT_TRUE(m.stop_code == 10 || m.stop_code == 11 || m.stop_code == 12) << m.stop_code;
        continue;
      }
      ASSERT_GE(m.surface_point_count, kind >= 2 ? 2 : 3);
      ASSERT_LE(m.surface_point_count, 100);
      for (int32_t k = 1; k <= m.surface_point_count; ++k) {
        ASSERT_TRUE(std::isfinite(m.surface_x[k]) && std::isfinite(m.surface_y[k])) << k;
      }
      if (kind == 0) {
        EXPECT_TRUE(std::isfinite(m.circle_radius));
      }
    }
  }
}

}  // namespace
}  // namespace scarpex
