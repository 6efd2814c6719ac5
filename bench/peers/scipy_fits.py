#!/usr/bin/python3
"""A peer for the fit passes in scipy: cKDTree neighbours and numpy sums.

The same plane fits as the engine (Z = aX + bY + c, centred to the point of
calculation, which is left out) on the float64 x, y, q triples that
make_survey --triples writes. Run with Debian's /usr/bin/python3.

    scipy_fits.py TRIPLES [--radius R]... [--nearest N] [--sample S] [--workers W]

Prints "KEY SECONDS # note" per pass. A radius pass over every point would
take minutes, so it is timed on every k-th point (S points in all) and scaled
to the whole survey; the tree is built once, and its time is added whole.
"""

import argparse
import itertools
import time

import numpy as np
from scipy.spatial import cKDTree

SELF_DISTANCE = 1e-6  # nearer than this: the point of calculation itself
CHUNK = 5000  # points per query: bounds the neighbour arrays' memory


def solve_planes(sums):
    """Gradients (a, b) from the nine sums of each point's normal equations."""
    xx, xy, x1, yy, y1, n, xz, yz, z1 = sums
    a = np.stack([np.stack([xx, xy, x1], -1), np.stack([xy, yy, y1], -1),
                  np.stack([x1, y1, n], -1)], -2)
    r = np.stack([xz, yz, z1], -1)
    solvable = n >= 3
    solution = np.full(r.shape, np.nan)
    solution[solvable] = np.linalg.solve(a[solvable], r[solvable][..., None])[..., 0]
    return solution[:, 0], solution[:, 1], n


def radius_sums(tree, x, y, q, points, radius, workers):
    lists = tree.query_ball_point(np.column_stack([x[points], y[points]]), radius,
                                  workers=workers, return_sorted=False)
    counts = np.fromiter(map(len, lists), dtype=np.intp, count=len(lists))
    neighbours = np.fromiter(itertools.chain.from_iterable(lists), dtype=np.intp,
                             count=int(counts.sum()))
    owner = np.repeat(np.arange(len(points)), counts)
    at = points[owner]
    X = x[neighbours] - x[at]
    Y = y[neighbours] - y[at]
    Z = q[neighbours] - q[at]
    used = (X * X + Y * Y >= SELF_DISTANCE * SELF_DISTANCE).astype(float)
    X, Y, Z = X * used, Y * used, Z * used
    terms = (X * X, X * Y, X, Y * Y, Y, used, X * Z, Y * Z, Z)
    return [np.bincount(owner, weights=t, minlength=len(points)) for t in terms]


def radius_pass(tree, x, y, q, points, radius, workers):
    a, b, n = [], [], []
    for start in range(0, len(points), CHUNK):
        ga, gb, gn = solve_planes(radius_sums(tree, x, y, q, points[start:start + CHUNK],
                                              radius, workers))
        a.append(ga)
        b.append(gb)
        n.append(gn)
    return np.concatenate(a), np.concatenate(b), np.concatenate(n)


def nearest_pass(tree, x, y, q, n_nearest, workers):
    distances, indices = tree.query(np.column_stack([x, y]), k=n_nearest + 1, workers=workers)
    has_self = distances[:, 0] < SELF_DISTANCE
    chosen = np.where(has_self[:, None], indices[:, 1:], indices[:, :n_nearest])
    X = x[chosen] - x[:, None]
    Y = y[chosen] - y[:, None]
    Z = q[chosen] - q[:, None]
    ones = np.ones_like(X)
    terms = (X * X, X * Y, X, Y * Y, Y, ones, X * Z, Y * Z, Z)
    return solve_planes([t.sum(axis=1) for t in terms])


def report(key, seconds, note):
    print("%s %.4f # %s" % (key, seconds, note), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("triples")
    parser.add_argument("--radius", type=float, action="append", default=[])
    parser.add_argument("--nearest", type=int, default=0)
    parser.add_argument("--nearest-radius", type=float, default=350.0,
                        help="only names the pass, as the engine's growth step")
    parser.add_argument("--sample", type=int, default=100000)
    parser.add_argument("--workers", type=int, default=1)
    args = parser.parse_args()

    xyq = np.fromfile(args.triples, dtype=np.float64).reshape(-1, 3)
    x, y, q = (np.ascontiguousarray(xyq[:, k]) for k in range(3))
    count = len(x)

    start = time.perf_counter()
    tree = cKDTree(np.column_stack([x, y]))
    build = time.perf_counter() - start
    report("tree", build, "building cKDTree, one thread")

    step = max(1, count // args.sample)
    sample = np.arange(0, count, step)
    for radius in args.radius:
        start = time.perf_counter()
        _, _, n = radius_pass(tree, x, y, q, sample, radius, args.workers)
        took = time.perf_counter() - start
        report("radius_%d" % round(radius), build + took * count / len(sample),
               "%d workers, timed on %d points and scaled by %.2f, %.1f neighbours per point"
               % (args.workers, len(sample), count / len(sample), n.mean()))
    if args.nearest > 0:
        start = time.perf_counter()
        nearest_pass(tree, x, y, q, args.nearest, args.workers)
        took = time.perf_counter() - start
        report("nearest_%d_%d" % (args.nearest, round(args.nearest_radius)), build + took,
               "%d workers, every point" % args.workers)


if __name__ == "__main__":
    main()
