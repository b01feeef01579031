// The host's results reader: record grouping, malformed and cut files, fields too wide for
// their columns, the names rule shared with the engine, safe reading and the locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <locale>
#include <nlohmann/json.hpp>

#include "host_test_support.h"
#include "results/file_reading.h"
#include "results/plot_reader.h"
#include "results/report_reader.h"
#include "results/results_reader.h"
#include "results/text_fields.h"
#include "run/run_names.h"
#include "views/json_writer.h"
#include "views/number_text.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;

const char* const kHeader =
    "    0    0    0\n"
    "       0.000       0.000       0.000       0.000       0.000       0.000\n";

std::string fixed_block() {
  std::string text = "         0\n";
  for (int i = 1; i <= 8; ++i) text += "      " + std::to_string(i) + ".00\n";
  text += "         0\n";
  for (int i = 1; i <= 5; ++i) text += "      " + std::to_string(i) + ".00\n";
  return text;
}

std::string drawing() {
  return fixed_block() +
         "BND\n      0.00     10.00    2    3\n"
         "     20.0000     10.0000\n     40.0000     20.0000\n"
         "      0.0000      5.0000\n     40.0000      8.0000\n";
}

std::string specified_surface(const std::string& fos) {
  return "SRF\n 3\n" + fos +
         "        30.0000        40.0000        31.6239\n"
         "        20.0000        10.0000\n        30.0000         8.5000\n"
         "        38.0000        19.0000\n";
}

std::string slice_records() {
  return "INF\n 2\n"
         "   1     25.0000  1.000E+02  1.000E+01  1.000E+01  0.000E+00  0.000E+00  0.000E+00  "
         "0.000E+00  0.000E+00\n"
         "   2     34.0000  2.000E+02  8.000E+00  5.000E+00  0.000E+00  0.000E+00  0.000E+00  "
         "0.000E+00  0.000E+00\n"
         "INS\n"
         "   1     25.0000  2.000E+01  1.000E+01  8.000E+00  1.000E+01\n"
         "   2     34.0000  3.000E+01  2.000E+01  9.000E+00  1.000E+01\n"
         "INX\n   1     20.0000    10.0000\n   2     30.0000     8.5000\n   3     38.0000    "
         "19.0000\n";
}

std::string lot_record(const std::string& theta, const std::string& y1) {
  return "LOT\n 3 " + theta +
         "\n"
         "   0  2.000E+01  1.000E+01  0.000E+00  0.000E+00\n"
         "   1  3.000E+01  " +
         y1 +
         "  3.000E-01  5.000E+01\n"
         "   2  3.800E+01  1.900E+01  0.000E+00  0.000E+00\n";
}

std::string error_of(const std::string& text) {
  try {
    read_plot_file("plot.plt", text);
  } catch (const ResultsError& e) {
    return e.what();
  }
  return "no error";
}

TEST(PlotReader, GroupsRecordsIntoAnalyses) {
  // A Spencer analysis whose line of thrust comes before its drawing, then a second surface
  // whose slice records carry their own.
  std::string text = kHeader + lot_record("0.0", "1.111E+01") + drawing() +
                     specified_surface("          1.938") + slice_records() + "NPL\n" + drawing() +
                     specified_surface("          2.500") + slice_records() +
                     lot_record("0.0", "1.222E+01") + "END\n";
  PlotData plot = read_plot_file("plot.plt", text);
  ASSERT_EQ(plot.analyses.size(), 2u);
  EXPECT_TRUE(plot.ended);
  const Analysis& first = plot.analyses[0];
  EXPECT_EQ(first.kind, AnalysisKind::kSpecified);
  EXPECT_DOUBLE_EQ(*first.factor_of_safety(), 1.938);
  ASSERT_TRUE(first.line_of_thrust);
  EXPECT_DOUBLE_EQ(first.line_of_thrust->points[1].y, 11.11);
  ASSERT_TRUE(plot.analyses[1].line_of_thrust);
  EXPECT_DOUBLE_EQ(plot.analyses[1].line_of_thrust->points[1].y, 12.22);
  // BND: the ground surface through the top boundaries' right ends, then the others.
  const Drawing& d = first.drawing;
  ASSERT_EQ(d.ground_surface.size(), 3u);
  EXPECT_DOUBLE_EQ(d.ground_surface[2].y, 20.0);
  ASSERT_EQ(d.boundaries.size(), 3u);
  EXPECT_FALSE(d.boundaries[2].top);
  EXPECT_DOUBLE_EQ(d.boundaries[2].right.y, 8.0);
  ASSERT_TRUE(first.slices);
  EXPECT_DOUBLE_EQ(first.slices->rows[1].base_total_stress, 30.0);
  EXPECT_EQ(first.slices->edges.size(), 3u);
}

