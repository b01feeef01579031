"""Pictures written as SVG text by hand: the histogram of a study and a slope with its
critical surfaces. No plotting library is needed."""

from __future__ import annotations

import math
from typing import Optional, Sequence
from xml.sax.saxutils import escape

Point = tuple[float, float]

_FONT = 'font-family="sans-serif" font-size="12"'


def _nice_step(span: float, count: int) -> float:
    """A round tick step (1, 2 or 5 times a power of ten) giving about `count` ticks."""
    if span <= 0 or not math.isfinite(span):
        return 1.0
    raw = span / max(count, 1)
    power = 10 ** math.floor(math.log10(raw))
    for factor in (1, 2, 5, 10):
        if raw <= factor * power:
            return factor * power
    return 10 * power


def _ticks(low: float, high: float, count: int = 6) -> list[float]:
    step = _nice_step(high - low, count)
    first = math.ceil(low / step - 1e-9) * step
    ticks = []
    value = first
    while value <= high + step * 1e-9:
        ticks.append(round(value, 10))
        value += step
    return ticks


def _label(value: float) -> str:
    return f"{value:.6g}"


def _document(width: int, height: int, body: list[str]) -> str:
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n'
        f'<rect x="0" y="0" width="{width}" height="{height}" fill="white"/>\n'
        + "\n".join(body)
        + "\n</svg>\n"
    )


def histogram_counts(values: Sequence[float], bins: int) -> tuple[list[int], float, float]:
    """Counts of `bins` equal bins from the smallest to the largest value (the largest
    value falls in the last bin)."""
    if not values:
        return [0] * bins, 0.0, 1.0
    low, high = min(values), max(values)
    if high == low:
        low, high = low - 0.5, high + 0.5
    counts = [0] * bins
    width = (high - low) / bins
    for v in values:
        counts[min(int((v - low) / width), bins - 1)] += 1
    return counts, low, high


def histogram_svg(
    values: Sequence[float],
    bins: int = 20,
    width: int = 640,
    height: int = 400,
    threshold: Optional[float] = 1.0,
    mean: Optional[float] = None,
    title: str = "Factor of safety",
) -> str:
    """Bars of the counts, axes with ticks, and lines at the failure threshold and the mean.
    Bars below the threshold are drawn red."""
    counts, low, high = histogram_counts(list(values), bins)
    left, right, top, bottom = 60, 20, 40, 50
    plot_w, plot_h = width - left - right, height - top - bottom
    x_low, x_high = low, high
    if threshold is not None and math.isfinite(threshold):
        x_low, x_high = min(x_low, threshold), max(x_high, threshold)
    span = x_high - x_low
    x_low, x_high = x_low - 0.02 * span, x_high + 0.02 * span
    top_count = max(counts) or 1

    def sx(x: float) -> float:
        return left + (x - x_low) / (x_high - x_low) * plot_w

    def sy(c: float) -> float:
        return top + plot_h - c / top_count * plot_h

    body = [f'<text x="{width / 2}" y="22" text-anchor="middle" font-family="sans-serif" font-size="15">'
            f"{escape(title)}</text>"]
    bin_w = (high - low) / bins
    for i, c in enumerate(counts):
        x0, x1 = low + i * bin_w, low + (i + 1) * bin_w
        failing = threshold is not None and x1 <= threshold
        colour = "#d9534f" if failing else "#4a7bb7"
        body.append(
            f'<rect class="bar" x="{sx(x0):.2f}" y="{sy(c):.2f}" width="{max(sx(x1) - sx(x0) - 1, 0.5):.2f}" '
            f'height="{sy(0) - sy(c):.2f}" fill="{colour}"><title>{_label(x0)} to {_label(x1)}: {c}</title></rect>'
        )
    body.append(f'<line x1="{left}" y1="{top + plot_h}" x2="{left + plot_w}" y2="{top + plot_h}" stroke="black"/>')
    body.append(f'<line x1="{left}" y1="{top}" x2="{left}" y2="{top + plot_h}" stroke="black"/>')
    for t in _ticks(x_low, x_high):
        x = sx(t)
        body.append(f'<line x1="{x:.2f}" y1="{top + plot_h}" x2="{x:.2f}" y2="{top + plot_h + 5}" stroke="black"/>')
        body.append(f'<text x="{x:.2f}" y="{top + plot_h + 18}" text-anchor="middle" {_FONT}>{_label(t)}</text>')
    for t in _ticks(0, top_count, 5):
        if t != int(t):
            continue
        y = sy(t)
        body.append(f'<line x1="{left - 5}" y1="{y:.2f}" x2="{left}" y2="{y:.2f}" stroke="black"/>')
        body.append(f'<text x="{left - 8}" y="{y + 4:.2f}" text-anchor="end" {_FONT}>{int(t)}</text>')
    body.append(f'<text x="{left + plot_w / 2}" y="{height - 10}" text-anchor="middle" {_FONT}>'
                "factor of safety</text>")
    body.append(f'<text x="15" y="{top + plot_h / 2}" text-anchor="middle" {_FONT} '
                f'transform="rotate(-90 15 {top + plot_h / 2})">samples</text>')
    if threshold is not None and math.isfinite(threshold):
        x = sx(threshold)
        body.append(f'<line class="threshold" x1="{x:.2f}" y1="{top}" x2="{x:.2f}" y2="{top + plot_h}" '
                    'stroke="#d9534f" stroke-dasharray="6,4" stroke-width="2"/>')
        body.append(f'<text x="{x + 4:.2f}" y="{top + 12}" {_FONT} fill="#d9534f">F = {_label(threshold)}</text>')
    if mean is not None and math.isfinite(mean):
        x = sx(mean)
        body.append(f'<line class="mean" x1="{x:.2f}" y1="{top}" x2="{x:.2f}" y2="{top + plot_h}" '
                    'stroke="black" stroke-width="1.5"/>')
        body.append(f'<text x="{x + 4:.2f}" y="{top + 26}" {_FONT}>mean {mean:.3f}</text>')
    return _document(width, height, body)


