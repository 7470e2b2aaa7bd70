#!/usr/bin/python3
"""Generate data/3DModel/julii.wrl: a stone urn with two loop handles on a
round stepped pedestal, written as plain VRML97 IndexedFaceSets.

The program scales and turns the model onto a corner block whose top lies at
y = BASE_Y in model units, so everything here is built upwards from there and
centred on x = z = 0.  Texture coordinates are included but no Appearance:
the program puts its own texture in front of the model.

The usual view is straight down on the block, so the shapes are chosen to
read from above: a round base narrower than the square block, so brick shows
round it, stepped rings, a rolled lip round a deep hollow, and handle loops
reaching out over the brick.

A Shape without an Appearance is drawn unlit, so slopes alone do not show.
Light and shade are therefore baked into per-vertex colours (a key light from
the pool side where the scene's lamp stands, soft sky light, ambient
occlusion and cast shadows); the viewer multiplies them into the texture.

Usage: make_model.py [OUTPUT_PATH]
"""

import math
import os
import sys

import numpy as np

BASE_Y = 11.68      # just above the block top (11.67) so nothing sinks in
SEGMENTS = 36       # around the axis; plenty for a round silhouette from above
TEX_UNIT = 8.0      # model units per texture repeat along the profile
U_REPEATS = 2       # texture repeats around the axis

# The program maps model (x, y, z) to world (0.04 x, -0.04 z, 0.06 y) plus an
# offset; shading is worked out in world directions, occlusion in model space.
WORLD_SCALE = (0.04, 0.06, 0.04)
KEY_LIGHT = (1.0, 1.0, 1.4)       # world direction towards the key light
KEY_SPREAD = 0.06                 # radians; softens the shadow edges
AMBIENT, SKY, KEY = 0.24, 0.3, 0.58
AO_RAYS = 48
BLOCK = (-6.75, 5.75, -5.75, 6.75)   # block top in model x and z


def arc(cx, cy, radius, a0, a1, steps):
    """Points on a circular arc in the (r, h) plane, end points included;
    angles in degrees, counter-clockwise when a1 > a0."""
    return [(cx + radius * math.cos(math.radians(a0 + (a1 - a0) * k / steps)),
             cy + radius * math.sin(math.radians(a0 + (a1 - a0) * k / steps)))
            for k in range(steps + 1)]


def pedestal_profile():
    """Two round steps, a torus, a short drum and a cap, traced from the
    centre of the underside out, up the outside and in over the top.

    From above the steps and the torus show as rings outside the urn's lip.
    """
    nose = 0.16
    pts = [(0.0, 0.0), (4.5, 0.0), (4.5, 0.3)]
    pts += arc(4.5 - nose, 0.3, nose, 0, 90, 2)[1:]
    pts += [(3.9, 0.46), (3.9, 0.8)]
    pts += arc(3.9 - nose, 0.8, nose, 0, 90, 2)[1:]
    pts += [(3.15, 0.96)]
    pts += arc(3.15, 1.22, 0.26, -90, 90, 4)[1:]                # torus
    pts += [(2.62, 1.6), (2.5, 1.75), (2.5, 2.55)]              # drum
    pts += arc(2.5, 2.9, 0.35, -90, 0, 2)[1:]                   # ovolo cap
    pts += [(2.85, 3.1), (2.75, 3.2), (0.0, 3.2)]
    return pts


# Urn profile as (radius, height above the pedestal top), traced from the
# centre of the foot outwards, up the outside, over the rolled lip and down
# the hollow to the centre of its floor.  Keeping the material on the left of
# this path makes every face wind counter-clockwise seen from outside.  The
# hollow is deep, so from above it shades dark inside the bright lip.
URN_PROFILE = (
    [(0.0, 0.0), (2.0, 0.0), (2.0, 0.18), (1.86, 0.34),          # foot
     (1.45, 0.5), (1.05, 0.7), (0.85, 0.95), (0.82, 1.15),       # stem
     (1.1, 1.3), (0.95, 1.45), (1.2, 1.6),                       # knop
     (1.8, 1.9), (2.45, 2.4), (2.85, 2.95), (3.0, 3.5),          # lower body
     (2.9, 4.05), (2.62, 4.6), (2.36, 5.0), (2.34, 5.35),        # shoulder
     (2.6, 5.75), (2.98, 6.04)]                                  # flare
    + arc(3.12, 6.3, 0.26, -115, 155, 5)                         # rolled lip
    + [(2.55, 6.2), (2.05, 5.35), (1.4, 4.5), (0.6, 3.7),        # hollow
       (0.0, 3.45)]
)