TEST(PlotReader, SearchFixtures) {
  fs::path folder = fs::path(SCARPEX_TEST_DATA).parent_path() / "host_data" / "circle_search";
  std::string why;
  auto files = run_files_of(folder / "names.dat", why);
  ASSERT_TRUE(files) << why;
  Results r = read_results(*files);
  ASSERT_EQ(r.analyses.size(), 1u);
  const Analysis& search = r.analyses[0];
  EXPECT_EQ(search.kind, AnalysisKind::kSearch);
  EXPECT_EQ(search.trials.size(), 13u);  // trial 6 could not be generated
  EXPECT_EQ(search.trials[5].trial, 7);
  ASSERT_EQ(search.critical.size(), 10u);
  EXPECT_TRUE(search.critical_listed);
  for (std::size_t k = 1; k < search.critical.size(); ++k) {
    EXPECT_LE(search.critical[k - 1].factor_of_safety, search.critical[k].factor_of_safety);
  }
  ASSERT_TRUE(search.critical[0].circle);
  EXPECT_EQ(search.method, "Spencer");
  EXPECT_DOUBLE_EQ(*search.theta, 12.5);
  EXPECT_EQ(search.status, SolutionStatus::kConverged);
  EXPECT_TRUE(search.line_of_thrust);
  EXPECT_EQ(r.trial_count, 14);
  EXPECT_EQ(r.title, "CIRCULAR SEARCH FIXTURE");
  EXPECT_EQ(r.length_unit, "ft");

  files = run_files_of(folder.parent_path() / "block_search" / "names.dat", why);
  Results block = read_results(*files);
  ASSERT_EQ(block.analyses.size(), 1u);
  EXPECT_EQ(block.analyses[0].drawing.boxes.size(), 1u);
  EXPECT_FALSE(block.analyses[0].critical[0].circle);  // blocks have no circle
  EXPECT_EQ(block.analyses[0].method, "Modified Janbu");
}

TEST(PlotReader, MalformedAndCutFilesNameFileAndLine) {
  std::string whole = kHeader + drawing() + specified_surface("          1.938") + "END\n";
  // Cut in the middle of the SRF record (after its second point).
  std::string cut = whole.substr(0, whole.find("        38.0000"));
  EXPECT_EQ(error_of(cut), "plot.plt:28: the file ends early: a point of the surface expected");
  std::string bad_number = whole;
  bad_number.replace(bad_number.find("30.0000         8.5000"), 7, "30.0x00");
  EXPECT_EQ(error_of(bad_number).rfind("plot.plt:28: expected a point of the surface", 0), 0u);
  EXPECT_EQ(error_of(kHeader + drawing() + "XYZ\n"), "plot.plt:24: unknown record \"XYZ\"");
  EXPECT_EQ(error_of(""), "plot.plt: the plot file is empty");
  EXPECT_EQ(error_of(kHeader + std::string("SRF\n 1\n")),
            "plot.plt:3: record SRF before any drawing");
  std::string wrong_counts = kHeader + fixed_block() + "BND\n      0.00     10.00    5    3\n";
  EXPECT_NE(error_of(wrong_counts).find("do not fit together"), std::string::npos);
  // A count far beyond the file reads up to the end and stops there.
  EXPECT_NE(error_of(kHeader + fixed_block() + "BND\n      0.00     10.00    0 99999\n")
                .find("ends early"),
            std::string::npos);
}

