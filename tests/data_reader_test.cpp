#include "core/data_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex {
namespace {

using testing::count_of;
using testing::make_reader_engine;

float real_from(Engine& e) {
  float value = -99.0f;
  read_real(e, value);
  return value;
}

int32_t int_from(Engine& e) {
  int32_t value = -99;
  read_int(e, value);
  return value;
}

bool aborted(const Engine& e) {
  return e.model.stop_code == 2;
}

TEST(DataReader, FieldsSeparatedByOneBlankShareALine) {
  auto e = make_reader_engine("12.5 3. -0.25 \n7.\n");
  EXPECT_FLOAT_EQ(real_from(*e), 12.5f);
  EXPECT_FLOAT_EQ(real_from(*e), 3.0f);
  EXPECT_FLOAT_EQ(real_from(*e), -0.25f);
  EXPECT_FLOAT_EQ(real_from(*e), 7.0f);  // the fourth value comes from the next line
  EXPECT_FALSE(aborted(*e));
}

TEST(DataReader, TwoBlanksEndTheLine) {
  auto e = make_reader_engine("1.5  2.5\n3.5\n");
  EXPECT_FLOAT_EQ(real_from(*e), 1.5f);
  EXPECT_FLOAT_EQ(real_from(*e), 3.5f);
}

TEST(DataReader, NewCommandStartsANewLine) {
  auto e = make_reader_engine("1 2\n3\n");
  EXPECT_EQ(int_from(*e), 1);
  e->model.line_loaded = 0;  // as the command loop does before every command word
  EXPECT_EQ(int_from(*e), 3);
}

TEST(DataReader, LetterOReadsAsZeroAndStaysInTheLine) {
  auto e = make_reader_engine("1o.5 2x\n");
  EXPECT_FLOAT_EQ(real_from(*e), 10.5f);
  EXPECT_EQ(e->model.data_line.view().substr(0, 4), "10.5");
  EXPECT_EQ(int_from(*e), 20);  // FR05 on the x: the 2 keeps its place value
  ASSERT_TRUE(aborted(*e));     // and the bad-line block shows the zero
  EXPECT_NE(e->report.text().find(" 10.5 2x"), std::string::npos);
}

TEST(DataReader, RealFieldForms) {
  auto e = make_reader_engine("3.7x 5. -.5 0.0625 1o0.\n");
  EXPECT_FLOAT_EQ(real_from(*e), 3.7f);  // a letter after the point counts as 0
  EXPECT_FLOAT_EQ(real_from(*e), 5.0f);
  EXPECT_FLOAT_EQ(real_from(*e), -0.5f);
  EXPECT_FLOAT_EQ(real_from(*e), 0.0625f);
  EXPECT_FLOAT_EQ(real_from(*e), 100.0f);
  EXPECT_FALSE(aborted(*e));
}

TEST(DataReader, FieldRunningToColumn80EndsThere) {
  std::string line;
  for (int i = 0; i < 25; ++i) line += "1. ";  // columns 1 to 75
  line += "12.3456789";                        // columns 76 to 85: cut at column 80
  auto e = make_reader_engine(line + "\n6.\n");
  for (int i = 0; i < 25; ++i) EXPECT_FLOAT_EQ(real_from(*e), 1.0f);
  EXPECT_FLOAT_EQ(real_from(*e), 12.34f);
  EXPECT_FLOAT_EQ(real_from(*e), 6.0f);
  EXPECT_FALSE(aborted(*e));
}

TEST(DataReader, FR01AtEndOfFile) {
  auto e = make_reader_engine("");
  real_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_NE(e->report.text().find("****  ERROR - FR01  ****"), std::string::npos);
  EXPECT_NE(e->trace.text().find("****  ERROR - FR01  ****"), std::string::npos);
  EXPECT_EQ(e->report.text().find("Error in Following Line"), std::string::npos);
  EXPECT_EQ(e->plot.text(), "END\n");
}

TEST(DataReader, FR02WhenANewLineBeginsWithABlank) {
  auto e = make_reader_engine(" 5.\n");
  real_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_NE(e->report.text().find("FR02"), std::string::npos);
  EXPECT_NE(e->trace.text().find("Error in Following Line of Data"), std::string::npos);
}

TEST(DataReader, FR03AndFR04OneLineEachAndFlagTwo) {
  auto e = make_reader_engine("1.2.3\n");
  int_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_EQ(e->model.input_error_flag, 2);
  EXPECT_EQ(count_of(e->report.text(), "FR03"), 2);
  EXPECT_EQ(count_of(e->trace.text(), "FR03"), 2);

  auto negative = make_reader_engine("-4\n");
  int_from(*negative);
  EXPECT_EQ(count_of(negative->report.text(), "FR04"), 1);
  EXPECT_EQ(negative->model.input_error_flag, 2);
}

TEST(DataReader, FR05KeepsTheDigitsBefore) {
  auto e = make_reader_engine("12a4\n");
  int32_t value = int_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_EQ(value, 1200);
  EXPECT_EQ(count_of(e->report.text(), "FR05"), 1);
  EXPECT_EQ(e->model.input_error_flag, 0);
}

TEST(DataReader, FR06ForARealWithoutAPointAndFR07ForBadCharacters) {
  auto e = make_reader_engine("12\n");
  float value = real_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(count_of(e->report.text(), "FR06"), 1);
  EXPECT_EQ(count_of(e->report.text(), "FR07"), 0);

  auto letters = make_reader_engine("1a2b\n");
  real_from(*letters);
  EXPECT_EQ(count_of(letters->report.text(), "FR06"), 1);
  EXPECT_EQ(count_of(letters->report.text(), "FR07"), 2);
}

TEST(DataReader, FR07BeforeThePointKeepsTheSumSoFar) {
  auto e = make_reader_engine("1.2.3\n");
  float value = real_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_FLOAT_EQ(value, 100.0f);  // the "1" stands two places before the last point
  EXPECT_EQ(count_of(e->report.text(), "FR07"), 1);
}

TEST(DataReader, BadLineBlockLayout) {
  auto e = make_reader_engine("5 x\n");
  real_from(*e);
  std::string expected_block =
      " ****  Error in Following Line of Data  ****\n\n c\n 5 x" + std::string(77, ' ') + "\n\n\n";
  EXPECT_NE(e->report.text().find(expected_block), std::string::npos);
  EXPECT_NE(e->trace.text().find(expected_block), std::string::npos);
}

TEST(DataReader, IntegerTooLargeForThirtyTwoBits) {
  auto e = make_reader_engine("2147483647 2147483648\n");
  EXPECT_EQ(int_from(*e), 2147483647);
  EXPECT_FALSE(aborted(*e));
  int_from(*e);
  ASSERT_TRUE(aborted(*e));
  EXPECT_NE(e->report.text().find("FR08"), std::string::npos);
}

TEST(DataReader, TabIsABadCharacterInAFieldAndWindowsLineEndsAreDropped) {
  // A tab is no blank: it stays in its field, where a real rejects it before the point.
  auto real = make_reader_engine("1.5\t2.5\r\n3.5\r\n");
  real_from(*real);
  ASSERT_TRUE(aborted(*real));
  EXPECT_EQ(count_of(real->report.text(), "FR07"), 1);
  EXPECT_NE(real->report.text().find("\n 1.5\t2.5" + std::string(73, ' ') + "\n"),
            std::string::npos);

  auto integer = make_reader_engine("12\t3\n");
  int_from(*integer);
  ASSERT_TRUE(aborted(*integer));
  EXPECT_EQ(count_of(integer->report.text(), "FR05"), 1);

  // Two tabs do not end the line's data: the values after them are never taken from the
  // next line.
  auto two_tabs = make_reader_engine("1.\t\t2. 3.\n4. 5.\n");
  real_from(*two_tabs);
  ASSERT_TRUE(aborted(*two_tabs));
  EXPECT_EQ(count_of(two_tabs->report.text(), "FR07"), 1);

  // A line that begins with a tab is not a line that begins with a blank.
  auto leading = make_reader_engine("\t5\n");
  int_from(*leading);
  EXPECT_EQ(count_of(leading->report.text(), "FR02"), 0);
  EXPECT_EQ(count_of(leading->report.text(), "FR05"), 1);

  auto crlf = make_reader_engine("1.5 2.5\r\n3.5\r\n");
  EXPECT_FLOAT_EQ(real_from(*crlf), 1.5f);
  EXPECT_FLOAT_EQ(real_from(*crlf), 2.5f);
  EXPECT_FLOAT_EQ(real_from(*crlf), 3.5f);
  EXPECT_FALSE(aborted(*crlf));
}

// The reader's sum, formed as the conversion rule states it with real powers of ten.
float reference_real(const std::string& field) {
  std::size_t point = field.rfind('.');
  float sum = 0.0f;
  for (std::size_t c = 0; c < point; ++c) {
    sum += static_cast<float>(field[c] - '0') * std::pow(10.0f, static_cast<float>(point - c - 1));
  }
  for (std::size_t c = point + 1; c < field.size(); ++c) {
    sum += static_cast<float>(field[c] - '0') / std::pow(10.0f, static_cast<float>(c - point));
  }
  return sum;
}

TEST(DataReader, PlaceValuesMatchRealPowersOfTenBitForBit) {
  std::vector<std::string> fields;
  // Every place a field of 80 columns can give a digit, before and after the point.
  for (std::size_t k = 0; k <= 78; ++k) fields.push_back("7" + std::string(k, '0') + ".");
  for (std::size_t k = 1; k <= 79; ++k) fields.push_back("." + std::string(k - 1, '0') + "3");
  std::mt19937 random(20251209);
  for (int i = 0; i < 3000; ++i) {
    std::size_t length = 1 + random() % 79;
    std::string field(length, '0');
    for (char& c : field) c = static_cast<char>('0' + random() % 10);
    field[random() % length] = '.';
    fields.push_back(field);
  }
  for (const std::string& field : fields) {
    auto e = make_reader_engine(field + "\n");
    float value = real_from(*e);
    ASSERT_FALSE(aborted(*e)) << field;
    float expected = reference_real(field);
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
        << field << ": " << value << " against " << expected;
  }
}

}  // namespace
}  // namespace scarpex