# Handles: tilted loops leaving the belly at HANDLE_Y, pointing towards the
# block's free corners so they stand out over the brick from above and show
# in profile from the pool.
HANDLE_ANGLES = (135.0, 315.0)   # degrees about y
HANDLE_Y = 3.4                   # height of the roots above the pedestal
HANDLE_ROOT = 2.65               # distance of the root centres from the axis
HANDLE_HALF_SPAN = 1.3           # half the distance between the two roots
HANDLE_REACH = 5.1               # farthest centre-line radius
HANDLE_TILT = 28.0               # degrees the loop rises outwards
HANDLE_TUBE = 0.34               # tube radius
HANDLE_STEPS = 20                # segments along the loop
HANDLE_SIDES = 8                 # segments around the tube


class Mesh:
    """Triangles with separate coordinate and texture-coordinate indices;
    colours go one per point."""

    def __init__(self, name, crease):
        self.name = name
        self.crease = crease
        self.points = []
        self.normals = []  # model-space unit normals, for the baked shading
        self.colors = []
        self.uvs = []
        self.faces = []   # list of ((p0, p1, p2), (t0, t1, t2))

    def point(self, p, n):
        self.points.append(p)
        self.normals.append(n)
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


def profile_normals(profile):
    """Outward unit normals at the profile points, in the (r, h) plane: the
    mean of the two neighbouring segments' normals (right of the path)."""
    seg = []
    for (r0, y0), (r1, y1) in zip(profile, profile[1:]):
        d = math.hypot(r1 - r0, y1 - y0)
        seg.append(((y1 - y0) / d, -(r1 - r0) / d))
    out = []
    for j in range(len(profile)):
        near = [seg[k] for k in (j - 1, j) if 0 <= k < len(seg)]
        nr, ny = sum(n[0] for n in near), sum(n[1] for n in near)
        if profile[j][0] == 0.0:
            nr = 0.0
        d = math.hypot(nr, ny)
        out.append((nr / d, ny / d))
    return out


def add_lathe(mesh, profile, y_base):
    """Surface of revolution around the y axis.

    A point at angle a sits at (r cos a, y, -r sin a); with that sense of
    rotation a profile that keeps the material on its left gives outward,
    counter-clockwise faces.  Texture coordinates are polar: u goes round the
    axis and v runs along the profile by arc length, so the stone's bands
    become level courses on the sides and concentric rings on every surface
    that faces up.  The seam column is shared in coordinates but gets its own
    texture coordinates (u = U_REPEATS) so the texture does not smear.
    """
    v = [0.0]
    for (r0, y0), (r1, y1) in zip(profile, profile[1:]):
        v.append(v[-1] + math.hypot(r1 - r0, y1 - y0))

    normals = profile_normals(profile)
    rings = []
    for (r, y), (nr, ny) in zip(profile, normals):
        if r == 0.0:
            idx = mesh.point((0.0, y_base + y, 0.0), (0.0, ny, 0.0))
            rings.append([idx] * SEGMENTS)
        else:
            rings.append([
                mesh.point((r * math.cos(a), y_base + y, -r * math.sin(a)),
                           (nr * math.cos(a), ny, -nr * math.sin(a)))
                for a in (2 * math.pi * i / SEGMENTS for i in range(SEGMENTS))
            ])
    uv_rows = [[mesh.uv((U_REPEATS * i / SEGMENTS, vj / TEX_UNIT))
                for i in range(SEGMENTS + 1)] for vj in v]

    for j in range(len(profile) - 1):
        for i in range(SEGMENTS):
            i1 = (i + 1) % SEGMENTS
            mesh.quad((rings[j][i], rings[j][i1], rings[j + 1][i1], rings[j + 1][i]),
                      (uv_rows[j][i], uv_rows[j][i + 1],
                       uv_rows[j + 1][i + 1], uv_rows[j + 1][i]))


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2],
            a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def unit(a):
    d = math.sqrt(dot(a, a))
    return tuple(x / d for x in a)