TEST(PlotReader, WideValuesAndFieldsOfAsterisks) {
  // Values that fill their columns run together; a value too wide for its field is asterisks.
  std::string text = kHeader + fixed_block() + "BND\n      0.00     10.00    1    1\n" +
                     "-123456.1234-223456.1234\n" + "SRF\n 1\n" +
                     "***************        30.0000        40.0000        31.6239\n" +
                     "        20.0000        10.0000\nEND\n";
  PlotData plot = read_plot_file("plot.plt", text);
  ASSERT_EQ(plot.analyses.size(), 1u);
  EXPECT_DOUBLE_EQ(plot.analyses[0].drawing.ground_surface[1].x, -123456.1234);
  EXPECT_DOUBLE_EQ(plot.analyses[0].drawing.ground_surface[1].y, -223456.1234);
  EXPECT_TRUE(std::isnan(plot.analyses[0].surface->factor_of_safety));
  Results results;
  results.analyses = plot.analyses;
  auto doc = nlohmann::json::parse(results_json(results));
  EXPECT_TRUE(doc["analyses"][0]["factor_of_safety"].is_null());
}

TEST(PlotReader, EndAloneIsARunStoppedInTheHeader) {
  PlotData plot = read_plot_file("plot.plt", "END\n");
  EXPECT_TRUE(plot.ended);
  EXPECT_TRUE(plot.analyses.empty());
}

TEST(ReportReader, ErrorLinesTitleAndUnits) {
  std::string report =
      "          PROBLEM DESCRIPTION   HOMOGENEOUS SLOPE, SPENCER INNER LIMIT O\n"
      "                                F 2                                     \n"
      "          Boundary     X-Left     Y-Left    X-Right    Y-Right    Soil Type\n"
      "             No.          M          M          M          M      Below Bnd\n"
      "\n          ****  ERROR - PF05  ****     Boundaries  1 and  2\n\n"
      "          ****  ERROR - Sl01  ****\n"
      "          ******  EXECUTION OF SCARPEX ABORTED  ******\n";
  ReportData data = read_report_file("report.out", report);
  EXPECT_EQ(data.title, "HOMOGENEOUS SLOPE, SPENCER INNER LIMIT OF 2");
  EXPECT_EQ(data.unit_system, "metric");
  EXPECT_EQ(data.length_unit, "m");
  EXPECT_TRUE(data.aborted);
  ASSERT_EQ(data.errors.size(), 2u);
  EXPECT_EQ(data.errors[0].code, "PF05");
  EXPECT_EQ(data.errors[0].detail, "Boundaries  1 and  2");
  EXPECT_EQ(data.errors[0].line, 6);
  EXPECT_EQ(data.errors[1].code, "Sl01");
  EXPECT_EQ(data.errors[1].detail, "");
  // The second half of the title on a line of its own, even when it begins with a blank.
  data = read_report_file(
      "report.out",
      "          PROBLEM DESCRIPTION   A TITLE WHOSE FORTY-FIRST CHARACTER IS A\n"
      "                                 BLANK                                  \n");
  EXPECT_EQ(data.title, "A TITLE WHOSE FORTY-FIRST CHARACTER IS A BLANK");
}

TEST(StatusReader, LinesCountedAndOutcomesPerTrialSegment) {
  StatusData data =
      read_status_file("status.sts",
                       " ntrial =     1\n ntrial =     1\n     2     NON CONVERGENCE\n     1     "
                       "CONVERGENCE SPENCER 2\n"
                       " ntrial =     2\n     4     SURFACE CAN NOT BE GENERATED\n ntrial =     3\n"
                       "     5     SEARCH LIMITATIONS TOO RESTRICTIVE\n ntrial = *****\n");
  // A run per analysis: a surface read and never analysed, then four trials, the last one
  // numbered beyond the I5 field.
  ASSERT_EQ(data.runs.size(), 2u);
  EXPECT_EQ(data.runs[0], TrialCodes{0});
  EXPECT_EQ(data.runs[1], (TrialCodes{1, 4, 5, 0}));
  ASSERT_EQ(data.outcomes.size(), 1u);  // the last outcome of the one segment that has one
  EXPECT_EQ(data.outcomes[0].number, 1);
  ASSERT_EQ(data.lines.size(), 4u);
  EXPECT_EQ(data.lines[2].count, 1);
  EXPECT_EQ(data.last.text, "SEARCH LIMITATIONS TOO RESTRICTIVE");
  EXPECT_THROW(read_status_file("status.sts", "garbage line\n"), ResultsError);
}

