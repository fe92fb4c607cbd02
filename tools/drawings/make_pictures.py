#!/usr/bin/env python3
"""Generates the pictures of the data folder's CAD/ subfolder.

Every picture is written as SVG by the code below and rendered to PNG/JPEG by
aerolyx-svgrender (tools/drawings, built with the project):

  <type>_<air direction>[_<casing>].png  dimension drawing of a fan (side and
                                         front view, the dimension letters of
                                         tblFanDims in the order of TdIds)
  <accessory type>.png                   one picture per accessory type
  LOGO.jpg                               the demo company's logo
  RI_A.jpg, RI_B.jpg                     the air-direction picker's pictures

Usage: tools/drawings/make_pictures.py [--render build/bin/aerolyx-svgrender]
           [--out data/folder/CAD] [--catalogue data/catalogue] [--keep-svg DIR]
Standard library only. The set of drawings follows the catalogue sources:
type and casing pairs from ranges.csv, labels from tblFanDims.csv, accessory
types from tblAccTypes.csv.
"""
import argparse
import csv
import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

INK = "#1a1a1a"
DIM = "#1f3f8f"      # dimension lines and letters
HIDDEN = "#6b6b6b"
CENTRE = "#8a2b2b"
FILL_CASING = "#e9edf2"
FILL_MOTOR = "#d8dde4"
FILL_HUB = "#c9d1db"
FONT = "DejaVu Sans, Liberation Sans, Arial, sans-serif"


# ----------------------------------------------------------------------------
# Catalogue sources
# ----------------------------------------------------------------------------

def read_table(path):
    """Rows of a ';'-separated catalogue source (comment lines '#')."""
    with open(path, encoding="utf-8") as f:
        lines = [l for l in f if l.strip() and not l.startswith("#")]
    return list(csv.DictReader(lines, delimiter=";"))


def drawing_set(catalogue):
    """[(cad name, type, air direction, casing, labels)] in catalogue order."""
    dims = {}
    for r in read_table(os.path.join(catalogue, "tblFanDims.csv")):
        labels = r["TdDims"].split(",")
        ids = [int(x) for x in r["TdIds"].split(",")]
        if len(labels) != len(ids):
            sys.exit("tblFanDims: %s/%s has %d labels and %d ids" % (r["TdCode"], r["TpCode"], len(labels), len(ids)))
        dims[(r["TdCode"], r["TpCode"])] = list(zip(labels, ids))
    out = []
    seen = set()
    for r in read_table(os.path.join(catalogue, "ranges.csv")):
        tp, casing = r["TpCode"], r["CaType"].strip()
        for air in ("A", "B"):
            if (air, tp) not in dims:
                continue
            name = tp + "_" + air + ("_" + casing if casing not in ("", "-", "--") else "")
            if name in seen:
                continue
            seen.add(name)
            out.append((name, tp, air, casing, dims[(air, tp)]))
    return out


def accessory_types(catalogue):
    return [(r["ActCode"], r["ActDims"].strip('"')) for r in read_table(os.path.join(catalogue, "tblAccTypes.csv"))]


# ----------------------------------------------------------------------------
# SVG helpers
# ----------------------------------------------------------------------------

