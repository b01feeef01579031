"""The package's modules import one another without a cycle: no module imports one that
imports it back, directly or through others, not even from inside a function."""

import ast
from pathlib import Path

import scarpex

PACKAGE = Path(scarpex.__file__).resolve().parent
MODULES = {path.stem: path for path in PACKAGE.glob("*.py") if path.stem != "__init__"}


def imported_modules(path: Path) -> set[str]:
    """The package's modules that `path` imports anywhere in its text."""
    found = set()
    for node in ast.walk(ast.parse(path.read_text())):
        if isinstance(node, ast.ImportFrom) and node.level == 1:
            names = [node.module] if node.module else [alias.name for alias in node.names]
            found.update(name.split(".")[0] for name in names)
        elif isinstance(node, ast.ImportFrom) and (node.module or "").startswith("scarpex."):
            found.add(node.module.split(".")[1])
        elif isinstance(node, ast.Import):
            found.update(a.name.split(".")[1] for a in node.names if a.name.startswith("scarpex."))
    return found & MODULES.keys()


def cycle_through(start: str, graph: dict[str, set[str]]) -> list[str]:
    """A path of imports from `start` back to itself, or []."""
    stack, seen = [(start, [start])], set()
    while stack:
        module, path = stack.pop()
        for used in graph[module]:
            if used == start:
                return path + [start]
            if used not in seen:
                seen.add(used)
                stack.append((used, path + [used]))
    return []


def test_no_module_imports_one_that_imports_it_back():
    graph = {name: imported_modules(path) for name, path in MODULES.items()}
    assert graph["problem"] >= {"validation"}, "the scan finds the package's own imports"
    cycles = [" -> ".join(c) for c in (cycle_through(m, graph) for m in sorted(graph)) if c]
    assert not cycles


def test_the_scan_finds_a_cycle_hidden_in_a_function():
    graph = {"a": {"b"}, "b": {"c"}, "c": {"a"}, "d": {"a"}}
    assert cycle_through("a", graph) == ["a", "b", "c", "a"]
    assert cycle_through("d", graph) == []


MODEL_MODULES = {f"scarpex.{name}" for name in
                 ("command", "header", "geometry_soils", "water_loads", "analyses", "problem")}


def test_the_problem_model_keeps_its_names_where_they_were():
    import scarpex.problem as problem

    model = [name for name in scarpex.__all__
             if getattr(getattr(scarpex, name), "__module__", None) in MODEL_MODULES]
    assert len(model) > 30
    for name in model:
        assert getattr(problem, name) is getattr(scarpex, name)
