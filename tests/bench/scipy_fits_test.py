"""The scipy peer's fits against plain least squares over each neighbourhood."""

import os
import sys

import numpy as np
import pytest
from scipy.spatial import cKDTree

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "bench", "peers"))
import scipy_fits  # noqa: E402


@pytest.fixture
def survey():
    rng = np.random.default_rng(5)
    x = rng.uniform(0, 400, 600)
    y = rng.uniform(0, 300, 600)
    q = 0.03 * x - 0.02 * y + np.sin(x / 50) + rng.normal(0, 0.1, 600)
    return x, y, q, cKDTree(np.column_stack([x, y]))


def least_squares(x, y, q, k, chosen):
    """Gradient at point k over the chosen points, centred to point k."""
    design = np.column_stack([x[chosen] - x[k], y[chosen] - y[k], np.ones(len(chosen))])
    solution, *_ = np.linalg.lstsq(design, q[chosen] - q[k], rcond=None)
    return solution[:2]


def test_radius_pass_fits_the_neighbours_within_r_without_the_point(survey):
    x, y, q, tree = survey
    points = np.arange(0, 600, 7)
    a, b, n = scipy_fits.radius_pass(tree, x, y, q, points, 60.0, 1)
    for m, k in enumerate(points):
        distance = np.hypot(x - x[k], y - y[k])
        chosen = np.flatnonzero((distance <= 60.0) & (distance >= scipy_fits.SELF_DISTANCE))
        assert n[m] == len(chosen)
        np.testing.assert_allclose([a[m], b[m]], least_squares(x, y, q, k, chosen),
                                   rtol=1e-9, atol=1e-12)


def test_nearest_pass_fits_the_n_nearest_other_points(survey):
    x, y, q, tree = survey
    a, b, n = scipy_fits.nearest_pass(tree, x, y, q, 10, 1)
    assert np.all(n == 10)
    for k in range(0, 600, 11):
        distance = np.hypot(x - x[k], y - y[k])
        distance[k] = np.inf
        chosen = np.argsort(distance)[:10]
        np.testing.assert_allclose([a[k], b[k]], least_squares(x, y, q, k, chosen),
                                   rtol=1e-9, atol=1e-12)


def test_too_few_neighbours_leave_no_gradient(survey):
    x, y, q, tree = survey
    a, b, n = scipy_fits.radius_pass(tree, x, y, q, np.arange(5), 1e-3, 1)
    assert np.all(n == 0) and np.all(np.isnan(a)) and np.all(np.isnan(b))
