#!/usr/bin/env bash
# Installs the Python package from a copy of python/ into a new virtual environment, with no
# network (Debian's setuptools builds it), and imports it from outside the repository.
set -euo pipefail
python="$1"
source_dir="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir" "$work/python"
# The environment sees Debian's setuptools; the interpreter's own pip installs into it.
"$python" -m venv --without-pip --system-site-packages "$work/venv"
"$python" -m pip --python "$work/venv/bin/python" install --quiet --no-build-isolation \
  --no-index "$work/python"
cd "$work"
"$work/venv/bin/python" - <<'PY'
import scarpex
assert "site-packages" in scarpex.__file__, scarpex.__file__
problem = scarpex.Problem.from_input(scarpex.Problem().to_input())
print("installed", scarpex.__version__, "from", scarpex.__file__)
PY
