"""Pictures of a parametric study, in the manner of the histogram: the factor of safety as a
line over one property, or as a contour map over two, with the failure threshold marked."""

from __future__ import annotations

import math
from typing import Optional, Sequence
from xml.sax.saxutils import escape

from .svg import _FONT, _document, _label, _ticks

Point = tuple[float, float]

# The margins of the plot area, as in the histogram: left, right, top, bottom.
LEFT, RIGHT, TOP, BOTTOM = 60, 20, 40, 50
LEGEND_WIDTH = 80  # beside the contour map: the colour scale and its labels
BELOW, ABOVE = "#d9534f", "#4a7bb7"  # a factor below and above the threshold
MIDDLE = "#f7f7f7"  # the colour of the threshold on the map's scale
NO_FACTOR = "#bbbbbb"  # a grid point whose run gave no factor
CONTOUR_COUNT = 6  # about this many contour levels


def _finite(values: Sequence[float]) -> list[float]:
    return [v for v in values if v is not None and math.isfinite(v)]


def _span(values: Sequence[float], extra: Optional[float] = None) -> tuple[float, float]:
    found = _finite(list(values) + ([extra] if extra is not None else []))
    if not found:
        return 0.0, 1.0
    low, high = min(found), max(found)
    return (low - 0.5, high + 0.5) if low == high else (low, high)


def _axes(body: list[str], box: tuple[float, float, float, float], x_span, y_span,
          sx, sy, x_name: str, y_name: str) -> None:
    left, top, right, bottom = box
    body.append(f'<line x1="{left}" y1="{bottom}" x2="{right}" y2="{bottom}" stroke="black"/>')
    body.append(f'<line x1="{left}" y1="{top}" x2="{left}" y2="{bottom}" stroke="black"/>')
    for t in _ticks(*x_span):
        body.append(f'<line x1="{sx(t):.2f}" y1="{bottom}" x2="{sx(t):.2f}" y2="{bottom + 5}" '
                    'stroke="black"/>')
        body.append(f'<text x="{sx(t):.2f}" y="{bottom + 18}" text-anchor="middle" {_FONT}>'
                    f"{_label(t)}</text>")
    for t in _ticks(*y_span, 5):
        body.append(f'<line x1="{left - 5}" y1="{sy(t):.2f}" x2="{left}" y2="{sy(t):.2f}" '
                    'stroke="black"/>')
        body.append(f'<text x="{left - 8}" y="{sy(t) + 4:.2f}" text-anchor="end" {_FONT}>'
                    f"{_label(t)}</text>")
    body.append(f'<text x="{(left + right) / 2}" y="{bottom + 40}" text-anchor="middle" '
                f"{_FONT}>{escape(x_name)}</text>")
    middle = (top + bottom) / 2
    body.append(f'<text x="15" y="{middle}" text-anchor="middle" {_FONT} '
                f'transform="rotate(-90 15 {middle})">{escape(y_name)}</text>')


def _title(body: list[str], width: int, title: str) -> None:
    body.append(f'<text x="{width / 2}" y="22" text-anchor="middle" font-family="sans-serif" '
                f'font-size="15">{escape(title)}</text>')


def line_svg(xs: Sequence[float], factors: Sequence[float], x_name: str, title: str,
             threshold: Optional[float] = 1.0, width: int = 640, height: int = 400) -> str:
    """The factor of safety over one property: a line through the points that gave one
    (broken where a point gave none), points below the threshold red."""
    box = (LEFT, TOP, width - RIGHT, height - BOTTOM)
    x_span, y_span = _span(xs), _span(factors, threshold)
    y_low, y_high = y_span
    y_span = (y_low - 0.05 * (y_high - y_low), y_high + 0.05 * (y_high - y_low))

    def sx(x: float) -> float:
        return box[0] + (x - x_span[0]) / (x_span[1] - x_span[0]) * (box[2] - box[0])

    def sy(y: float) -> float:
        return box[3] - (y - y_span[0]) / (y_span[1] - y_span[0]) * (box[3] - box[1])

    body: list[str] = []
    _title(body, width, title)
    _axes(body, box, x_span, y_span, sx, sy, x_name, "factor of safety")
    if threshold is not None and math.isfinite(threshold):
        body.append(f'<line class="threshold" x1="{box[0]}" y1="{sy(threshold):.2f}" '
                    f'x2="{box[2]}" y2="{sy(threshold):.2f}" stroke="{BELOW}" '
                    'stroke-dasharray="6,4" stroke-width="2"/>')
    path, pen_down = [], False
    for x, f in zip(xs, factors):
        if f is None or not math.isfinite(f):
            pen_down = False
            continue
        path.append(f"{'L' if pen_down else 'M'}{sx(x):.2f},{sy(f):.2f}")
        pen_down = True
    body.append(f'<path class="factor" d="{" ".join(path)}" fill="none" stroke="black" '
                'stroke-width="1.5"/>')
    for x, f in zip(xs, factors):
        if f is not None and math.isfinite(f):
            colour = BELOW if threshold is not None and f < threshold else ABOVE
            body.append(f'<circle class="point" cx="{sx(x):.2f}" cy="{sy(f):.2f}" r="3.5" '
                        f'fill="{colour}"><title>{_label(x)}: F = {f:.3f}</title></circle>')
    return _document(width, height, body)


