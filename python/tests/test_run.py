"""run() end to end through the scarpex host and its JSON results."""

import re

import pytest
from test_input_files import layered_problem

from scarpex import Circle2Search, HostError, Problem, Spencer, run, run_many
from conftest import EXAMPLES, TEST_DATA


def reported_factor(results):
    """The factor of safety as the engine's report prints it, read here independently."""
    return reported_factor_of(results.files.report)


def reported_factor_of(report_path):
    with open(report_path) as report:
        found = re.findall(r"Factor Of Safety For The Preceding Specified Surface =\s+([\d.]+)",
                           report.read())
    return float(found[-1])


def test_a_specified_circle_gives_the_reports_factor_and_slice_table(json_host, tmp_path):
    results = run(layered_problem(), tmp_path)
    assert results.completed and results.error_codes == []
    assert results.method == "Modified Bishop" and results.status == "converged"
    assert results.factor_of_safety == reported_factor(results)
    assert len(results.slices) > 10 and results.line_of_thrust is None
    assert results.critical_surface.points[0] == (11.144, 20.0)
    assert (tmp_path / "problem.dat").read_text() == layered_problem().to_input()


def test_spencers_method_adds_theta_and_the_line_of_thrust(json_host, tmp_path):
    problem = layered_problem()
    problem.commands.insert(3, Spencer(10.0))
    results = run(problem, tmp_path, pictures=True)
    assert results.method == "Spencer" and results.theta is not None
    assert len(results.line_of_thrust.points) == len(results.slices) + 1
    assert "<svg" in results.host_svg and "html" in results.host_html.lower()


def test_an_aborted_run_returns_its_outcome_and_error_codes(json_host):
    text = (TEST_DATA / "whole_reinf_janbu_rf09" / "input.dat").read_text()
    results = run(text)
    assert results.aborted and "RF09" in results.error_codes
    assert results.factor_of_safety is None


def test_text_that_the_engine_refuses_comes_back_aborted_not_as_an_exception(json_host):
    results = run((TEST_DATA / "run_fr06_real_without_point" / "input.dat").read_text())
    assert results.aborted and "FR06" in results.error_codes
    fr06 = next(e for e in results.errors if e.code == "FR06")
    assert (fr06.input_line, fr06.input_text) == (8, "20")
    assert fr06.message.startswith("a real number is written without a decimal point")


def test_a_missing_host_is_a_host_error(tmp_path):
    with pytest.raises(HostError, match="no scarpex host"):
        run(layered_problem(), host=tmp_path / "scarpex")


def test_many_runs_come_back_in_order(json_host, tmp_path):
    problems = []
    for cohesion in (5.0, 15.0, 25.0):
        p = layered_problem()
        p.soils.soils[0].cohesion = cohesion
        problems.append(p)
    problems.insert(1, (TEST_DATA / "whole_reinf_janbu_rf09" / "input.dat").read_text())
    results = run_many(problems, tmp_path, jobs=2)
    assert [r.outcome for r in results] == ["completed", "aborted", "completed", "completed"]
    factors = [results[i].factor_of_safety for i in (0, 2, 3)]
    assert factors == sorted(factors) and factors[0] < factors[2]


def test_a_circular_search_finds_a_circle_no_worse_than_the_given_one(json_host, tmp_path):
    given = run(layered_problem()).factor_of_safety
    search = Circle2Search(10, 10, 5.0, 15.0, 40.0, 60.0, 0.0, 2.0)
    results = run(layered_problem(search), tmp_path)
    if results.not_available:
        pytest.skip(f"the engine answers: {results.not_available}")
    assert results.completed and results.trial_count >= 1
    best = results.critical_surface
    assert best.circle is not None and best.factor_of_safety == results.factor_of_safety
    assert results.factor_of_safety <= given + 0.2
    assert Problem.from_input((tmp_path / "problem.dat").read_text()).analysis == search
    assert (EXAMPLES / "layered_slope.dat").is_file()


def test_each_problem_of_a_batch_runs_in_a_folder_of_its_own(json_host, tmp_path):
    problems = [layered_problem(), layered_problem()]
    problems[1].soils.soils[0].cohesion = 8.0
    results = run_many(problems, tmp_path, jobs=2)
    assert results[0].factor_of_safety < results[1].factor_of_safety
    assert (tmp_path / "runs" / "run0002" / "run0002.out").is_file()
    assert results[1].files.input == str(tmp_path.resolve() / "runs" / "run0002" / "run0002.dat")


def test_the_example_script_prints_and_draws_the_critical_circle(json_host, tmp_path):
    import subprocess
    import sys
    import xml.etree.ElementTree as ET

    script = EXAMPLES / "python" / "layered_search.py"
    done = subprocess.run([sys.executable, str(script), str(tmp_path)], capture_output=True,
                          text=True, timeout=300)
    if "Not Available" in done.stdout:
        pytest.skip(done.stdout.strip())
    assert done.returncode == 0, done.stdout + done.stderr
    assert re.search(r"Critical circle: centre x = [\d.]+, y = [\d.]+, radius [\d.]+ m", done.stdout)
    picture = ET.parse(tmp_path / "layered_search.svg").getroot()
    assert any(e.get("class") == "surface critical" for e in picture.iter())


def test_a_search_says_what_its_result_is_worth(json_host):
    # A block search that skips every trial after its generation fails: no admissible surface.
    text = (EXAMPLES / "block2_search.dat").read_text().replace("BLOCK2\n", "BLOCK\n")
    text = text.replace("35. 17.75 45. 17.75 0.5\n", "35. 0.5 45. 0.5 0.5\n")
    results = run(text.replace("500 2\n", "50 2\n"))
    assert results.completed and results.incomplete and results.verdict == "incomplete"
    codes = {w.code for w in results.warnings}
    assert {"no-admissible-surface", "search-ended-early", "trials-skipped"} <= codes
    search = results.search
    assert search.requested == 50 and search.skipped + search.analysed == 50
    assert search.ended_early and search.best_found_at_trial is None


def test_a_refined_search_comes_back_with_its_refined_surface(json_host, tmp_path):
    problem = layered_problem(Circle2Search(10, 10, 5.0, 15.0, 40.0, 60.0, 0.0, 2.0))
    assert run(problem).refined is None
    refined_run = run_many([problem], tmp_path, refine=True)[0]
    refined = refined_run.refined
    assert refined.factor_of_safety <= refined.search_factor_of_safety
    assert refined.search_factor_of_safety == refined_run.factor_of_safety
    assert refined.method == "Modified Bishop" and refined.circle is not None
    assert 1 <= refined.start_rank <= 10 and refined.evaluations > 0
    assert refined.factor_of_safety == reported_factor_of(refined.report)
    # Reproducible, through run() as through run_many().
    assert run(problem, refine=True).refined.points == refined.points
