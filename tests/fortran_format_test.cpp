#include "core/fortran_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace scarpex {
namespace {

std::string render(const char* format, std::initializer_list<FmtValue> values = {}) {
  TextSink sink;
  sink.use_memory();
  FortranFormat(format).write(sink, values);
  return sink.text();
}

TEST(FortranFormat, IntegerFields) {
  EXPECT_EQ(format_int(5, 3, -1), "  5");
  EXPECT_EQ(format_int(-5, 3, -1), " -5");
  EXPECT_EQ(format_int(100, 2, -1), "**");
  EXPECT_EQ(format_int(-10, 2, -1), "**");
  EXPECT_EQ(format_int(5, 2, 2), "05");
  EXPECT_EQ(format_int(2025, 4, 2), "2025");
  EXPECT_EQ(format_int(0, 5, 0), "     ");  // I5.0 writes zero as blanks
  EXPECT_EQ(format_int(0, 5, -1), "    0");
  EXPECT_EQ(format_int(std::numeric_limits<int32_t>::min(), 11, -1), "-2147483648");
}

TEST(FortranFormat, FixedFieldsRoundAndKeepLeadingZeroOnlyWhenItFits) {
  EXPECT_EQ(format_fixed(0.15f, 5, 3), "0.150");
  EXPECT_EQ(format_fixed(0.5f, 4, 2), "0.50");
  EXPECT_EQ(format_fixed(0.5f, 3, 2), ".50");
  EXPECT_EQ(format_fixed(-0.5f, 4, 2), "-.50");
  EXPECT_EQ(format_fixed(-0.5f, 3, 2), "***");
  EXPECT_EQ(format_fixed(62.4f, 7, 2), "  62.40");
  EXPECT_EQ(format_fixed(-0.04f, 6, 1), "  -0.0");
  EXPECT_EQ(format_fixed(999.5f, 9, 4), " 999.5000");
  EXPECT_EQ(format_fixed(10.0f, 5, 3), "*****");  // a coefficient of 10 in F5.3
  EXPECT_EQ(format_fixed(0.0f, 7, 1), "    0.0");
}

TEST(FortranFormat, FixedFieldWithoutDecimalsEndsWithThePoint) {
  EXPECT_EQ(format_fixed(12345.4f, 12, 0), "      12345.");
  EXPECT_EQ(format_fixed(2.5f, 4, 0), "  2.");  // ties go to the even neighbour
  EXPECT_EQ(format_fixed(0.4f, 3, 0), " 0.");
}

TEST(FortranFormat, ExponentFieldsWithScaleFactorOne) {
  EXPECT_EQ(format_exp(1500.0f, 9, 2, 1), " 1.50E+03");
  EXPECT_EQ(format_exp(-1500.0f, 9, 2, 1), "-1.50E+03");
  EXPECT_EQ(format_exp(0.0f, 9, 2, 1), " 0.00E+00");
  EXPECT_EQ(format_exp(200.0f, 10, 3, 1), " 2.000E+02");
  EXPECT_EQ(format_exp(1.0e-40f, 10, 3, 1), " 1.000E-40");
  EXPECT_EQ(format_exp(0.00105f, 9, 2, 1), " 1.05E-03");
  EXPECT_EQ(format_exp(-1500.0f, 8, 2, 1), "********");
  EXPECT_EQ(format_exp(1500.0f, 9, 2, 0), " 0.15E+04");
}

TEST(FortranFormat, UnprintableValuesFillTheFieldWithAsterisks) {
  float nan = std::numeric_limits<float>::quiet_NaN();
  float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(format_fixed(nan, 6, 2), "******");
  EXPECT_EQ(format_fixed(-inf, 6, 2), "******");
  EXPECT_EQ(format_exp(inf, 9, 2, 1), "*********");
}

TEST(FortranFormat, TextSkipAndSlashMakeLines) {
  EXPECT_EQ(render("(/,10X,'****  ERROR - ',A4,'  ****',/)", {"PF01"}),
            "\n          ****  ERROR - PF01  ****\n\n");
  EXPECT_EQ(render("('1',/,/,/,9X,'ISOTROPIC SOIL PARAMETERS',/,/)"),
            "1\n\n\n         ISOTROPIC SOIL PARAMETERS\n\n\n");
  EXPECT_EQ(render("()"), "\n");
  EXPECT_EQ(render("(5X,3('='))"), "     ===\n");
  EXPECT_EQ(render("('It''s')"), "It's\n");
}

TEST(FortranFormat, BlanksSkippedAtTheEndOfALineAreNotWritten) {
  EXPECT_EQ(render("(A,5X)", {"ab"}), "ab\n");
  EXPECT_EQ(render("(A,5X,A)", {"ab", "c"}), "ab     c\n");
}

TEST(FortranFormat, AlphaFieldsCutOrRightJustify) {
  EXPECT_EQ(render("(A6)", {"ab"}), "    ab\n");
  EXPECT_EQ(render("(A2)", {"abcdef"}), "ab\n");
  EXPECT_EQ(render("(A)", {"whole text"}), "whole text\n");
  EXPECT_EQ(render("(A,'|',A3,'|')", {std::string_view{}, std::string_view{}}), "|   |\n");
}

TEST(FortranFormat, OutputEndsBeforeTheFirstItemWithoutAValue) {
  EXPECT_EQ(render("(10X,'Of ',F5.3,' Has Been Assigned')", {0.15f}),
            "          Of 0.150 Has Been Assigned\n");
  EXPECT_EQ(render("(I3,' and',I3,' more')", {1}), "  1 and\n");
}

TEST(FortranFormat, ReversionRestartsAtTheLastGroupOnANewLine) {
  EXPECT_EQ(render("(/,/,10X,'Legal Commands - ',A6,/,(27X,A6))", {"PROFIL", "LOADS ", "TIES  "}),
            "\n\n          Legal Commands - PROFIL\n"
            "                           LOADS \n"
            "                           TIES  \n");
  EXPECT_EQ(render("(2I5)", {1, 2, 3}), "    1    2\n    3\n");
  EXPECT_EQ(render("(I3,(2X,I2))", {1, 2, 3, 4}), "  1   2\n   3\n   4\n");
}

TEST(FortranFormat, RepeatCountsAndNestedGroups) {
  EXPECT_EQ(render("(1X,I3,3X,F5.1,2(1X,1PE9.2))", {1, 2.5f, 1500.0f, -3.0f}),
            "   1     2.5  1.50E+03 -3.00E+00\n");
  EXPECT_EQ(render("(2(I2,2(I1)))", {1, 2, 3, 4, 5, 6}), " 123 456\n");
  EXPECT_EQ(render("(3F6.1)", {1.0f, 2, 3.0f}), "   1.0   2.0   3.0\n");
}

// Blanks of X items before the reverted group belong to the first pass only; blanks inside it
// are written on every pass; texts that follow one another stay in order.
TEST(FortranFormat, UnrolledFormatsKeepBlanksAtTheReversionBoundaries) {
  EXPECT_EQ(render("(I2,3X,(2X,I1))", {1, 2, 3}), " 1     2\n  3\n");
  EXPECT_EQ(render("(I1,(2X,I1),4X)", {1, 2, 3}), "1  2\n  3\n");
  EXPECT_EQ(render("(I1,2X,(I1,'|'),1X,'e')", {1, 2, 3}), "1  2| e\n3|\n");
  EXPECT_EQ(render("(2(I1,2X),'|')", {1}), "1\n");
  EXPECT_EQ(render("(2(I1,2X),'|')", {1, 2}), "1  2  |\n");
  EXPECT_EQ(render("('a',2X,'b',/,3X,'c',2('d'))"), "a  b\n   cdd\n");
  EXPECT_EQ(render("(1X,1PE9.2,(F5.1,E9.2))", {1500.0f, 2.5f, 3.0f, 4.5f, 5.0f}),
            "  1.50E+03  2.5 3.00E+00\n  4.5 5.00E+00\n");
}

// Bare A texts and many reversions write more than one pass of the format holds.
TEST(FortranFormat, RecordsLongerThanOnePassAreWrittenWhole) {
  const std::string long_text(5000, 'x');
  EXPECT_EQ(render("(A,'|',A)", {long_text, long_text}), long_text + "|" + long_text + "\n");
  std::vector<FmtValue> values;
  std::string expected;
  for (int32_t i = 0; i < 2000; ++i) {
    values.emplace_back(i);
    values.emplace_back(long_text);
    expected += (i == 0 ? "" : "\n") + format_int(i, 5, -1) + long_text.substr(0, 3);
  }
  TextSink sink;
  sink.use_memory();
  FortranFormat("((I5,A3))").write(sink, values);
  EXPECT_EQ(sink.text(), expected + "\n");
}

// A format of F fields only is written by a path of its own. A trailing empty text sends the
// same format down the general walk, which must write the very same lines.
TEST(FortranFormat, FormatsOfFixedFieldsOnlyWriteWhatTheGeneralWalkWrites) {
  const char* formats[][2] = {{"(2F15.4)", "(2F15.4,'')"},
                              {"(1X,F8.2,2X,F6.1)", "(1X,F8.2,2X,F6.1,'')"},
                              {"(3(F5.0))", "(3(F5.0),'')"}};
  const std::vector<std::vector<FmtValue>> lists = {
      {},
      {1.5f},
      {20.12345f, -0.00004f},
      {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f},
      {int32_t{12}, 1e9f, std::numeric_limits<float>::quiet_NaN(), -3.25f},
      {1.0f, "text", 2.0f},
  };
  for (const auto& pair : formats) {
    for (const auto& values : lists) {
      TextSink fast, general;
      fast.use_memory();
      general.use_memory();
      FortranFormat(pair[0]).write(fast, values);
      FortranFormat(pair[1]).write(general, values);
      EXPECT_EQ(fast.text(), general.text()) << pair[0] << " with " << values.size() << " values";
    }
  }
}

TEST(FortranFormat, MismatchedValuesAreShownAsAsterisks) {
  EXPECT_EQ(render("(I3,A2,F4.1)", {1.5f, 7, "x"}), "*********\n");
}

TEST(FortranFormat, BadFormatsAreRejectedWhenParsed) {
  EXPECT_THROW(FortranFormat("(I3"), std::invalid_argument);
  EXPECT_THROW(FortranFormat("(Q3)"), std::invalid_argument);
  EXPECT_THROW(FortranFormat("('open)"), std::invalid_argument);
  EXPECT_THROW(FortranFormat("(F5)"), std::invalid_argument);
  EXPECT_THROW(FortranFormat("(I99999)"), std::invalid_argument);  // a width no layout has
}

TEST(FreeFormatLines, OneBlankThenTheValues) {
  TextSink sink;
  sink.use_memory();
  write_free_line(sink, {6, 0.0f});
  write_free_line(sink, {"    1     CONVERGENCE"});
  write_free_line(sink);
  write_free_line(sink, {1.5f, -2, 1.0e20f});
  EXPECT_EQ(sink.text(), " 6 0.0\n     1     CONVERGENCE\n\n 1.5 -2 1e+20\n");
}

}  // namespace
}  // namespace scarpex
