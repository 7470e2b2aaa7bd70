#!/usr/bin/python3
"""Generate data/3DModel/julii.wrl: a stone urn with two handles on a
stepped plinth, written as plain VRML97 IndexedFaceSets.

The program scales and turns the model onto a corner block whose top lies at
y = BASE_Y in model units, so everything here is built upwards from there and
centred on x = z = 0.  Texture coordinates are included but no Appearance:
the program puts its own texture in front of the model.

Usage: make_model.py [OUTPUT_PATH]
"""

import math
import os
import sys

BASE_Y = 11.68      # just above the block top (11.67) so nothing sinks in
SEGMENTS = 48       # around the urn; enough for a round silhouette from above
TEX_UNIT = 10.0     # model units per texture repeat, so the grain stays broad

# Plinth tiers from the bottom up: (half width, height).
PLINTH = [
    (4.6, 0.8),     # base slab
    (3.6, 3.0),     # die
    (4.1, 0.6),     # cap
]

# Urn profile as (radius, height above the plinth top), traced from the
# centre of the foot outwards, up the outside, over the lip and down the
# inside to the centre of the bowl floor.  Keeping the material on the left
# of this path makes every face wind counter-clockwise seen from outside.
URN_PROFILE = [
    (0.0, 0.0), (1.9, 0.0), (1.9, 0.35), (1.5, 0.5),           # foot
    (0.9, 0.8), (0.75, 1.2), (0.8, 1.55), (1.2, 1.75),         # stem, knop
    (1.9, 2.0), (2.5, 2.5), (2.85, 3.1), (2.95, 3.7),          # lower body
    (2.8, 4.3), (2.4, 4.8), (1.9, 5.15),                       # shoulder
    (1.75, 5.5), (1.85, 5.8), (2.5, 6.1), (3.3, 6.25),         # neck, flare
    (3.45, 6.45), (3.3, 6.6), (3.0, 6.6),                      # rolled lip
    (2.6, 6.35), (1.6, 5.9), (1.5, 5.5), (1.75, 4.9),          # inside
    (2.3, 4.4), (2.2, 4.0), (0.0, 3.9),                        # bowl floor
]

# Handles: a tube along a Bezier curve in the (radius, height) plane, from
# inside the solid belly out and up into the rolled lip.  Both ends are buried
# in the urn, and capped, so no open tube shows from any side.
HANDLE_PATH = [(2.5, 3.4), (4.3, 3.3), (3.9, 5.6), (3.15, 6.45)]
HANDLE_TUBE = 0.18             # tube radius
HANDLE_STEPS = 20              # segments along the curve
HANDLE_SIDES = 8               # segments around the tube


class Mesh:
    """Triangles with separate coordinate and texture-coordinate indices."""

    def __init__(self, name, crease):
        self.name = name
        self.crease = crease
        self.points = []
        self.uvs = []
        self.faces = []   # list of ((p0, p1, p2), (t0, t1, t2))

    def point(self, p):
        self.points.append(p)
        return len(self.points) - 1

    def uv(self, t):
        self.uvs.append(t)
        return len(self.uvs) - 1

    def tri(self, pts, uvs):
        self.faces.append((tuple(pts), tuple(uvs)))

    def quad(self, pts, uvs):
        """Split a counter-clockwise quad into two triangles, skipping any
        that collapse where the quad touches the axis."""
        for a, b, c in ((0, 1, 2), (0, 2, 3)):
            p = (pts[a], pts[b], pts[c])
            if len(set(p)) == 3:
                self.tri(p, (uvs[a], uvs[b], uvs[c]))


def add_box(mesh, half, y0, y1):
    """Axis-aligned square box centred on the y axis, faces pointing out.

    Texture coordinates are planar per face in TEX_UNIT steps so the stone
    keeps the same scale on every tier.
    """
    h = half
    corners = {}
    for sx in (-1, 1):
        for sy in (0, 1):
            for sz in (-1, 1):
                corners[sx, sy, sz] = mesh.point((sx * h, (y0, y1)[sy], sz * h))

    def face(keys, uv_of):
        pts = [corners[k] for k in keys]
        uvs = [mesh.uv(uv_of(k)) for k in keys]
        mesh.quad(pts, uvs)

    y_of = lambda k: (y0, y1)[k[1]]
    side_u = lambda a: (a * h + h) / TEX_UNIT
    side_v = lambda k: (y_of(k) - BASE_Y) / TEX_UNIT
    # Each key list runs counter-clockwise when seen from outside the box.
    face([(-1, 0, 1), (1, 0, 1), (1, 1, 1), (-1, 1, 1)],
         lambda k: (side_u(k[0]), side_v(k)))                    # +z
    face([(1, 0, -1), (-1, 0, -1), (-1, 1, -1), (1, 1, -1)],
         lambda k: (side_u(-k[0]), side_v(k)))                   # -z
    face([(1, 0, 1), (1, 0, -1), (1, 1, -1), (1, 1, 1)],
         lambda k: (side_u(-k[2]), side_v(k)))                   # +x
    face([(-1, 0, -1), (-1, 0, 1), (-1, 1, 1), (-1, 1, -1)],
         lambda k: (side_u(k[2]), side_v(k)))                    # -x
    face([(-1, 1, 1), (1, 1, 1), (1, 1, -1), (-1, 1, -1)],
         lambda k: (side_u(k[0]), side_u(-k[2])))                # top
    face([(-1, 0, -1), (1, 0, -1), (1, 0, 1), (-1, 0, 1)],
         lambda k: (side_u(k[0]), side_u(k[2])))                 # bottom