// The host must read the very file the engine wrote: leading blanks kept, trailing blanks
// dropped, at most 255 characters, tabs as blanks.
TEST(RunNames, TheEnginesRule) {
  EXPECT_EQ(engine_file_name("  lead.out   "), "  lead.out");
  EXPECT_EQ(engine_file_name("a\tb.out\t"), "a b.out");
  EXPECT_EQ(engine_file_name(std::string(300, 'x')), std::string(255, 'x'));
  EXPECT_TRUE(engine_keeps_name(" a.out"));
  EXPECT_FALSE(engine_keeps_name("a.out "));
  EXPECT_FALSE(engine_keeps_name(std::string(256, 'x')));
  EXPECT_FALSE(engine_keeps_name(""));

  TempFolder folder("names");
  std::string long_name(300, 'r');
  write_file(folder / "names.dat", "v\n1\n2\nw\n3\np\nin.dat\n in.dat\n  lead.out  \n" + long_name +
                                       "\r\ntrace.trc\nunused\n/abs/status.sts\n");
  std::string why;
  auto files = run_files_of(folder / "names.dat", why);
  ASSERT_TRUE(files) << why;
  EXPECT_EQ(files->input, (folder / " in.dat").string());
  EXPECT_EQ(files->report, (folder / "  lead.out").string());
  EXPECT_EQ(files->plot, (folder / std::string(255, 'r')).string());
  EXPECT_EQ(files->status, "/abs/status.sts");
  write_file(folder / "names.dat", "v\n1\n2\n");
  EXPECT_FALSE(run_files_of(folder / "names.dat", why));
  EXPECT_NE(why.find("holds 3 lines; 13 are needed"), std::string::npos);
}

TEST(FileReading, OnlyRegularFilesUpToTheCap) {
  FileText device = read_regular_file("/dev/zero", kResultsFileCap);
  EXPECT_FALSE(device.text);
  EXPECT_EQ(device.problem, "/dev/zero is not a regular file");
  TempFolder folder("cap");
  EXPECT_FALSE(read_regular_file(folder.path(), 100).text);
  write_file(folder / "big", std::string(3000, 'x'));
  FileText big = read_regular_file(folder / "big", 2048);
  EXPECT_FALSE(big.text);
  EXPECT_NE(big.problem.find("is larger than"), std::string::npos);
  EXPECT_EQ(read_regular_file(folder / "big", 4096).text->size(), 3000u);
  EXPECT_EQ(read_regular_file(folder / "none", 4096).problem,
            (folder / "none").string() + " is not there");
}

// A program embedding the host may have set a comma-decimal locale: numbers are read and
// written with a decimal point all the same.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(Locale, NumbersIgnoreACommaDecimalLocale) {
  std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  std::string c_locale = std::setlocale(LC_ALL, nullptr);
  bool comma_c_locale = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8@comma"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      comma_c_locale = std::localeconv()->decimal_point[0] == ',';
      if (comma_c_locale) break;
    }
  }
  EXPECT_DOUBLE_EQ(*parse_real("1.938"), 1.938);
  EXPECT_FALSE(parse_real("1,938"));
  EXPECT_EQ(fixed_text(1.5, 3), "1.500");
  EXPECT_EQ(short_text(0.25), "0.25");
  PlotData plot = read_plot_file(
      "plot.plt", kHeader + drawing() + specified_surface("          1.938") + "END\n");
  Results results;
  results.analyses = plot.analyses;
  EXPECT_NE(results_json(results).find("\"factor_of_safety\":1.938"), std::string::npos);
  std::setlocale(LC_ALL, c_locale.c_str());
  std::locale::global(saved);
  if (!comma_c_locale)
    GTEST_SKIP() << "no comma-decimal C locale installed; checked the C++ locale only";
}

}  // namespace
}  // namespace scarpex_host::testing