class Svg:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.items = []

    def add(self, s):
        self.items.append(s)

    def text(self):
        head = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
                '<rect x="0" y="0" width="%d" height="%d" fill="white"/>\n'
                % (self.w, self.h, self.w, self.h, self.w, self.h))
        return head + "\n".join(self.items) + "\n</svg>\n"

    # primitives ------------------------------------------------------------
    def line(self, x1, y1, x2, y2, w=2.2, c=INK, dash=None, extra=""):
        d = ' stroke-dasharray="%s"' % dash if dash else ""
        self.add('<line x1="%.1f" y1="%.1f" x2="%.1f" y2="%.1f" stroke="%s" stroke-width="%.2f"%s '
                 'stroke-linecap="round"%s/>' % (x1, y1, x2, y2, c, w, d, extra))

    def rect(self, x, y, w, h, fill="none", sw=2.2, c=INK, rx=0, dash=None):
        d = ' stroke-dasharray="%s"' % dash if dash else ""
        self.add('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="%.1f" fill="%s" stroke="%s" '
                 'stroke-width="%.2f"%s/>' % (x, y, w, h, rx, fill, c, sw, d))

    def circle(self, x, y, r, fill="none", sw=2.2, c=INK, dash=None):
        d = ' stroke-dasharray="%s"' % dash if dash else ""
        self.add('<circle cx="%.1f" cy="%.1f" r="%.1f" fill="%s" stroke="%s" stroke-width="%.2f"%s/>'
                 % (x, y, r, fill, c, sw, d))

    def path(self, d, fill="none", sw=2.2, c=INK, dash=None, join="round"):
        da = ' stroke-dasharray="%s"' % dash if dash else ""
        self.add('<path d="%s" fill="%s" stroke="%s" stroke-width="%.2f" stroke-linejoin="%s"%s/>'
                 % (d, fill, c, sw, join, da))

    def poly(self, pts, fill="none", sw=2.2, c=INK):
        self.path("M" + " L".join("%.1f,%.1f" % p for p in pts) + " Z", fill=fill, sw=sw, c=c)

    def label(self, x, y, s, size=30, c=DIM, anchor="middle", weight="normal", halo=True):
        s = s.replace("&", "&amp;").replace("<", "&lt;")
        if halo:
            self.add('<text x="%.1f" y="%.1f" font-family="%s" font-size="%d" font-weight="%s" text-anchor="%s" '
                     'fill="white" stroke="white" stroke-width="8" stroke-linejoin="round">%s</text>'
                     % (x, y, FONT, size, weight, anchor, s))
        self.add('<text x="%.1f" y="%.1f" font-family="%s" font-size="%d" font-weight="%s" text-anchor="%s" '
                 'fill="%s">%s</text>' % (x, y, FONT, size, weight, anchor, c, s))

    def head(self, x, y, dx, dy, size=18, c=DIM):
        """Filled arrowhead with its tip at (x, y), pointing along (dx, dy)."""
        n = math.hypot(dx, dy) or 1.0
        ux, uy = dx / n, dy / n
        bx, by = x - ux * size, y - uy * size
        w = size * 0.32
        self.add('<path d="M%.1f,%.1f L%.1f,%.1f L%.1f,%.1f Z" fill="%s" stroke="none"/>'
                 % (x, y, bx - uy * w, by + ux * w, bx + uy * w, by - ux * w, c))

    # drafting --------------------------------------------------------------
    def centre_h(self, x1, x2, y):
        self.line(x1, y, x2, y, w=1.2, c=CENTRE, dash="28,6,4,6")

    def centre_v(self, x, y1, y2):
        self.line(x, y1, x, y2, w=1.2, c=CENTRE, dash="28,6,4,6")

    def dim_h(self, x1, x2, y, text, from_y1=None, from_y2=None, size=36):
        """Horizontal dimension between x1 and x2 on the line y; extension lines
        run from the object points (from_y*) past the dimension line."""
        for x, fy in ((x1, from_y1), (x2, from_y2)):
            if fy is not None:
                gap = 6 if fy > y else -6
                over = -10 if fy > y else 10
                self.line(x, fy - gap, x, y + over, w=1.1, c=DIM)
        self.line(x1, y, x2, y, w=1.8, c=DIM)
        self.head(x1, y, x1 - x2, 0)
        self.head(x2, y, x2 - x1, 0)
        self.label((x1 + x2) / 2, y - 9, text, size=size)

    def dim_v(self, x, y1, y2, text, from_x1=None, from_x2=None, side="left", size=36):
        for y, fx in ((y1, from_x1), (y2, from_x2)):
            if fx is not None:
                gap = 6 if fx > x else -6
                over = -10 if fx > x else 10
                self.line(fx - gap, y, x + over, y, w=1.1, c=DIM)
        self.line(x, y1, x, y2, w=1.8, c=DIM)
        self.head(x, y1, 0, y1 - y2)
        self.head(x, y2, 0, y2 - y1)
        if side == "left":
            self.label(x - 12, (y1 + y2) / 2 + 10, text, size=size, anchor="end")
        else:
            self.label(x + 12, (y1 + y2) / 2 + 10, text, size=size, anchor="start")

    def leader(self, tx, ty, lx, ly, text, size=36, anchor="start"):
        """Leader from the text point (lx, ly) to the target (tx, ty)."""
        shoulder = 60 if anchor == "start" else -60
        self.line(lx, ly, tx, ty, w=1.3, c=DIM)
        self.head(tx, ty, tx - lx, ty - ly)
        self.line(lx, ly, lx + shoulder, ly, w=1.3, c=DIM)
        self.label(lx + (6 if anchor == "start" else -6), ly - 8, text, size=size, anchor=anchor)

    def flow_arrow(self, x1, x2, y, w=7):
        self.line(x1, y, x2 - 20, y, w=w, c="#2c7a3f")
        self.head(x2, y, 1, 0, size=30, c="#2c7a3f")


# ----------------------------------------------------------------------------
# Fan dimension drawings
# ----------------------------------------------------------------------------

