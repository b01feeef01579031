"""Reads an SVG file with an XML parser and prints what the host tests check, as JSON:
paths by class, trial bins with their colours and factor-of-safety ranges, the legend,
and the first and last x of each boundary path."""
import json
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://www.w3.org/2000/svg}"
root = ET.parse(sys.argv[1]).getroot()
paths = {}
bins = []
boundaries = {}
for element in root.iter(NS + "path"):
    cls = element.get("class", "")
    paths[cls] = paths.get(cls, 0) + 1
    d = element.get("d", "")
    if cls.startswith("trial-bin") and "not-converged" not in cls:
        bins.append({"bin": int(element.get("data-bin")), "from": float(element.get("data-fos-from")),
                     "to": None if element.get("data-fos-to") == "inf" else float(element.get("data-fos-to")), "count": int(element.get("data-count")),
                     "subpaths": d.count("M"), "stroke": element.get("stroke")})
    if cls.startswith("boundary"):
        numbers = [float(v) for v in re.findall(r"-?\d+(?:\.\d+)?", d)]
        boundaries[element.get("data-boundary")] = [numbers[0], numbers[-2]]
legend = [g for g in root.iter(NS + "g") if g.get("class") == "legend"]
legend_bins = {int(r.get("data-bin")): r.get("fill") for r in root.iter(NS + "rect")
               if r.get("class") == "legend-bin"}
# Each legend line's swatch (the path before its label) and the strokes a class is drawn in.
legend_strokes = {}
for group in legend:
    swatch = None
    for element in group.iter():
        if element.tag == NS + "path":
            swatch = element.get("stroke")
        elif element.tag == NS + "text" and swatch is not None:
            legend_strokes[element.text] = swatch
            swatch = None
strokes = {}
for element in root.iter(NS + "path"):
    strokes.setdefault(element.get("class", ""), set()).add(element.get("stroke"))
print(json.dumps({"root": root.tag, "paths": paths, "bins": bins, "legend": len(legend),
                  "legend_bins": legend_bins, "boundaries": boundaries,
                  "legend_strokes": legend_strokes,
                  "strokes": {k: sorted(v - {None}) for k, v in strokes.items()},
                  "texts": [t.text for t in root.iter(NS + "text") if t.text]}))