def _mix(a: str, b: str, t: float) -> str:
    pairs = [(int(a[i:i + 2], 16), int(b[i:i + 2], 16)) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(p + (q - p) * t):02x}" for p, q in pairs)


def colour_of(value: float, low: float, high: float, threshold: Optional[float]) -> str:
    """Red below the threshold, blue above, paler towards it; a range all on one side of the
    threshold (or without one) is all in that side's colour."""
    if value is None or not math.isfinite(value):
        return NO_FACTOR
    if threshold is None or threshold <= low:
        return _mix(MIDDLE, ABOVE, _share(value, low, high))
    if threshold >= high:
        return _mix(BELOW, MIDDLE, _share(value, low, high))
    if value < threshold:
        return _mix(BELOW, MIDDLE, _share(value, low, threshold))
    return _mix(MIDDLE, ABOVE, _share(value, threshold, high))


def _share(value: float, low: float, high: float) -> float:
    return min(max((value - low) / (high - low), 0.0), 1.0) if high > low else 0.5


def contour_segments(xs: Sequence[float], ys: Sequence[float],
                     grid: Sequence[Sequence[float]], level: float) -> list[tuple[Point, Point]]:
    """The pieces of the contour line at `level` of the values grid[i][j] at (xs[i], ys[j]),
    by marching squares with straight interpolation along the cell edges. A cell with a
    point without a value has none."""
    pieces = []
    for i in range(len(xs) - 1):
        for j in range(len(ys) - 1):
            corners = [(xs[i], ys[j], grid[i][j]), (xs[i + 1], ys[j], grid[i + 1][j]),
                       (xs[i + 1], ys[j + 1], grid[i + 1][j + 1]),
                       (xs[i], ys[j + 1], grid[i][j + 1])]
            if all(v is not None and math.isfinite(v) for _, _, v in corners):
                pieces += _cell_pieces(corners, level)
    return pieces


def _cell_pieces(corners, level: float) -> list[tuple[Point, Point]]:
    # Corners counter-clockwise from the lower left; edge k runs from corner k to k + 1.
    crossings = []
    for k in range(4):
        (x0, y0, v0), (x1, y1, v1) = corners[k], corners[(k + 1) % 4]
        if (v0 >= level) != (v1 >= level):
            t = (level - v0) / (v1 - v0)
            crossings.append((k, (x0 + t * (x1 - x0), y0 + t * (y1 - y0))))
    if len(crossings) == 2:
        return [(crossings[0][1], crossings[1][1])]
    if len(crossings) != 4:
        return []
    # A saddle: the value at the centre says which opposite corners the high ground joins.
    at = dict(crossings)
    centre = sum(v for _, _, v in corners) / 4
    if (centre >= level) == (corners[0][2] >= level):
        return [(at[0], at[1]), (at[2], at[3])]  # cut off the lower right and upper left
    return [(at[3], at[0]), (at[1], at[2])]  # cut off the lower left and upper right


def _edges(values: Sequence[float]) -> list[float]:
    """The edges of the cells around grid values: halfway between neighbours, and as far
    beyond the ends (half a unit for a single value)."""
    if len(values) == 1:
        return [values[0] - 0.5, values[0] + 0.5]
    middles = [(a + b) / 2 for a, b in zip(values, values[1:])]
    return [2 * values[0] - middles[0]] + middles + [2 * values[-1] - middles[-1]]