def fan_drawing(name, tp, air, casing, dims):
    labels = {idx: lab for lab, idx in dims}   # TdIds number -> label
    s = Svg(1600, 1000)
    plate = 7 in labels                 # square mounting plate instead of a casing
    feet = 8 in labels                  # H and B: foot-mounted casing
    tbox = 12 in labels                 # K: terminal box on the casing
    vanes = casing == "G" or tp.endswith("-G")
    long_casing = casing in ("L", "G")

    # proportions in pixels (one picture serves every size of the type)
    cy = 540 if not feet else 430       # axis height in the side view
    R = 150                             # bore radius (D/2)
    R1 = 177                            # bolt circle radius (D1/2)
    R2 = 198                            # flange radius (D2/2)
    wall = 8
    L = 250 if plate else (430 if long_casing else 290)
    Rm = 80                             # motor radius
    Lm = 300                            # motor length

    # motor upstream (A: air over the motor first) or downstream (B)
    motor_left = air == "A"
    xa = 230 if motor_left else 150    # left end of the casing or motor
    overhang = 170 if not plate else 150
    if motor_left:
        xm0 = xa
        xc0 = xa + overhang
    else:
        xc0 = xa + 40
        xm0 = None
    xc1 = xc0 + L
    if not motor_left:
        xm0 = xc1 + overhang - Lm
    xm1 = xm0 + Lm

    vane_gap = 95 if vanes else 0       # guide-vane section after the impeller
    # impeller position: next to the motor's shaft end, inside the casing
    if motor_left:
        xi0 = max(xm1 + 22, xc0 + 30)
        xi1 = xi0 + 70
    else:
        xi1 = min(xm0 - 22 - vane_gap, xc1 - 30)
        xi0 = xi1 - 70
    Rh = 62

    right_end = max(xc1, xm1) + 20
    s.centre_h(xa - 40, right_end + (150 if tbox else 40), cy)

    # --- side view -----------------------------------------------------------
    if plate:
        # plate edge-on at the inlet end, short nozzle ring of length L
        pl_x = xc0
        s.rect(pl_x - 12, cy - R2 - 20, 12, 2 * (R2 + 20), fill=FILL_CASING)
        s.rect(pl_x, cy - R - wall, L, wall, fill=FILL_CASING)
        s.rect(pl_x, cy + R, L, wall, fill=FILL_CASING)
        s.line(pl_x, cy - R, pl_x + L, cy - R, w=1.2, c=HIDDEN, dash="10,6")
        s.line(pl_x, cy + R, pl_x + L, cy + R, w=1.2, c=HIDDEN, dash="10,6")
        # motor bracket: two arms from the plate to the motor
        if motor_left:
            s.line(pl_x - 12, cy - R - wall, xm1 - 60, cy - Rm, w=3)
            s.line(pl_x - 12, cy + R + wall, xm1 - 60, cy + Rm, w=3)
        else:
            s.line(pl_x + L, cy - R - wall, xm0 + 60, cy - Rm, w=3)
            s.line(pl_x + L, cy + R + wall, xm0 + 60, cy + Rm, w=3)
    else:
        # casing shell and the two flanges
        s.rect(xc0, cy - R - wall, L, wall, fill=FILL_CASING)
        s.rect(xc0, cy + R, L, wall, fill=FILL_CASING)
        for xf in (xc0 - 12, xc1):
            s.rect(xf, cy - R2, 12, R2 - R, fill=FILL_CASING)
            s.rect(xf, cy + R, 12, R2 - R, fill=FILL_CASING)
            # bolt holes on the bolt circle, seen from the side
            s.line(xf - 4, cy - R1, xf + 16, cy - R1, w=1.0, c=CENTRE, dash="6,4")
            s.line(xf - 4, cy + R1, xf + 16, cy + R1, w=1.0, c=CENTRE, dash="6,4")
        s.line(xc0, cy - R, xc1, cy - R, w=1.2, c=HIDDEN, dash="10,6")
        s.line(xc0, cy + R, xc1, cy + R, w=1.2, c=HIDDEN, dash="10,6")
        # motor supports from the casing to the part of the motor inside it
        inside0, inside1 = max(xm0, xc0 + 20), min(xm1, xc1 - 20)
        if inside1 - inside0 > 30:
            xs = (inside0 + inside1) / 2
            for sg in (-1, 1):
                s.line(xs - 20, cy + sg * R, xs + 10, cy + sg * Rm, w=3)
                s.line(xs + 20, cy + sg * R, xs + 40, cy + sg * Rm, w=3)
        else:
            # motor held outside the casing on a bracket from the flange
            xf = xc0 - 12 if motor_left else xc1 + 12
            xt = xm1 - 40 if motor_left else xm0 + 40
            for sg in (-1, 1):
                s.line(xf, cy + sg * (R + wall), xt, cy + sg * Rm, w=3)

    # motor body with cooling fins, shaft end and fan cowl
    s.rect(xm0, cy - Rm, Lm, 2 * Rm, fill=FILL_MOTOR, rx=10)
    for k in range(1, 9):
        x = xm0 + 25 + k * (Lm - 70) / 9
        s.line(x, cy - Rm + 6, x, cy + Rm - 6, w=1.0, c=HIDDEN)
    cowl = 40
    if motor_left:
        s.path("M%.1f,%.1f L%.1f,%.1f Q%.1f,%.1f %.1f,%.1f L%.1f,%.1f Z" % (
            xm0, cy - Rm + 6, xm0 - cowl + 10, cy - Rm + 16, xm0 - cowl - 8, cy, xm0 - cowl + 10, cy + Rm - 16,
            xm0, cy + Rm - 6), fill=FILL_MOTOR)
        s.line(xm1, cy, xi0, cy, w=5)
    else:
        s.path("M%.1f,%.1f L%.1f,%.1f Q%.1f,%.1f %.1f,%.1f L%.1f,%.1f Z" % (
            xm1, cy - Rm + 6, xm1 + cowl - 10, cy - Rm + 16, xm1 + cowl + 8, cy, xm1 + cowl - 10, cy + Rm - 16,
            xm1, cy + Rm - 6), fill=FILL_MOTOR)
        s.line(xi1 + vane_gap, cy, xm0, cy, w=5)
    # motor terminal box on the motor
    s.rect(xm0 + Lm * 0.42, cy - Rm - 34, 62, 34, fill=FILL_MOTOR, sw=1.8)

    # guide vanes right after the impeller (the air always runs left to right)
    if vanes:
        xv0 = xi1
        s.rect(xv0, cy - Rh + 6, vane_gap, 2 * (Rh - 6), fill=FILL_HUB, sw=1.6)
        for sg in (-1, 1):
            for k in range(3):
                x0 = xv0 + 14 + k * 14
                s.path("M%.1f,%.1f C%.1f,%.1f %.1f,%.1f %.1f,%.1f" % (
                    x0, cy + sg * (Rh - 6), x0 + 26, cy + sg * (Rh + 20), x0 + 14, cy + sg * (R - 40),
                    x0 + 36, cy + sg * R), sw=1.6)
    # impeller: hub with spinner or tail cone, blades edge-on
    if motor_left:
        xt = xi1 + vane_gap
        s.path("M%.1f,%.1f L%.1f,%.1f Q%.1f,%.1f %.1f,%.1f L%.1f,%.1f Z" % (
            xi0, cy - Rh, xt, cy - Rh, xt + 55, cy, xt, cy + Rh, xi0, cy + Rh), fill=FILL_HUB)
        if vanes:
            s.line(xi1, cy - Rh, xi1, cy + Rh, w=1.8)
    else:
        s.path("M%.1f,%.1f L%.1f,%.1f Q%.1f,%.1f %.1f,%.1f L%.1f,%.1f Z" % (
            xi1, cy - Rh, xi0, cy - Rh, xi0 - 55, cy, xi0, cy + Rh, xi1, cy + Rh), fill=FILL_HUB)
    for sg in (-1, 1):
        s.poly([(xi0 + 8, cy + sg * Rh), (xi1 - 4, cy + sg * Rh), (xi1 + 10, cy + sg * (R - 5)),
                (xi0 - 6, cy + sg * (R - 5))], fill="#b8c2ce", sw=1.8)

    # feet under the casing
    base = None
    if feet:
        base = cy + R2 + 70
        for xf in (xc0 + 40, xc1 - 70):
            s.rect(xf, cy + R + wall, 30, base - cy - R - wall - 10, fill=FILL_CASING, sw=1.8)
            s.rect(xf - 30, base - 10, 90, 10, fill=FILL_CASING, sw=1.8)
        s.line(xa - 30, base, right_end + 20, base, w=1.0, c=HIDDEN, dash="4,6")

    # terminal box on the casing
    ktop = None
    if tbox:
        xk = xc0 + L * 0.55
        s.rect(xk, cy - R - wall - 56, 74, 56, fill=FILL_MOTOR, sw=1.8)
        s.rect(xk + 74, cy - R - wall - 36, 16, 16, fill=FILL_MOTOR, sw=1.4)
        ktop = cy - R - wall - 56

    # flow arrows (always left to right)
    leftmost = min(xm0 - cowl, xc0 - 12) - (40 if not motor_left else 0)
    s.flow_arrow(leftmost - 75, leftmost - 12, cy)
    s.flow_arrow(right_end + 25, right_end + 100, cy)

    # --- side-view dimensions --------------------------------------------------
    top = cy - R2 - (20 if plate else 0)
    rows = [top - 45, top - 105, top - 165]
    row = 0
    # L: casing (or nozzle) length
    if 4 in labels:
        a, b = (xc0, xc1) if plate else (xc0 - 12, xc1 + 12)
        s.dim_h(a, b, rows[row], labels[4], from_y1=cy - R - wall if plate else cy - R2,
                from_y2=cy - R - wall if plate else cy - R2)
        row += 1
    # L2: motor length outside the casing
    if 11 in labels:
        if motor_left:
            s.dim_h(xm0 - cowl, xc0 - 12, rows[row], labels[11], from_y1=cy - Rm, from_y2=cy - R2)
        else:
            s.dim_h(xc1 + 12, xm1 + cowl, rows[row], labels[11], from_y1=cy - R2, from_y2=cy - Rm)
        row += 1
    # L1: overall length with the motor
    if 10 in labels:
        a, b = (xm0 - cowl, xc1 + 12) if motor_left else (xc0 - 12, xm1 + cowl)
        if plate and motor_left:
            a, b = xm0 - cowl, xc0
        elif plate:
            a, b = xc0 - 12, xm1 + cowl
        flange_top = cy - R2 - (20 if plate else 0)
        s.dim_h(a, b, rows[row], labels[10], from_y1=cy - Rm if motor_left else flange_top,
                from_y2=flange_top if motor_left else cy - Rm)
        row += 1
    # H: axis height over the base
    if feet:
        xh = leftmost - 100
        s.dim_v(xh, cy, base, labels[8], from_x1=None, from_x2=xc0 + 10)
    # K: axis to the top of the terminal box
    if tbox:
        s.dim_v(right_end + 130, ktop, cy, labels[12], from_x1=xc0 + L * 0.55 + 74, from_x2=None,
                side="right")

    # --- front view (seen from the inlet) -----------------------------------
    fx, fyc = 1210, cy
    if tbox:
        s.rect(fx - 37, fyc - R - wall - 56, 74, 56, fill=FILL_MOTOR, sw=1.8)
    s.centre_h(fx - R2 - 50, fx + R2 + 50, fyc)
    s.centre_v(fx, fyc - R2 - 50, fyc + R2 + (110 if feet else 50))
    if plate:
        A = R2 + 20
        s.rect(fx - A, fyc - A, 2 * A, 2 * A, fill=FILL_CASING)
        holes = [(fx + sx * (A - 22), fyc + sy * (A - 22)) for sx in (-1, 1) for sy in (-1, 1)]
        holes += [(fx, fyc - A + 22), (fx, fyc + A - 22), (fx - A + 22, fyc), (fx + A - 22, fyc)]
    else:
        s.circle(fx, fyc, R2, fill=FILL_CASING)
        s.circle(fx, fyc, R1, sw=1.0, c=CENTRE, dash="24,6,4,6")
        holes = [(fx + R1 * math.cos(math.radians(22.5 + 45 * k)), fyc + R1 * math.sin(math.radians(22.5 + 45 * k)))
                 for k in range(8)]
    s.circle(fx, fyc, R + (wall if plate else 0), fill="white")
    s.circle(fx, fyc, R, fill="white", sw=1.6)
    for hx, hy in holes:
        s.circle(hx, hy, 8, fill="white", sw=1.6)
    # impeller blades seen from the inlet
    nb = 8
    for k in range(nb):
        a0 = math.radians(k * 360 / nb)
        pts = []
        for r, da in ((Rh, -0.20), (R - 6, -0.05), (R - 6, 0.22), (Rh, 0.18)):
            pts.append((fx + r * math.cos(a0 + da), fyc + r * math.sin(a0 + da)))
        s.poly(pts, fill="#b8c2ce", sw=1.4)
    s.circle(fx, fyc, Rh, fill=FILL_HUB, sw=1.8)
    s.circle(fx, fyc, 14, fill="white", sw=1.4)
    if feet:
        fb = fyc + R2 + 70
        Bw = 2 * R2 + 40
        s.rect(fx - R2 + 10, fyc + R + 40, 30, fb - fyc - R - 50, fill=FILL_CASING, sw=1.6)
        s.rect(fx + R2 - 40, fyc + R + 40, 30, fb - fyc - R - 50, fill=FILL_CASING, sw=1.6)
        s.rect(fx - Bw / 2, fb - 10, Bw, 10, fill=FILL_CASING, sw=1.8)
        s.dim_h(fx - Bw / 2, fx + Bw / 2, fb + 55, labels[9], from_y1=fb, from_y2=fb)

    # front-view dimensions: diameters on the horizontal, bolt pattern by leader
    below = fyc + (R2 + 20 if plate else R2) + (200 if feet else 60)
    if 1 in labels:
        s.dim_h(fx - R, fx + R, fyc - R2 - (90 if plate else 60) - (40 if tbox else 0), labels[1],
                from_y1=fyc, from_y2=fyc)
    if 7 in labels:
        A = R2 + 20
        s.dim_h(fx - A, fx + A, below, labels[7], from_y1=fyc + A, from_y2=fyc + A)
    if 3 in labels:
        s.dim_h(fx - R2, fx + R2, below, labels[3], from_y1=fyc, from_y2=fyc)
    if 2 in labels:
        a = math.radians(-45)
        s.leader(fx + R1 * math.cos(a) + 3, fyc + R1 * math.sin(a) - 3, fx + R2 + 30, fyc - R2 - 10, labels[2])
    if 5 in labels and 6 in labels:
        hx, hy = holes[1] if not plate else holes[3]
        s.leader(hx + 6, hy + 6, fx + R2 + 30 + (20 if plate else 0), fyc + R2 + (20 if not feet else -40),
                 "%s × %s" % (labels[5], labels[6]))

    s.label(40, 975, name, size=24, c=HIDDEN, anchor="start", halo=False)
    return s


