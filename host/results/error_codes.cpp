#include "results/error_codes.h"

#include <array>

namespace scarpex_host {

namespace {

constexpr CodeOrigin kLanguage = CodeOrigin::kCommandLanguage;
constexpr CodeOrigin kOwn = CodeOrigin::kEngineOwn;
constexpr bool kDataLine = true;

constexpr std::string_view kSearchRefused = "no (the search is refused)";
constexpr std::string_view kCircular = "circular, irregular";

// Meanings are written to read on after "Error CODE: " in the host's output.
constexpr std::array kCodes = {
    // The header and the data-line reader.
    ErrorCode{"HD01", "header", "the file ends before a header value", "yes", kOwn},
    ErrorCode{"HD02", "header", "a header value cannot be read as its integer or real", "yes",
              kOwn},
    ErrorCode{"FR01", "any data line, PROFIL title", "the file ends where a data line is due",
              "yes"},
    ErrorCode{"FR02", "any data line", "a new data line begins with a blank", "yes", kLanguage,
              kDataLine},
    ErrorCode{"FR03", "any integer", "an integer is written with a decimal point", "yes", kLanguage,
              kDataLine},
    ErrorCode{"FR04", "any integer", "an integer is written with a minus sign", "yes", kLanguage,
              kDataLine},
    ErrorCode{"FR05", "any integer", "an integer holds a character that is not a digit", "yes",
              kLanguage, kDataLine},
    ErrorCode{"FR06", "any real", "a real number is written without a decimal point", "yes",
              kLanguage, kDataLine},
    ErrorCode{"FR07", "any real", "a real number holds a character that is not a digit", "yes",
              kLanguage, kDataLine},
    ErrorCode{"FR08", "any integer", "an integer has more digits than a 32-bit integer holds",
              "yes", kOwn, kDataLine},
    // The order of the commands.
    ErrorCode{"SQ01", "command loop", "the first command is not PROFIL", "no"},
    ErrorCode{"SQ02", "EXECUT", "EXECUT comes before any SOIL", "yes"},
    ErrorCode{"SQ04", "ANISO", "ANISO comes before any SOIL (its data are still read)", "no"},
    ErrorCode{"SQ05", "search commands", "a search comes before any SOIL (the search runs)",
              "no (flag not set)"},
    ErrorCode{"SP01", "SPENCR", "the angle is not above 0 and at most 90 degrees", "yes"},
    ErrorCode{kIllegalCommandCode, "command loop",
              "the command word (columns 1 to 6) is not one of the commands", "yes",
              CodeOrigin::kHost},
    // PROFIL and SOIL.
    ErrorCode{"PF01", "PROFIL", "fewer boundaries than top boundaries, or no top boundary", "no"},
    ErrorCode{"PF02", "PROFIL", "more than 100 boundaries", "yes"},
    ErrorCode{"PF03", "PROFIL", "a boundary coordinate is at or below -0.001", "no"},
    ErrorCode{"PF04", "PROFIL", "a boundary's right end lies left of its left end", "no"},
    ErrorCode{"PF05", "PROFIL", "two consecutive top boundaries do not meet", "no"},
    ErrorCode{"PF06", "PROFIL", "a lower boundary crosses or lies above an earlier one", "no"},
    ErrorCode{"PF07", "PROFIL", "a boundary's soil type is 0 or less, or above 20", "no", kOwn},
    ErrorCode{"Sl01", "SOIL", "a boundary names a soil type above the count of soil types", "no"},
    ErrorCode{"S102", "SOIL", "more than 20 soil types", "yes"},
    ErrorCode{"S103", "SOIL", "changes are asked for while no soil types are defined", "no"},
    ErrorCode{"S104", "SOIL", "more changes than soil types", "above 20 changes"},
    ErrorCode{"S105", "SOIL", "a changed type number of 0 or above the count of soil types",
              "above 20"},
    // WATER, LOADS and TIES.
    ErrorCode{"WA01", "WATER", "a count of 0 while no surface is stored or active", "no"},
    ErrorCode{"WA02", "WATER", "more than 40 points on a piezometric surface", "yes"},
    ErrorCode{"WA03", "WATER", "fewer than 2 points on a piezometric surface", "no"},
    ErrorCode{"WA04", "WATER", "a point coordinate at or below -0.001", "no"},
    ErrorCode{"WA05", "WATER", "x does not increase strictly along a piezometric surface", "no"},
    ErrorCode{"WA06", "WATER", "more than 10 piezometric surfaces", "yes", kOwn},
    ErrorCode{"LD01", "LOADS", "a count of 0 while no load is stored or active", "no"},
    ErrorCode{"LD02", "LOADS", "more than 50 loads (or a negative count)", "yes"},
    ErrorCode{"LD03", "LOADS", "X-Left or X-Right is not above -0.001", "no"},
    ErrorCode{"LD04", "LOADS", "X-Right is not greater than X-Left", "no"},
    ErrorCode{"LD05", "LOADS", "a load overlaps the one before it", "no"},
    ErrorCode{"LD06", "LOADS",
              "a warning, not an error: a load end lies beyond the ground surface and stands "
              "on a top boundary's line extended",
              "no (flag not set)", kOwn},
    ErrorCode{"TI01", "TIES", "a count of 0 while no tieback is stored or active", "no"},
    ErrorCode{"TI02", "TIES", "more than 10 tieback rows (or a negative count)", "yes"},
    ErrorCode{"TI03", "TIES", "the head or far-end elevation is not above -0.001", "no"},
    ErrorCode{"TI04", "TIES", "the inclination is below 0 or not below 180 degrees", "no"},
    ErrorCode{"TI05", "TIES", "the head is not on its boundary", "no"},
    ErrorCode{"TI06", "TIES", "the spacing is less than 1.0", "no"},
    ErrorCode{"TI07", "TIES", "the length is less than 0", "no"},
    // REINF, ANISO and LIMITS.
    ErrorCode{"RF01", "REINF", "a layer count of 0 (the command ends)", "no"},
    ErrorCode{"RF02", "REINF", "more than 50 layers (or a negative count)", "yes"},
    ErrorCode{"RF03", "REINF", "a layer with more than 40 points", "yes"},
    ErrorCode{"RF04", "REINF", "a point coordinate is not above -0.001", "yes"},
    ErrorCode{"RF05", "REINF", "an axial or shear force is not above -0.001", "yes"},
    ErrorCode{"RF06", "REINF", "an inclination factor is not above -0.001, or above 1.001", "yes"},
    ErrorCode{"RF08", "REINF", "a layer with fewer than 2 points", "yes"},
    ErrorCode{"RF09", "EXECUT (analysis)", "reinforcement cannot go with the Modified Janbu method",
              "yes"},
    ErrorCode{"AI01", "ANISO", "a count of 0 while nothing is stored or active", "no"},
    ErrorCode{"AI02", "ANISO", "more entries than soil types", "no"},
    ErrorCode{"AI03", "ANISO", "more than 10 entries (or a negative count)", "yes"},
    ErrorCode{"AI04", "ANISO", "an entry's soil type is above the count of soil types", "no"},
    ErrorCode{"AI05", "ANISO", "a table with fewer than 2 or more than 10 ranges", "yes"},
    ErrorCode{"AI06", "ANISO", "a direction limit is below the one before it", "no"},
    ErrorCode{"AI07", "ANISO", "the last direction limit is below 90 degrees", "no"},
    ErrorCode{"LM01", "LIMITS", "a count of 0 while nothing is stored or active", "no"},
    ErrorCode{"LM02", "LIMITS",
              "more upward-deflecting boundaries than limit boundaries (or a negative number)",
              "no"},
    ErrorCode{"LM03", "LIMITS", "more than 20 limit boundaries (or a negative count)", "yes"},
    ErrorCode{"LM04", "LIMITS", "a coordinate is not above -0.001", "no"},
    ErrorCode{"LM05", "LIMITS", "X-Left lies right of X-Right by 0.001 or more", "no"},
    // SURFAC and SURBIS.
    ErrorCode{"SF01", "SURFAC, SURBIS", "more than 100 points", "yes"},
    ErrorCode{"SF02", "SURFAC, SURBIS", "fewer than 2 points", "no"},
    ErrorCode{"SF03", "SURFAC, SURBIS", "a point coordinate is not above -0.001", "no"},
    ErrorCode{"SF05", "SURFAC, SURBIS", "the first point lies outside the ground surface's x-range",
              "no"},
    ErrorCode{"SF06", "SURFAC, SURBIS", "the last point lies outside the ground surface's x-range",
              "no"},
    ErrorCode{"SF07", "SURFAC, SURBIS",
              "the first, middle and last points give no circle (collinear, or a surface of 2 or "
              "3 points)",
              "no", kOwn},
    // The searches.
    ErrorCode{"RC01", kCircular, "the initiation range begins left of the ground surface",
              kSearchRefused},
    ErrorCode{"RC02", kCircular, "the initiation range is reversed", kSearchRefused},
    ErrorCode{"RC03", kCircular, "the initiation range ends right of the ground surface",
              kSearchRefused},
    ErrorCode{"RC04", kCircular, "the termination range ends right of the ground surface",
              kSearchRefused},
    ErrorCode{"RC05", kCircular, "the termination range is reversed", kSearchRefused},
    ErrorCode{"RC06", kCircular, "the termination range does not end right of the initiation range",
              kSearchRefused},
    ErrorCode{"RC07", kCircular, "the minimum elevation is negative", kSearchRefused},
    ErrorCode{"RC08", kCircular, "the segment length is not above zero", kSearchRefused},
    ErrorCode{"RC09", kCircular,
              "the ground at an initiation point lies below the minimum elevation", "yes"},
    ErrorCode{"RC13", "circular, irregular, block",
              "the lower initiation angle is above the upper one, or (block) fewer than 10 trials",
              kSearchRefused},
    ErrorCode{"BK01", "block", "more than 10 boxes", "yes"},
    ErrorCode{"BK02", "block", "the segment length is not above zero", kSearchRefused},
    ErrorCode{"BK03", "block", "a box is reversed", kSearchRefused},
    ErrorCode{"BK04", "block", "a box overlaps the one before it", kSearchRefused},
    ErrorCode{"BK05", "block", "a box lies below zero", kSearchRefused},
    ErrorCode{"BK06", "block", "a box's top edge is not within the ground", kSearchRefused},
    ErrorCode{"BK07", "block", "the last box lies beyond the ground", kSearchRefused},
    ErrorCode{"BK08", "block",
              "the first box lies more than 45 degrees below the ground's left end",
              kSearchRefused},
    ErrorCode{"BK09", "block", "no box (a box count of 0 or less): there is no base for the blocks",
              kSearchRefused},
    ErrorCode{"BK12", "Rankine block",
              "a side of a Rankine block left the ground surface's extent (said once; not an "
              "error of the input)",
              "no (flag not set)"},
};

}  // namespace

std::span<const ErrorCode> error_codes() {
  return kCodes;
}

const ErrorCode* find_error_code(std::string_view code) {
  for (const ErrorCode& entry : kCodes) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace scarpex_host
