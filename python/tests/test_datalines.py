"""The data-line format both ways: what is written reads back in the engine's reader, and the
reader here takes and refuses what the engine does."""

import math

import pytest

from scarpex.datalines import (
    DataLineReader,
    InputFormatError,
    InputLines,
    format_integer,
    format_real,
    pack_fields,
)


@pytest.mark.parametrize(
    "value, text",
    [
        (20.0, "20."),
        (0.0, "0."),
        (-0.0, "0."),
        (11.144, "11.144"),
        (-2.5, "-2.5"),
        (1e-5, "0.00001"),
        (1.5e-7, "0.00000015"),
        (1e20, "100000000000000000000."),
        (62.4, "62.4"),
    ],
)
def test_reals_always_carry_a_point_and_never_an_exponent(value, text):
    assert format_real(value) == text
    assert float(text) == value


@pytest.mark.parametrize("bad", [math.nan, math.inf, -math.inf, 1e300, 1e-300])
def test_non_finite_reals_are_refused_naming_the_item(bad):
    with pytest.raises(ValueError, match="SOIL type 1 cohesion"):
        format_real(bad, "SOIL type 1 cohesion")  # beyond 80 columns, or no number at all


def test_integers_take_no_sign_and_must_be_integers():
    assert format_integer(42) == "42"
    with pytest.raises(ValueError, match="boundary count"):
        format_integer(-1, "boundary count")
    with pytest.raises(TypeError):
        format_integer(2.0, "count")
    with pytest.raises(TypeError):
        format_integer(True, "count")


def test_long_lists_are_split_at_80_columns_keeping_pairs_together():
    fields = []
    for i in range(40):
        fields += [format_real(1000.125 + i), format_real(20.5 + i)]
    lines = pack_fields(fields, group=2)
    assert len(lines) > 1
    assert all(len(line) <= 80 and not line.startswith(" ") and "  " not in line for line in lines)
    assert all(len(line.split(" ")) % 2 == 0 for line in lines)
    assert " ".join(lines).split(" ") == fields


def reader_of(*lines):
    reader = DataLineReader(InputLines.of_text("\n".join(lines)))
    reader.start_command("TEST")
    return reader


def test_fields_one_blank_apart_and_two_blanks_end_the_line():
    reader = reader_of("12.5 3. -0.25  99. ignored", "4. 7")
    assert [reader.real("v") for _ in range(4)] == [12.5, 3.0, -0.25, 4.0]
    assert reader.integer("n") == 7


def test_letter_o_reads_as_zero_and_junk_after_the_point_counts_as_zero():
    reader = reader_of("1o.5 3.7x 2o")
    assert reader.real("a") == 10.5
    assert reader.real("b") == 3.7
    assert reader.integer("c") == 20


def test_a_field_running_to_column_80_ends_there_and_longer_lines_are_cut():
    reader = reader_of("1. " + "9" * 75 + ".5", "7.")
    assert reader.real("a") == 1.0
    assert reader.real("b") == float("9" * 75 + ".5")  # columns 4 to 80
    assert reader.real("c") == 7.0  # from the next line
    cut = reader_of("7. " + "5" * 77 + "2.")  # the point stands beyond column 80
    cut.real("a")
    with pytest.raises(InputFormatError, match="needs a decimal point"):
        cut.real("b")


def test_each_command_starts_its_data_on_a_new_line():
    reader = reader_of("1. 2.", "3.")
    reader.real("a")
    reader.start_command("NEXT")
    assert reader.real("b") == 3.0


@pytest.mark.parametrize(
    "line, kind, message",
    [
        ("12.5", "integer", "must be an integer"),
        ("-3", "integer", "cannot be negative"),
        ("3x", "integer", "is not an integer"),
        ("+3", "integer", "is not an integer"),
        ("12", "real", "needs a decimal point"),
        ("1.2.3", "real", "is not a real"),
        ("2x.5", "real", "is not a real"),
        (" 5.", "real", "begins with a blank"),
    ],
)
def test_values_the_engine_refuses_name_the_item_and_line(line, kind, message):
    reader = reader_of("1.", line)
    reader.real("first")
    reader.start_command("TEST")
    reader.source.position = 1
    with pytest.raises(InputFormatError, match=message) as error:
        getattr(reader, kind)("the item")
    assert "the item" in str(error.value) and "line 2" in str(error.value)


def test_the_file_ending_where_a_value_is_due_is_refused():
    reader = reader_of("1.")
    reader.real("a")
    with pytest.raises(InputFormatError, match="ends where b is due"):
        reader.real("b")