# ----------------------------------------------------------------------------
# Accessory pictures (800 x 600)
# ----------------------------------------------------------------------------

def acc_picture(code, dims):
    labels = [d for d in dims.split(";") if d]
    s = Svg(800, 600)
    cx, cy = 400, 290

    def lab(i, default=""):
        return labels[i] if i < len(labels) else default

    if code == "GRD":
        # guard: front view with wire rings and spokes, side view as a dome
        R = 200
        for r in (R, R * 0.78, R * 0.56, R * 0.34):
            s.circle(cx - 80, cy, r, sw=2.0)
        for k in range(8):
            a = math.radians(k * 45)
            s.line(cx - 80 + 30 * math.cos(a), cy + 30 * math.sin(a), cx - 80 + R * math.cos(a),
                   cy + R * math.sin(a), w=1.6)
        for k in range(4):
            a = math.radians(45 + 90 * k)
            s.circle(cx - 80 + (R - 12) * math.cos(a), cy + (R - 12) * math.sin(a), 6, fill="white", sw=1.4)
        s.path("M640,%d Q700,%d 640,%d" % (cy - R, cy, cy + R), sw=2.2)
        s.line(640, cy - R, 640, cy + R, w=2.2)
        s.dim_h(cx - 80 - R, cx - 80 + R, cy + R + 50, lab(0), from_y1=cy, from_y2=cy)
        s.dim_h(640, 690, cy - R - 40, lab(1), from_y1=cy - R, from_y2=cy - 30)
    elif code == "SIL":
        x0, x1, R = 140, 660, 130
        s.rect(x0, cy - R - 30, x1 - x0, 2 * (R + 30), fill=FILL_CASING)
        for xf in (x0 - 12, x1):
            s.rect(xf, cy - R - 42, 12, 2 * (R + 42), fill=FILL_CASING)
        s.line(x0, cy - R, x1, cy - R, w=1.2, c=HIDDEN, dash="10,6")
        s.line(x0, cy + R, x1, cy + R, w=1.2, c=HIDDEN, dash="10,6")
        s.path("M%d,%d L%d,%d Q%d,%d %d,%d L%d,%d Q%d,%d %d,%d Z" % (
            x0 + 80, cy - 45, x1 - 80, cy - 45, x1 - 30, cy, x1 - 80, cy + 45, x0 + 80, cy + 45, x0 + 30, cy,
            x0 + 80, cy - 45), fill=FILL_HUB, sw=1.4, dash="8,5")
        s.centre_h(x0 - 40, x1 + 40, cy)
        s.dim_v(x0 - 50, cy - R, cy + R, lab(0), from_x1=x0, from_x2=x0)
        s.dim_v(x1 + 50, cy - R - 42, cy + R + 42, lab(1), from_x1=x1 + 12, from_x2=x1 + 12, side="right")
        s.dim_h(x0, x1, cy + R + 100, lab(2), from_y1=cy + R + 42, from_y2=cy + R + 42)
    elif code == "DMP":
        R = 190
        s.circle(cx - 60, cy, R + 22, fill=FILL_CASING)
        s.circle(cx - 60, cy, R, fill="white")
        for k in range(-3, 4):
            y = cy + k * 50
            half = math.sqrt(max(0, R * R - (k * 50) ** 2)) - 4
            s.rect(cx - 60 - half, y - 8, 2 * half, 16, fill="#c9d1db", sw=1.4)
            s.circle(cx - 60 - half + 6, y, 3, fill=INK, sw=0)
        x0 = 620
        s.rect(x0, cy - R - 22, 50, 2 * (R + 22), fill=FILL_CASING)
        for k in range(-3, 4):
            y = cy + k * 50
            s.line(x0 + 25, y, x0 + 58, y + 24, w=3)
        s.dim_h(cx - 60 - R, cx - 60 + R, cy + R + 70, lab(0), from_y1=cy, from_y2=cy)
        s.dim_h(x0, x0 + 50, cy - R - 60, lab(1), from_y1=cy - R - 22, from_y2=cy - R - 22)
    elif code == "BND":
        # 90-degree bend, centre-line radius R
        Rc, r = 300, 95
        cxb, cyb = 170, 500
        for rr in (Rc - r, Rc + r):
            s.path("M%d,%d A%d,%d 0 0 0 %d,%d" % (cxb + rr, cyb, rr, rr, cxb, cyb - rr), fill="none", sw=2.4)
        s.path("M%d,%d A%d,%d 0 0 0 %d,%d" % (cxb + Rc, cyb, Rc, Rc, cxb, cyb - Rc), sw=1.2, c=CENTRE,
               dash="24,6,4,6")
        s.rect(cxb + Rc - r - 20, cyb, 2 * r + 40, 12, fill=FILL_CASING)
        s.rect(cxb - 12, cyb - Rc - r - 20, 12, 2 * r + 40, fill=FILL_CASING)
        s.line(cxb, cyb, cxb + Rc * 0.72, cyb - Rc * 0.72, w=1.4, c=DIM)
        s.head(cxb + Rc * 0.72, cyb - Rc * 0.72, 1, -1)
        s.label(cxb + 120, cyb - 40, lab(1), size=30)
        s.dim_h(cxb + Rc - r, cxb + Rc + r, cyb + 60, lab(0), from_y1=cyb + 12, from_y2=cyb + 12)
        s.dim_v(cxb - 60, cyb - Rc - r - 20, cyb, lab(2), from_x1=cxb - 12, from_x2=cxb + Rc - r - 20)
        s.circle(cxb, cyb, 4, fill=CENTRE, sw=0)
    elif code == "FLX":
        x0, x1, R = 250, 550, 160
        for xf in (x0 - 16, x1):
            s.rect(xf, cy - R - 40, 16, 2 * (R + 40), fill=FILL_CASING)
        pts_top = []
        n = 10
        for k in range(n + 1):
            x = x0 + k * (x1 - x0) / n
            pts_top.append((x, cy - R - (14 if k % 2 else 0)))
        s.path("M" + " L".join("%.1f,%.1f" % p for p in pts_top), sw=2.2)
        s.path("M" + " L".join("%.1f,%.1f" % (x, 2 * cy - y) for x, y in pts_top), sw=2.2)
        for k in range(1, n):
            x = x0 + k * (x1 - x0) / n
            s.line(x, cy - R - (14 if k % 2 else 0), x, cy + R + (14 if k % 2 else 0), w=0.8, c=HIDDEN)
        s.centre_h(x0 - 60, x1 + 60, cy)
        s.dim_v(x0 - 70, cy - R, cy + R, lab(0), from_x1=x0, from_x2=x0)
        s.dim_h(x0, x1, cy + R + 100, lab(1), from_y1=cy + R + 40, from_y2=cy + R + 40)
    elif code == "INC":
        x0, x1, R = 300, 500, 130
        s.path("M%d,%d Q%d,%d %d,%d L%d,%d" % (x0, cy - R - 110, x0 + 40, cy - R, x0 + 150, cy - R, x1, cy - R),
               sw=2.4)
        s.path("M%d,%d Q%d,%d %d,%d L%d,%d" % (x0, cy + R + 110, x0 + 40, cy + R, x0 + 150, cy + R, x1, cy + R),
               sw=2.4)
        s.rect(x1, cy - R - 40, 14, 2 * (R + 40), fill=FILL_CASING)
        s.centre_h(x0 - 60, x1 + 80, cy)
        s.dim_v(x1 + 70, cy - R, cy + R, lab(0), from_x1=x1 + 14, from_x2=x1 + 14, side="right")
        s.dim_v(x0 - 50, cy - R - 110, cy + R + 110, lab(1), from_x1=x0, from_x2=x0)
        s.dim_h(x0, x1 + 14, cy + R + 170, lab(2), from_y1=cy + R + 110, from_y2=cy + R + 40)
    elif code == "CFL":
        R, R1, R2 = 140, 175, 205
        s.circle(cx - 40, cy, R2, fill=FILL_CASING)
        s.circle(cx - 40, cy, R, fill="white")
        s.circle(cx - 40, cy, R1, sw=1.0, c=CENTRE, dash="24,6,4,6")
        for k in range(8):
            a = math.radians(22.5 + 45 * k)
            s.circle(cx - 40 + R1 * math.cos(a), cy + R1 * math.sin(a), 9, fill="white", sw=1.6)
        s.centre_h(cx - 40 - R2 - 30, cx - 40 + R2 + 30, cy)
        s.centre_v(cx - 40, cy - R2 - 30, cy + R2 + 30)
        s.rect(660, cy - R2, 18, 2 * R2, fill=FILL_CASING)
        s.dim_h(cx - 40 - R, cx - 40 + R, cy + 60, lab(0), from_y1=None, from_y2=None)
        a = math.radians(-45)
        s.leader(cx - 40 + R1 * math.cos(a), cy + R1 * math.sin(a), 600, 60, lab(1))
        s.dim_h(cx - 40 - R2, cx - 40 + R2, cy + R2 + 50, lab(2), from_y1=cy, from_y2=cy)
    elif code == "AVM":
        x0 = 260
        s.rect(x0, 380, 280, 22, fill=FILL_CASING)
        s.rect(x0 + 40, 230, 200, 150, fill="#3b3f45", sw=2.2, rx=18)
        s.rect(x0, 208, 280, 22, fill=FILL_CASING)
        s.rect(x0 + 125, 130, 30, 78, fill=FILL_HUB, sw=1.8)
        for xb in (x0 + 20, x0 + 240):
            s.rect(xb - 8, 402, 16, 30, fill=FILL_HUB, sw=1.4)
        s.dim_v(x0 + 340, 208, 402, lab(0), from_x1=x0 + 280, from_x2=x0 + 280, side="right")
    elif code == "REP":
        s.rect(250, 140, 300, 340, fill="#e8e3d5", rx=16)
        s.circle(400, 300, 90, fill="#f2c400", sw=2.2)
        s.rect(385, 200, 30, 200, fill="#c8102e", rx=12, sw=2.0)
        s.label(400, 455, "0  I", size=34, c=INK, halo=False)
        s.rect(380, 480, 40, 40, fill=FILL_HUB, sw=1.8)
    elif code == "SPC":
        s.rect(220, 110, 360, 400, fill="#e1e6ec", rx=16)
        s.rect(270, 160, 260, 90, fill="#20323f", rx=6, sw=2)
        s.label(400, 222, "50.0 Hz", size=42, c="#8fe38f", halo=False)
        s.circle(400, 370, 70, fill=FILL_HUB, sw=2.2)
        s.line(400, 370, 440, 320, w=6)
        for k in range(11):
            a = math.radians(135 + k * 27)
            s.line(400 + 85 * math.cos(a), 370 + 85 * math.sin(a), 400 + 100 * math.cos(a),
                   370 + 100 * math.sin(a), w=2)
        for xg in (290, 400, 510):
            s.rect(xg - 18, 510, 36, 30, fill=FILL_HUB, sw=1.6)
    else:
        s.rect(200, 150, 400, 300, fill=FILL_CASING)
    s.label(20, 585, code, size=20, c=HIDDEN, anchor="start", halo=False)
    return s


