#!/usr/bin/env python3
"""Draws the program icon (an axial impeller in its casing) as SVG and renders
the hicolor PNG sizes with aerolyx-svgrender (tools/drawings).

Usage: tools/icons/make_icons.py [--render build/bin/aerolyx-svgrender] [--out data/desktop/icons]
Writes OUT/hicolor/scalable/apps/aerolyx.svg and OUT/hicolor/NxN/apps/aerolyx.png.
"""
import argparse
import math
import os
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SIZES = (16, 24, 32, 48, 64, 128, 256, 512)
BLADES = 5


def blade(cx, cy, r_hub, r_tip, angle):
    """One swept blade between hub and tip, as a closed path: leading edge
    curved forward, trailing edge straight back to the hub."""
    def pt(r, a):
        return cx + r * math.cos(a), cy + r * math.sin(a)

    span = 2 * math.pi / BLADES * 0.62
    a0, a1 = angle, angle + span
    h0, h1 = pt(r_hub, a0), pt(r_hub, a1 - span * 0.35)
    t0, t1 = pt(r_tip, a0 + span * 0.35), pt(r_tip, a1 + span * 0.1)
    c0 = pt((r_hub + r_tip) / 2, a0 + span * 0.05)
    c1 = pt((r_hub + r_tip) / 2 * 1.05, a1 + span * 0.05)
    f = lambda p: "%.2f,%.2f" % p
    return ("M%s Q%s %s A%.2f,%.2f 0 0,1 %s Q%s %s Z"
            % (f(h0), f(c0), f(t0), r_tip, r_tip, f(t1), f(c1), f(h1)))


def icon_svg():
    c, s = 128.0, 256
    paths = "\n".join(
        '    <path d="%s" fill="url(#blade)" stroke="#0d3a5c" stroke-width="2.5" stroke-linejoin="round"/>'
        % blade(c, c, 22, 86, -math.pi / 2 + k * 2 * math.pi / BLADES) for k in range(BLADES))
    return f'''<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" viewBox="0 0 {s} {s}">
  <defs>
    <linearGradient id="plate" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#3a8fd0"/>
      <stop offset="1" stop-color="#1b5e96"/>
    </linearGradient>
    <radialGradient id="bore" cx="0.5" cy="0.45" r="0.55">
      <stop offset="0" stop-color="#f4f8fb"/>
      <stop offset="1" stop-color="#c7d6e3"/>
    </radialGradient>
    <linearGradient id="blade" x1="0" y1="0" x2="1" y2="1">
      <stop offset="0" stop-color="#ffb347"/>
      <stop offset="1" stop-color="#e5731a"/>
    </linearGradient>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="44" ry="44" fill="url(#plate)"/>
  <circle cx="{c}" cy="{c}" r="104" fill="#0f466f"/>
  <circle cx="{c}" cy="{c}" r="94" fill="url(#bore)"/>
  <g>
{paths}
  </g>
  <circle cx="{c}" cy="{c}" r="25" fill="#0f466f"/>
  <circle cx="{c}" cy="{c}" r="12" fill="#9cc3e4"/>
</svg>
'''


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--render", default=os.path.join(ROOT, "build", "bin", "aerolyx-svgrender"))
    ap.add_argument("--out", default=os.path.join(ROOT, "data", "desktop", "icons"))
    args = ap.parse_args()
    if not os.access(args.render, os.X_OK):
        sys.exit("renderer %s not found; build the target aerolyx-svgrender first" % args.render)
    svg = os.path.join(args.out, "hicolor", "scalable", "apps", "aerolyx.svg")
    os.makedirs(os.path.dirname(svg), exist_ok=True)
    with open(svg, "w", encoding="utf-8") as f:
        f.write(icon_svg())
    cmd = [args.render, "--transparent"]
    for n in SIZES:
        png = os.path.join(args.out, "hicolor", "%dx%d" % (n, n), "apps", "aerolyx.png")
        os.makedirs(os.path.dirname(png), exist_ok=True)
        cmd += [svg, png, str(n), str(n)]
    subprocess.run(cmd, check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


if __name__ == "__main__":
    main()
