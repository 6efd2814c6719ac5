"""Lists, pandas Series, other dtypes and the reader's own arrays give the same values."""
import numpy as np
import pytest

import zelvo
from conftest import SURVEY


@pytest.fixture(scope="module")
def reference(survey):
    return zelvo.gradients((survey["easting"], survey["northing"]), survey["quantity"], 60,
                           nearest=10)


ARRAY_LIKES = {
    "lists": lambda a: a.tolist(),
    "tuples": lambda a: tuple(a.tolist()),
    "pandas Series": lambda a: pytest.importorskip("pandas").Series(a, index=np.arange(len(a))[::-1]),
    "strided views": lambda a: np.repeat(a, 2)[::2],
    "big-endian": lambda a: a.astype(">f8"),
}


@pytest.mark.parametrize("convert", ARRAY_LIKES.values(), ids=ARRAY_LIKES.keys())
def test_array_likes_give_the_values_of_float64_arrays(survey, reference, convert):
    result = zelvo.gradients((convert(survey["easting"]), convert(survey["northing"])),
                             convert(survey["quantity"]), 60, nearest=10)
    for name in reference:
        assert result[name].tobytes() == reference[name].tobytes(), name


def test_results_are_float64_and_bool_arrays(reference, survey):
    n = len(survey["easting"])
    for name in ("hgqx", "hgqy", "hgq", "Rq", "rq", "npoints"):
        assert reference[name].dtype == np.float64 and reference[name].shape == (n,)
    assert reference["fitted"].dtype == np.bool_


def test_integer_coordinates_are_taken_as_doubles():
    east, north = np.meshgrid(np.arange(10), np.arange(10))
    result = zelvo.gradients((east.ravel(), north.ravel()), 2 * east.ravel() - north.ravel(), 1.5)
    assert result["hgqx"][55] == pytest.approx(2.0) and result["hgqy"][55] == pytest.approx(-1.0)


def test_negative_coordinates_keep_their_gradients():
    east, north = np.meshgrid(np.arange(-5.0, 5.0), np.arange(-5.0, 5.0))
    data = 0.5 * east.ravel() + 3.0 * north.ravel()
    result = zelvo.gradients((east.ravel(), north.ravel()), data, 1.5)
    np.testing.assert_allclose(result["hgqx"], 0.5, atol=1e-12)
    np.testing.assert_allclose(result["hgqy"], 3.0, atol=1e-12)
    np.testing.assert_allclose(result["rq"], 0.0, atol=1e-12)


def test_read_points_takes_columns_and_decimal_commas(tmp_path):
    path = tmp_path / "points.dat"
    path.write_text("/ header\n1,5 7 100 2,25\n-3 4,75 101 8\nLINE 2\n")
    points = zelvo.read_points(path, columns="D,A,C,B", decimal=",")
    assert points["easting"].tolist() == [2.25, 8.0]
    assert points["northing"].tolist() == [1.5, -3.0]
    assert points["point"].tolist() == [100.0, 101.0]
    assert points["quantity"].tolist() == [7.0, 4.75]
    assert points["lines_skipped"] == 2


def test_read_points_counts_the_survey(survey):
    assert len(survey["easting"]) == 21 * 201
    assert survey["lines_skipped"] == 3 + 21
    assert survey["point"][0] == 1000 and survey["easting"][0] == 502000.03


class TestGrid:
    def test_north_up_with_node_coordinates(self):
        east = np.array([0.0, 100.0, 0.0, 100.0])
        north = np.array([0.0, 0.0, 50.0, 50.0])
        grid = zelvo.grid((east, north), north, 20)
        values, easting, northing = grid["values"], grid["easting"], grid["northing"]
        assert values.dtype == np.float32 and values.shape == (len(northing), len(easting))
        assert easting[0] == 0.0 and np.all(np.diff(easting) > 0)
        assert northing[-1] == 0.0 and np.all(np.diff(northing) < 0)
        # The northern points' value on the first row, the southern ones' on the last.
        assert values[0, 0] == 50.0 and values[-1, 0] == 0.0
        # Midway between the points nothing lies within the search radius.
        assert np.isnan(values[len(northing) // 2, len(easting) // 2])

    def test_grid_radius_reaches_further(self, survey):
        coordinates = (survey["easting"], survey["northing"])
        near = zelvo.grid(coordinates, survey["quantity"], 60, grid_radius=6)
        far = zelvo.grid(coordinates, survey["quantity"], 60)
        assert np.isnan(near["values"]).sum() > np.isnan(far["values"]).sum()
        tiny = zelvo.grid(coordinates, survey["quantity"], 60, grid_radius=0)
        np.testing.assert_array_equal(tiny["values"], far["values"])

    def test_points_without_a_value_are_left_out(self, survey):
        east, north, data = survey["easting"], survey["northing"], survey["quantity"].copy()
        data[::7] = np.nan
        kept = ~np.isnan(data)
        with_gaps = zelvo.grid((east, north), data, 60)
        without = zelvo.grid((east[kept], north[kept]), data[kept], 60)
        for name in ("values", "easting", "northing"):
            np.testing.assert_array_equal(with_gaps[name], without[name])

    def test_as_xarray(self, survey):
        xarray = pytest.importorskip("xarray")
        array = zelvo.grid((survey["easting"], survey["northing"]), survey["quantity"], 60,
                           as_xarray=True)
        assert isinstance(array, xarray.DataArray)
        assert array.dims == ("northing", "easting")
        assert float(array.easting[0]) == pytest.approx(survey["easting"].min())
        assert float(array.northing[-1]) == pytest.approx(survey["northing"].min())


def test_the_docstring_examples_run():
    import doctest
    results = doctest.testmod(zelvo)
    assert results.attempted > 0 and results.failed == 0