# ----------------------------------------------------------------------------
# Logo and air-direction pictures
# ----------------------------------------------------------------------------

def logo():
    s = Svg(1200, 360)
    cx, cy, R = 180, 180, 140
    s.circle(cx, cy, R, fill="#0f4c81", sw=0, c="#0f4c81")
    for k in range(5):
        a = math.radians(k * 72 - 90)
        b = a + math.radians(52)
        p0 = (cx + 30 * math.cos(a), cy + 30 * math.sin(a))
        p1 = (cx + 118 * math.cos(a + math.radians(8)), cy + 118 * math.sin(a + math.radians(8)))
        p2 = (cx + 112 * math.cos(b), cy + 112 * math.sin(b))
        s.path("M%.1f,%.1f Q%.1f,%.1f %.1f,%.1f A112,112 0 0 1 %.1f,%.1f Q%.1f,%.1f %.1f,%.1f Z" % (
            p0[0], p0[1], cx + 95 * math.cos(a - 0.25), cy + 95 * math.sin(a - 0.25), p1[0], p1[1], p2[0], p2[1],
            cx + 60 * math.cos(b - 0.1), cy + 60 * math.sin(b - 0.1), p0[0], p0[1]), fill="white", sw=0, c="white")
    s.circle(cx, cy, 34, fill="#0f4c81", sw=6, c="white")
    s.label(360, 190, "DODOV", size=150, c="#0f4c81", anchor="start", weight="bold", halo=False)
    s.label(366, 290, "VENTILATION", size=64, c="#5a6b7b", anchor="start", halo=False)
    s.line(366, 222, 1150, 222, w=6, c="#f2a900")
    return s