def results_svg(results, width: int = 800) -> str:
    """The problem as the engine drew it (ground, boundaries, water) with the critical
    surfaces of the headline analysis: the most critical bold, with its factor of safety and
    circle centre. Drawn in the user's frame (mirror and shifts applied)."""
    analysis = results.headline
    drawing = analysis.drawing if analysis else None
    surfaces = results.critical_surfaces

    def to_user(p: Point) -> Point:
        x = results.mirror_axis_x - p[0] if results.mirrored else results.shift_x + p[0]
        return x, results.shift_y + p[1]

    lines: list[tuple[str, list[Point]]] = []
    if drawing is not None:
        for b in drawing.boundaries:
            lines.append(("boundary top" if b.top else "boundary", b.points))
        for w in drawing.piezometric_surfaces:
            lines.append(("water", w))
        for lim in drawing.limits:
            lines.append(("limit", lim))
    for s in reversed(surfaces):
        lines.append(("surface critical" if s is surfaces[0] else "surface", s.points))
    user = [(kind, [to_user(p) for p in pts]) for kind, pts in lines if pts]
    every = [p for _, pts in user for p in pts if all(map(math.isfinite, p))]
    centre = surfaces[0].circle if surfaces else None
    if centre is not None and every and all(map(math.isfinite, (centre.x, centre.y))):
        every.append(to_user((centre.x, centre.y)))
    if not every:
        return _document(width, 200, [f'<text x="20" y="40" {_FONT}>nothing to draw</text>'])
    xs, ys = [p[0] for p in every], [p[1] for p in every]
    x0, x1, y0, y1 = min(xs), max(xs), min(ys), max(ys)
    span = max(x1 - x0, y1 - y0, 1e-9)
    margin = 50
    scale = (width - 2 * margin) / max(x1 - x0, span * 0.2)
    height = int((y1 - y0) * scale + 2 * margin + 20)

    def sx(x: float) -> float:
        return margin + (x - x0) * scale

    def sy(y: float) -> float:
        return height - margin - (y - y0) * scale

    styles = {
        "boundary top": 'stroke="#5b3a1a" stroke-width="2"',
        "boundary": 'stroke="#8c6d4f" stroke-width="1"',
        "water": 'stroke="#1f77b4" stroke-width="1.5"',
        "limit": 'stroke="#555" stroke-width="1" stroke-dasharray="5,4"',
        "surface": 'stroke="#e39b3b" stroke-width="1"',
        "surface critical": 'stroke="#c0392b" stroke-width="3"',
    }
    body = [f'<text x="{width / 2}" y="20" text-anchor="middle" font-family="sans-serif" font-size="14">'
            f"{escape(results.title)}</text>"]
    for kind, pts in user:
        d = " ".join(f"{'M' if i == 0 else 'L'}{sx(x):.2f},{sy(y):.2f}" for i, (x, y) in enumerate(pts)
                     if math.isfinite(x) and math.isfinite(y))
        body.append(f'<path class="{kind}" d="{d}" fill="none" {styles[kind]}/>')
    if surfaces:
        best = surfaces[0]
        if best.points:
            lx, ly = to_user(best.points[len(best.points) // 2])
            body.append(f'<text x="{sx(lx):.2f}" y="{sy(ly) + 18:.2f}" text-anchor="middle" {_FONT} '
                        f'fill="#c0392b">F = {best.factor_of_safety:.3f}</text>')
        if best.circle is not None and all(map(math.isfinite, (best.circle.x, best.circle.y))):
            cx, cy = to_user((best.circle.x, best.circle.y))
            body.append(f'<circle class="centre" cx="{sx(cx):.2f}" cy="{sy(cy):.2f}" r="3" fill="#c0392b"/>')
    unit = results.length_unit or ""
    for t in _ticks(x0, x1):
        body.append(f'<text x="{sx(t):.2f}" y="{height - margin + 18}" text-anchor="middle" {_FONT}>{_label(t)}</text>')
    for t in _ticks(y0, y1, 4):
        body.append(f'<text x="{margin - 6}" y="{sy(t) + 4:.2f}" text-anchor="end" {_FONT}>{_label(t)}</text>')
    body.append(f'<text x="{width - margin}" y="{height - 8}" text-anchor="end" {_FONT}>{escape(unit)}</text>')
    return _document(width, height, body)