def add_lathe(mesh, profile, y_base):
    """Surface of revolution around the y axis.

    A point at angle a sits at (r cos a, y, -r sin a); with that sense of
    rotation a profile that keeps the material on its left gives outward,
    counter-clockwise faces.  The seam column is shared in coordinates but
    gets its own texture coordinates (u = 1) so the texture does not smear.
    """
    # v runs along the profile by arc length, so the texture is not stretched
    # on the steep parts.
    v = [0.0]
    for (r0, y0), (r1, y1) in zip(profile, profile[1:]):
        v.append(v[-1] + math.hypot(r1 - r0, y1 - y0))
    u_repeats = max(1, round(2 * math.pi * 2.5 / TEX_UNIT))

    rings = []
    for r, y in profile:
        if r == 0.0:
            idx = mesh.point((0.0, y_base + y, 0.0))
            rings.append([idx] * SEGMENTS)
        else:
            rings.append([
                mesh.point((r * math.cos(a), y_base + y, -r * math.sin(a)))
                for a in (2 * math.pi * i / SEGMENTS for i in range(SEGMENTS))
            ])
    uv_rows = [[mesh.uv((u_repeats * i / SEGMENTS, vj / TEX_UNIT))
                for i in range(SEGMENTS + 1)] for vj in v]
    # Nearly flat bands (foot, lip top, bowl floor) get a planar top-down
    # mapping instead: the wrapped one pinches into a star at the axis,
    # right where the viewer looks from above.
    planar = [[mesh.uv((r * math.cos(a) / TEX_UNIT, r * math.sin(a) / TEX_UNIT))
               for a in (2 * math.pi * i / SEGMENTS for i in range(SEGMENTS))]
              for r, _ in profile]

    for j in range(len(profile) - 1):
        (r0, y0), (r1, y1) = profile[j], profile[j + 1]
        flat = abs(y1 - y0) < 0.5 * abs(r1 - r0)
        for i in range(SEGMENTS):
            i1 = (i + 1) % SEGMENTS
            pts = (rings[j][i], rings[j][i1], rings[j + 1][i1], rings[j + 1][i])
            if flat:
                uvs = (planar[j][i], planar[j][i1],
                       planar[j + 1][i1], planar[j + 1][i])
            else:
                uvs = (uv_rows[j][i], uv_rows[j][i + 1],
                       uv_rows[j + 1][i + 1], uv_rows[j + 1][i])
            mesh.quad(pts, uvs)


def bezier(ctrl, t):
    """Point and unit tangent of a cubic Bezier curve in 2D."""
    (x0, y0), (x1, y1), (x2, y2), (x3, y3) = ctrl
    m = 1 - t
    x = m**3 * x0 + 3 * m * m * t * x1 + 3 * m * t * t * x2 + t**3 * x3
    y = m**3 * y0 + 3 * m * m * t * y1 + 3 * m * t * t * y2 + t**3 * y3
    dx = 3 * (m * m * (x1 - x0) + 2 * m * t * (x2 - x1) + t * t * (x3 - x2))
    dy = 3 * (m * m * (y1 - y0) + 2 * m * t * (y2 - y1) + t * t * (y3 - y2))
    d = math.hypot(dx, dy)
    return (x, y), (dx / d, dy / d)