def handle_centre(angle, y_base, t):
    """Centre line of a handle: half an ellipse in a plane tilted up by
    HANDLE_TILT, from one root on the belly round to the other."""
    a = math.radians(angle)
    radial = (math.cos(a), 0.0, -math.sin(a))
    across = (-math.sin(a), 0.0, -math.cos(a))
    start = math.sqrt(HANDLE_ROOT ** 2 - HANDLE_HALF_SPAN ** 2)
    th = math.pi * t
    out = (HANDLE_REACH - start) * math.sin(th)
    r = start + out
    s = HANDLE_HALF_SPAN * math.cos(th)
    y = y_base + HANDLE_Y + out * math.tan(math.radians(HANDLE_TILT))
    return (r * radial[0] + s * across[0], y, r * radial[2] + s * across[2])


def add_handle(mesh, angle, y_base):
    """Capped tube along handle_centre.  Both roots are buried in the belly,
    so no open end shows from any side."""
    centres = [handle_centre(angle, y_base, s / HANDLE_STEPS)
               for s in range(HANDLE_STEPS + 1)]
    # The loop's plane normal, pointing up and inwards.
    plane = unit(cross(sub(centres[0], centres[HANDLE_STEPS // 2]),
                       sub(centres[HANDLE_STEPS], centres[HANDLE_STEPS // 2])))
    if plane[1] < 0:
        plane = tuple(-x for x in plane)
    rows = []
    length = [0.0]
    for s, c in enumerate(centres):
        if s:
            length.append(length[-1] + math.dist(c, centres[s - 1]))
        ahead = centres[min(s + 1, HANDLE_STEPS)]
        behind = centres[max(s - 1, 0)]
        tangent = unit(sub(ahead, behind))
        side = unit(cross(tangent, plane))
        ring = []
        for k in range(HANDLE_SIDES):
            b = 2 * math.pi * k / HANDLE_SIDES
            n = tuple(math.cos(b) * side[m] + math.sin(b) * plane[m] for m in range(3))
            ring.append(mesh.point(
                tuple(c[m] + HANDLE_TUBE * n[m] for m in range(3)), n))
        rows.append(ring)
    uv_rows = [[mesh.uv((k / HANDLE_SIDES, l / TEX_UNIT))
                for k in range(HANDLE_SIDES + 1)] for l in length]

    # Which way round the rings run depends on the loop's direction; test one
    # face against its distance from the centre line and keep it outward.
    p = [mesh.points[i] for i in (rows[0][0], rows[1][0], rows[1][1])]
    outward = dot(cross(sub(p[1], p[0]), sub(p[2], p[0])), sub(p[0], centres[0])) > 0

    def emit(pts, uvs):
        pts, uvs = list(pts), list(uvs)
        if not outward:
            pts.reverse()
            uvs.reverse()
        mesh.quad(pts, uvs)

    for s in range(HANDLE_STEPS):
        for k in range(HANDLE_SIDES):
            k1 = (k + 1) % HANDLE_SIDES
            emit((rows[s][k], rows[s + 1][k], rows[s + 1][k1], rows[s][k1]),
                 (uv_rows[s][k], uv_rows[s + 1][k],
                  uv_rows[s + 1][k + 1], uv_rows[s][k + 1]))

    # End caps: fans round the two root centres, facing away from the loop.
    for s, away in ((0, sub(centres[0], centres[1])),
                    (HANDLE_STEPS, sub(centres[-1], centres[-2]))):
        c = mesh.point(centres[s], unit(away))
        cuv = mesh.uv((0.5, 0.5))
        for k in range(HANDLE_SIDES):
            k1 = (k + 1) % HANDLE_SIDES
            tri = (c, rows[s][k], rows[s][k1])
            uvs = (cuv, uv_rows[s][k], uv_rows[s][k + 1])
            p = [mesh.points[i] for i in tri]
            if dot(cross(sub(p[1], p[0]), sub(p[2], p[0])), away) < 0:
                tri, uvs = tri[::-1], uvs[::-1]
            mesh.tri(tri, uvs)
    return centres


class Occluders:
    """What can hide the sky or the key light from a point: the turned
    surfaces (as cone frusta), the handles (as chains of spheres) and the
    block top."""

    def __init__(self, lathes, handle_paths):
        segs = []
        for profile, y_base in lathes:
            for (r0, h0), (r1, h1) in zip(profile, profile[1:]):
                segs.append((r0, y_base + h0, r1, y_base + h1))
        self.segs = np.array(segs)
        balls = []
        for path in handle_paths:
            for a, b in zip(path, path[1:]):
                for f in (0.0, 0.5):
                    balls.append([a[k] + f * (b[k] - a[k]) for k in range(3)])
        self.balls = np.array(balls)

    def blocked(self, org, d):
        """For rays org + t d (t > 0), whether each one hits anything."""
        hit = np.zeros(len(org), dtype=bool)
        # Block top: a plane at BASE_Y, bounded by the block's edges.
        with np.errstate(divide="ignore", invalid="ignore"):
            t = (BASE_Y - org[:, 1]) / d[:, 1]
            x = org[:, 0] + t * d[:, 0]
            z = org[:, 2] + t * d[:, 2]
            hit |= (t > 0) & (x > BLOCK[0]) & (x < BLOCK[1]) & (z > BLOCK[2]) & (z < BLOCK[3])
        # Frusta: x^2 + z^2 = r(y)^2, r linear in y along each segment.
        ox, oy, oz = (org[:, m:m + 1] for m in range(3))
        dx, dy, dz = (d[:, m:m + 1] for m in range(3))
        r0, h0, r1, h1 = (self.segs[:, m] for m in range(4))
        dh = h1 - h0
        slanted = np.abs(dh) > 1e-9
        dh_safe = np.where(slanted, dh, 1.0)
        slope = np.where(slanted, (r1 - r0) / dh_safe, 0.0)
        a0 = r0 + (oy - h0) * slope
        b0 = dy * slope
        qa = dx * dx + dz * dz - b0 * b0
        qb = 2 * (ox * dx + oz * dz - a0 * b0)
        qc = ox * ox + oz * oz - a0 * a0
        disc = qb * qb - 4 * qa * qc
        ok = (disc >= 0) & slanted & (np.abs(qa) > 1e-12)
        root = np.sqrt(np.where(ok, disc, 0.0))
        den = np.where(ok, 2 * qa, 1.0)
        for sign in (-1.0, 1.0):
            t = (-qb + sign * root) / den
            s = (oy + t * dy - h0) / dh_safe
            hit |= (ok & (t > 1e-4) & (s >= 0) & (s <= 1)).any(axis=1)
        # Flat rings; a level ray never meets one, and its inf/nan compare false.
        with np.errstate(divide="ignore", invalid="ignore"):
            t = (h0 - oy) / dy
            rr = np.hypot(ox + t * dx, oz + t * dz)
            hit |= (~slanted & (t > 1e-4) & (rr >= np.minimum(r0, r1))
                    & (rr <= np.maximum(r0, r1))).any(axis=1)
        # Handle spheres.
        oc = org[:, None, :] - self.balls[None, :, :]
        b = (oc * d[:, None, :]).sum(axis=2)
        c = (oc * oc).sum(axis=2) - HANDLE_TUBE ** 2
        disc = b * b - c
        t = -b + np.sqrt(np.maximum(disc, 0.0))
        hit |= ((disc > 0) & (t > 1e-4) & (c > 0)).any(axis=1)
        return hit


def to_model(w):
    """A world direction as a model-space unit vector."""
    v = np.array([w[0] / WORLD_SCALE[0], w[2] / WORLD_SCALE[1], -w[1] / WORLD_SCALE[2]])
    return v / np.linalg.norm(v)


def to_world_normal(n):
    """A model-space normal as a world unit normal; normals take the inverse
    of the scaling, so the stretched height makes slopes steeper."""
    v = np.array([n[0] / WORLD_SCALE[0], -n[2] / WORLD_SCALE[2], n[1] / WORLD_SCALE[1]])
    return v / np.linalg.norm(v)


def hemisphere(n_rays):
    """Cosine-weighted directions about +z, on a fixed spiral so every run
    gives the same colours."""
    out = []
    golden = math.pi * (3 - math.sqrt(5))
    for i in range(n_rays):
        r = math.sqrt((i + 0.5) / n_rays)
        a = i * golden
        out.append((r * math.cos(a), r * math.sin(a), math.sqrt(1 - r * r)))
    return np.array(out)


def frame(n):
    """Two unit vectors perpendicular to n and to each other."""
    t = np.array([1.0, 0.0, 0.0]) if abs(n[0]) < 0.9 else np.array([0.0, 1.0, 0.0])
    u = np.cross(n, t)
    u /= np.linalg.norm(u)
    return u, np.cross(n, u)


def bake(meshes, occluders):
    """Per-vertex grey levels: sky and ambient scaled by ambient occlusion,
    plus the key light where it is not shadowed."""
    key_w = np.array(KEY_LIGHT) / np.linalg.norm(KEY_LIGHT)
    key_m = to_model(KEY_LIGHT)
    ku, kv = frame(key_m)
    keys = np.array([key_m] + [key_m + KEY_SPREAD * (math.cos(a) * ku + math.sin(a) * kv)
                               for a in (0, 2.1, 4.2)])
    keys /= np.linalg.norm(keys, axis=1)[:, None]
    dome = hemisphere(AO_RAYS)
    for mesh in meshes:
        mesh.colors = []
        for p, n in zip(mesh.points, mesh.normals):
            n = np.array(n)
            org = np.array(p) + 0.02 * n
            u, v = frame(n)
            dirs = dome[:, :1] * u + dome[:, 1:2] * v + dome[:, 2:] * n
            rays = np.vstack([dirs, keys])
            hit = occluders.blocked(np.repeat(org[None, :], len(rays), axis=0), rays)
            # Eased a little: light bounces into hollows that rays call dark.
            ao = (1.0 - hit[:AO_RAYS].mean()) ** 0.75
            lit = 1.0 - hit[AO_RAYS:].mean()
            nw = to_world_normal(n)
            diffuse = max(0.0, float(nw @ key_w))
            g = ao * (AMBIENT + SKY * (0.5 + 0.5 * nw[2])) + KEY * lit * diffuse
            mesh.colors.append(min(1.0, g))


def fmt(x):
    """Short fixed-precision number; avoids '-0' in the output."""
    s = f"{x:.3f}".rstrip("0").rstrip(".")
    return "0" if s in ("-0", "") else s


def rows(items, per_line=8, indent="        "):
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
    # One grey per point; with no colorIndex the faces use coordIndex.
    out.append("        colorPerVertex TRUE")
    out.append("        color Color { color [")
    out += rows([" ".join([f"{g:.2f}"] * 3) for g in mesh.colors])
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
    profile = pedestal_profile()
    pedestal = Mesh("pedestal", crease=0.6)
    add_lathe(pedestal, profile, BASE_Y)
    urn_base = BASE_Y + profile[-1][1]

    urn = Mesh("urn", crease=0.9)
    add_lathe(urn, URN_PROFILE, urn_base)

    handles = Mesh("handles", crease=1.2)
    paths = [add_handle(handles, angle, urn_base) for angle in HANDLE_ANGLES]

    bake([pedestal, urn, handles],
         Occluders([(profile, BASE_Y), (URN_PROFILE, urn_base)], paths))
    return [(pedestal, True), (urn, True), (handles, True)]


def main(argv):
    path = argv[1] if len(argv) > 1 else "data/3DModel/julii.wrl"
    shapes = build()
    n_tris = sum(len(m.faces) for m, _ in shapes)
    out = [
        "#VRML V2.0 utf8",
        f"# Stone urn on a round stepped pedestal, {n_tris} triangles.",
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