def contour_svg(xs: Sequence[float], ys: Sequence[float], grid: Sequence[Sequence[float]],
                x_name: str, y_name: str, title: str, threshold: Optional[float] = 1.0,
                width: int = 640, height: int = 440) -> str:
    """The factor of safety over two properties: a cell around every grid point in the
    colour of its factor, contour lines at round levels, the threshold's contour dashed red,
    and the colour scale beside the map."""
    box = (LEFT, TOP, width - RIGHT - LEGEND_WIDTH, height - BOTTOM)
    x_edges, y_edges = _edges(xs), _edges(ys)
    x_span, y_span = (x_edges[0], x_edges[-1]), (y_edges[0], y_edges[-1])

    def sx(x: float) -> float:
        return box[0] + (x - x_span[0]) / (x_span[1] - x_span[0]) * (box[2] - box[0])

    def sy(y: float) -> float:
        return box[3] - (y - y_span[0]) / (y_span[1] - y_span[0]) * (box[3] - box[1])

    flat = [v for row in grid for v in row]
    low, high = _span(flat)
    body: list[str] = []
    _title(body, width, title)
    for i, x in enumerate(xs):
        for j, y in enumerate(ys):
            f = grid[i][j]
            text = f"F = {f:.3f}" if f is not None and math.isfinite(f) else "no factor"
            body.append(
                f'<rect class="cell" x="{sx(x_edges[i]):.2f}" y="{sy(y_edges[j + 1]):.2f}" '
                f'width="{sx(x_edges[i + 1]) - sx(x_edges[i]):.2f}" '
                f'height="{sy(y_edges[j]) - sy(y_edges[j + 1]):.2f}" '
                f'fill="{colour_of(f, low, high, threshold)}"><title>{_label(x)}, {_label(y)}: '
                f"{text}</title></rect>")
    levels = [t for t in _ticks(low, high, CONTOUR_COUNT) if low < t < high and t != threshold]
    for level in levels:
        _contour(body, xs, ys, grid, level, sx, sy, "contour", 'stroke="#333" stroke-width="1"')
    if threshold is not None and low < threshold < high:
        _contour(body, xs, ys, grid, threshold, sx, sy, "threshold",
                 f'stroke="{BELOW}" stroke-width="2.5" stroke-dasharray="6,4"')
    _axes(body, box, x_span, y_span, sx, sy, x_name, y_name)
    _legend(body, box, low, high, threshold)
    return _document(width, height, body)


def _contour(body: list[str], xs, ys, grid, level: float, sx, sy, kind: str,
             style: str) -> None:
    pieces = contour_segments(xs, ys, grid, level)
    if not pieces:
        return
    d = " ".join(f"M{sx(a[0]):.2f},{sy(a[1]):.2f} L{sx(b[0]):.2f},{sy(b[1]):.2f}"
                 for a, b in pieces)
    body.append(f'<path class="{kind}" d="{d}" fill="none" {style}>'
                f"<title>F = {_label(level)}</title></path>")
    # The level's label at the middle of the line, seen from top to bottom.
    a, b = sorted(pieces, key=lambda piece: piece[0][1] + piece[1][1])[len(pieces) // 2]
    x, y = sx((a[0] + b[0]) / 2), sy((a[1] + b[1]) / 2)
    body.append(f'<text class="{kind} label" x="{x + 3:.2f}" y="{y - 3:.2f}" {_FONT}>'
                f"{_label(level)}</text>")


def _legend(body: list[str], box, low: float, high: float, threshold: Optional[float]) -> None:
    left, top, bottom = box[2] + 20, box[1], box[3]
    steps = 40
    height = (bottom - top) / steps
    for k in range(steps):
        value = low + (high - low) * (k + 0.5) / steps
        y = bottom - (k + 1) * height
        body.append(f'<rect x="{left}" y="{y:.2f}" width="14" height="{height + 0.5:.2f}" '
                    f'fill="{colour_of(value, low, high, threshold)}"/>')
    for t in _ticks(low, high, 5):
        if low <= t <= high:
            y = bottom - (t - low) / (high - low) * (bottom - top)
            body.append(f'<text x="{left + 18}" y="{y + 4:.2f}" {_FONT}>{_label(t)}</text>')
    body.append(f'<text x="{left}" y="{top - 8}" {_FONT}>F</text>')