def add_handle(mesh, side, y_base):
    """Capped tube following HANDLE_PATH on one side (side = +1 or -1 in x)."""
    rows = []
    length = [0.0]
    centres = []
    for s in range(HANDLE_STEPS + 1):
        (r, y), (tr, ty) = bezier(HANDLE_PATH, s / HANDLE_STEPS)
        if centres:
            length.append(length[-1] + math.dist((r, y), centres[-1]))
        centres.append((r, y))
        nr, ny = ty, -tr      # in-plane normal to the curve
        ring = []
        for k in range(HANDLE_SIDES):
            b = 2 * math.pi * k / HANDLE_SIDES
            ring.append(mesh.point((
                side * (r + HANDLE_TUBE * math.cos(b) * nr),
                y_base + y + HANDLE_TUBE * math.cos(b) * ny,
                HANDLE_TUBE * math.sin(b))))
        rows.append(ring)
    uv_rows = [[mesh.uv((k / HANDLE_SIDES, l / TEX_UNIT))
                for k in range(HANDLE_SIDES + 1)] for l in length]

    def emit(pts, uvs):
        pts, uvs = list(pts), list(uvs)
        if side < 0:
            # Mirroring in x turns the winding inside out; flip it back.
            pts.reverse()
            uvs.reverse()
        if len(pts) == 4:
            mesh.quad(pts, uvs)
        else:
            mesh.tri(pts, uvs)

    for s in range(HANDLE_STEPS):
        for k in range(HANDLE_SIDES):
            k1 = (k + 1) % HANDLE_SIDES
            emit((rows[s][k], rows[s + 1][k], rows[s + 1][k1], rows[s][k1]),
                 (uv_rows[s][k], uv_rows[s + 1][k],
                  uv_rows[s + 1][k + 1], uv_rows[s][k + 1]))

    # End caps: fans around the curve's end points.
    for s, flip in ((0, False), (HANDLE_STEPS, True)):
        r, y = centres[s]
        c = mesh.point((side * r, y_base + y, 0.0))
        cuv = mesh.uv((0.5, 0.5))
        for k in range(HANDLE_SIDES):
            k1 = (k + 1) % HANDLE_SIDES
            tri = (c, rows[s][k], rows[s][k1])
            if flip:
                tri = tri[::-1]
            emit(tri, (cuv, uv_rows[s][k], uv_rows[s][k + 1]))


def fmt(x):
    """Short fixed-precision number; avoids '-0' in the output."""
    s = f"{x:.4f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def rows(items, per_line=4, indent="          "):
    """Group field entries a few to a line to keep the file compact."""
    return [indent + ", ".join(items[i:i + per_line]) + ","
            for i in range(0, len(items), per_line)]


def write_shape(out, mesh, solid):
    out.append("    Shape {")
    out.append("      geometry IndexedFaceSet {")
    out.append(f"        solid {'TRUE' if solid else 'FALSE'}")
    out.append("        ccw TRUE")
    out.append("        convex TRUE")
    out.append(f"        creaseAngle {mesh.crease}")
    out.append("        coord Coordinate { point [")
    out += rows([" ".join(fmt(c) for c in p) for p in mesh.points])
    out.append("        ] }")
    out.append("        coordIndex [")
    out += rows([" ".join(map(str, pts)) + " -1" for pts, _ in mesh.faces])
    out.append("        ]")
    out.append("        texCoord TextureCoordinate { point [")
    out += rows([" ".join(fmt(c) for c in t) for t in mesh.uvs])
    out.append("        ] }")
    out.append("        texCoordIndex [")
    out += rows([" ".join(map(str, uvs)) + " -1" for _, uvs in mesh.faces])
    out.append("        ]")
    out.append("      }")
    out.append("    }")


def build():
    plinth = Mesh("plinth", crease=0.5)
    y = BASE_Y
    for half, height in PLINTH:
        add_box(plinth, half, y, y + height)
        y += height
    urn_base = y

    urn = Mesh("urn", crease=1.0)
    add_lathe(urn, URN_PROFILE, urn_base)

    handles = Mesh("handles", crease=1.2)
    for side in (1, -1):
        add_handle(handles, side, urn_base)
    return [(plinth, True), (urn, True), (handles, True)]


def main(argv):
    path = argv[1] if len(argv) > 1 else "data/3DModel/julii.wrl"
    shapes = build()
    n_tris = sum(len(m.faces) for m, _ in shapes)
    out = [
        "#VRML V2.0 utf8",
        f"# Stone urn on a stepped plinth, {n_tris} triangles.",
        "# Generated by scripts/data/make_model.py; edit that, not this file.",
        "Group {",
        "  children [",
    ]
    for mesh, solid in shapes:
        out.append(f"    # {mesh.name}")
        write_shape(out, mesh, solid)
    out += ["  ]", "}", ""]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(out))
    print(f"{path}: {n_tris} triangles, {os.path.getsize(path)} bytes")


if __name__ == "__main__":
    main(sys.argv)
