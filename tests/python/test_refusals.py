"""What the module refuses, with the words the window and the batch tool use, printing nothing."""
import re

import numpy as np
import pytest

import zelvo

EAST = [0.0, 10.0, 0.0, 10.0, 5.0]
NORTH = [0.0, 0.0, 10.0, 10.0, 5.0]
DATA = [1.0, 2.0, 3.0, 4.0, 5.0]

REFUSED = {
    "lengths differ": (([0.0, 1.0], [0.0, 1.0, 2.0]), [1.0, 2.0], 20, {},
                       "must have the same length"),
    "data shorter": ((EAST, NORTH), DATA[:4], 20, {}, "must have the same length"),
    "two-dimensional data": ((EAST, NORTH), [DATA], 20, {}, "one-dimensional"),
    "not a pair": ((EAST,), DATA, 20, {}, "pair"),
    "easting not finite": (([0.0, np.inf, 0.0, 10.0, 5.0], NORTH), DATA, 20, {}, "not finite"),
    "northing not finite": ((EAST, [0.0, 0.0, np.nan, 10.0, 5.0]), DATA, 20, {}, "not finite"),
    "no points": (([], []), [], 20, {}, "Input file contains no valid xyz data"),
    "radius zero": ((EAST, NORTH), DATA, 0.0, {}, "Search radius must be greater than 0."),
    "radius at the bound": ((EAST, NORTH), DATA, 0.000001, {},
                            "Search radius must be greater than 0."),
    "radius not a number": ((EAST, NORTH), DATA, np.nan, {}, "Search radius must be greater than 0."),
    "iterations": ((EAST, NORTH), DATA, 20, {"iterations": 10001},
                   "Number of iteration must be in range 0 .. 10000"),
    "object": ((EAST, NORTH), DATA, 20, {"object": "rga"}, "object takes RGA or LGA, not 'rga'"),
    "center_x": ((EAST, NORTH), DATA, 20, {"center_x": "middle"}, "center_x takes none, area or point"),
    "center_y": ((EAST, NORTH), DATA, 20, {"center_y": ""}, "center_y takes none, area or point"),
    "center_q": ((EAST, NORTH), DATA, 20, {"center_q": "Point"}, "center_q takes none, area or point"),
    "on_singular": ((EAST, NORTH), DATA, 20, {"on_singular": "ask"}, "on_singular takes continue or stop"),
    "nearest zero": ((EAST, NORTH), DATA, 20, {"nearest": 0},
                     "Number of nearest points must be at least 1"),
    "nearest negative": ((EAST, NORTH), DATA, 20, {"nearest": -3},
                         "Number of nearest points must be at least 1"),
    "fewer points than nearest": ((EAST, NORTH), DATA, 20, {"nearest": 5},
                                  "Not enough points for N nearest point search at point 0"),
    "threads": ((EAST, NORTH), DATA, 20, {"threads": 0}, "threads must be at least 1"),
}


@pytest.mark.parametrize("coordinates, data, radius, keywords, message", REFUSED.values(),
                         ids=REFUSED.keys())
def test_gradients_refuse_with_the_system_message(capfd, coordinates, data, radius, keywords,
                                                  message):
    with pytest.raises(ValueError, match=re.escape(message)):
        zelvo.gradients(coordinates, data, radius, **keywords)
    assert capfd.readouterr() == ("", "")


def test_the_same_refusals_hold_for_trace_and_grid():
    with pytest.raises(ValueError, match="Search radius must be greater than 0."):
        zelvo.trace((EAST, NORTH), DATA, -1.0, [0])
    with pytest.raises(ValueError, match="Search radius must be greater than 0."):
        zelvo.grid((EAST, NORTH), DATA, 0.0)
    with pytest.raises(ValueError, match="same length"):
        zelvo.grid((EAST, NORTH[:3]), DATA, 20)
    with pytest.raises(IndexError):
        zelvo.trace((EAST, NORTH), DATA, 20, [5])
    with pytest.raises(IndexError):
        zelvo.trace((EAST, NORTH), DATA, 20, [-1])


def test_a_singular_fit_passes_the_point_over_or_stops():
    # Collinear neighbours leave the plane undetermined at every point.
    east, north, data = [0.0, 1.0, 2.0, 3.0], [0.0, 1.0, 2.0, 3.0], [1.0, 2.0, 3.0, 4.0]
    passed = zelvo.gradients((east, north), data, 10)
    assert not passed["fitted"].any() and np.isnan(passed["hgq"]).all()
    with pytest.raises(ValueError, match=r"^Error in SLE - Check coordinate of point 0\.$"):
        zelvo.gradients((east, north), data, 10, on_singular="stop")


def test_read_points_refusals(tmp_path):
    with pytest.raises(OSError, match="Cannot open input data file: .*missing.dat: No such file"):
        zelvo.read_points(tmp_path / "missing.dat")
    empty = tmp_path / "empty.dat"
    empty.write_text("/ a comment\nLine 100\n")
    with pytest.raises(ValueError, match="Input file contains no valid xyz data"):
        zelvo.read_points(empty)
    with pytest.raises(ValueError, match="columns takes four letters"):
        zelvo.read_points(empty, columns="A,B,C")
    with pytest.raises(ValueError, match="decimal takes"):
        zelvo.read_points(empty, decimal=";")


def test_trace_takes_integer_indices_only():
    with pytest.raises(TypeError, match="point indices"):
        zelvo.trace((EAST, NORTH), DATA, 20, [1.5])
    with pytest.raises(TypeError, match="point indices"):
        zelvo.trace((EAST, NORTH), DATA, 20, "1")
    assert len(zelvo.trace((EAST, NORTH), DATA, 20, [])["index"]) == 0