def air_direction(code):
    s = Svg(500, 300)
    cy = 150
    xc0, xc1, R = 150, 350, 80
    s.rect(xc0, cy - R - 8, xc1 - xc0, 8, fill=FILL_CASING, sw=2.5)
    s.rect(xc0, cy + R, xc1 - xc0, 8, fill=FILL_CASING, sw=2.5)
    for xf in (xc0 - 10, xc1):
        s.rect(xf, cy - R - 22, 10, 2 * R + 44, fill=FILL_CASING, sw=2.5)
    s.centre_h(40, 460, cy)
    Rm, Lm = 42, 170
    if code == "A":
        xm0 = 95
        xi = xm0 + Lm + 20
    else:
        xm0 = 405 - Lm
        xi = xm0 - 20 - 36
    s.rect(xm0, cy - Rm, Lm, 2 * Rm, fill=FILL_MOTOR, sw=2.5, rx=8)
    for k in range(1, 7):
        x = xm0 + 15 + k * (Lm - 40) / 7
        s.line(x, cy - Rm + 5, x, cy + Rm - 5, w=1.0, c=HIDDEN)
    s.rect(xi, cy - 34, 36, 68, fill=FILL_HUB, sw=2.5)
    for sg in (-1, 1):
        s.poly([(xi + 4, cy + sg * 34), (xi + 30, cy + sg * 34), (xi + 40, cy + sg * (R - 4)), (xi - 4, cy + sg * (R - 4))],
               fill="#b8c2ce", sw=2)
    s.line(xi + 36 if code == "A" else xi + 36, cy, xm0 if code == "B" else xi, cy, w=4)
    s.flow_arrow(12, 80, cy, w=9)
    s.flow_arrow(420, 490, cy, w=9)
    s.label(250, 285, code, size=40, c=INK, weight="bold", halo=False)
    return s


