// Input files of the search tests: a header, a profile and the data items of a search.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex::testing {

// A layered slope rising from x = 20 to 40 (20 m to 30 m high) with a water table.
inline std::string layered_slope_problem() {
  return "PROFIL\nLAYERED SLOPE\n4 3 2\n"
         "0. 20. 20. 20. 1\n20. 20. 40. 30. 1\n40. 30. 70. 30. 1\n0. 15. 70. 22. 2\n"
         "SOIL\n0 2\n18.5 20. 5. 30. 0. 0. 1 0\n19.5 20.5 10. 25. 0. 0. 1 0\n"
         "WATER\n1 9.81\n4\n0. 17. 30. 19. 50. 24. 70. 25.\n";
}

// The items of a circular or irregular search, one group per line.
struct CircleItems {
  std::string counts = "2 5";
  std::string initiation = "8. 18.";
  std::string termination = "42. 66.";
  std::string elevation_and_segment = "0. 2.";
  std::string angles = "0. 0.";
  std::string text(const std::string& command = "CIRCLE") const {
    return command + "\n" + counts + "\n" + initiation + "\n" + termination + "\n" +
           elevation_and_segment + "\n" + angles + "\n";
  }
};

// One SFS record of a plot file: the trial number, the status and the points.
struct TrialRecord {
  int trial = 0;
  int status = 0;
  float fos = 0.0f;
  std::vector<float> x, y;
};

inline std::vector<TrialRecord> trial_records(const std::string& plot) {
  std::vector<TrialRecord> records;
  std::istringstream lines(plot);
  std::string line;
  while (std::getline(lines, line)) {
    if (line != "SFS") continue;
    TrialRecord r;
    int points = 0;
    lines >> r.trial >> points >> r.status >> r.fos;
    std::getline(lines, line);  // the rest of the factor-of-safety line
    for (int p = 0; p < points; ++p) {
      float x = 0.0f, y = 0.0f;
      lines >> x >> y;
      r.x.push_back(x);
      r.y.push_back(y);
    }
    std::getline(lines, line);
    records.push_back(r);
  }
  return records;
}

}  // namespace scarpex::testing