# ----------------------------------------------------------------------------

def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--render", default=os.path.join(ROOT, "build", "bin", "aerolyx-svgrender"))
    ap.add_argument("--out", default=os.path.join(ROOT, "data", "folder", "CAD"))
    ap.add_argument("--catalogue", default=os.path.join(ROOT, "data", "catalogue"))
    ap.add_argument("--keep-svg", default=None, help="also keep the SVG sources in this folder")
    args = ap.parse_args()
    if not os.path.exists(args.render):
        sys.exit("renderer %s not found; build the target aerolyx-svgrender first" % args.render)
    os.makedirs(args.out, exist_ok=True)

    jobs = []   # (svg, file name, width, height)
    for name, tp, air, casing, dims in drawing_set(args.catalogue):
        jobs.append((fan_drawing(name, tp, air, casing, dims), name + ".png", 1600, 1000))
    for code, dims in accessory_types(args.catalogue):
        jobs.append((acc_picture(code, dims), code + ".png", 800, 600))
    jobs.append((logo(), "LOGO.jpg", 1200, 360))
    for code in ("A", "B"):
        jobs.append((air_direction(code), "RI_%s.jpg" % code, 500, 300))

    with tempfile.TemporaryDirectory() as tmp:
        svg_dir = args.keep_svg or tmp
        os.makedirs(svg_dir, exist_ok=True)
        argv = [args.render]
        for svg, fname, w, h in jobs:
            src = os.path.join(svg_dir, os.path.splitext(fname)[0] + ".svg")
            with open(src, "w", encoding="utf-8") as f:
                f.write(svg.text())
            argv += [src, os.path.join(args.out, fname), str(w), str(h)]
        subprocess.run(argv, check=True)
    for _, fname, _, _ in jobs:
        print(os.path.join(args.out, fname))


if __name__ == "__main__":
    main()
