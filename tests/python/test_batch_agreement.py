"""The module gives the doubles that zelvo-batch writes, bit for bit."""
import subprocess

import numpy as np
import pytest

import zelvo
from conftest import SURVEY, TRACE_SUBSET

# Each case: the module's keywords and the batch tool's options for the same run.
RUNS = {
    "radius, RGA passes": (dict(iterations=3), ["--iterations", "3"]),
    "nearest, RGA passes": (dict(nearest=12, iterations=2), ["--nearest", "12", "--iterations", "2"]),
    "nearest, LGA, centred on the area": (
        dict(nearest=8, iterations=2, object="LGA", center_x="area", center_y="area",
             center_q="area", include_point=True),
        ["--nearest", "8", "--iterations", "2", "--object", "LGA", "--center-x", "area",
         "--center-y", "area", "--center-q", "area", "--include-point"]),
}
COLUMNS = {"hgqx": "hgqx", "hgqy": "hgqy", "hgq": "hgq", "Rq": "Rq_fit", "rq": "rq",
           "npoints": "npoints"}


def run_batch(program, options, folder):
    points = folder / "points.csv"
    subprocess.run([program, "--quiet", "--radius", "60", "--subset", str(TRACE_SUBSET),
                    "--points-out", str(points), *options, str(SURVEY), str(folder / "out.dat")],
                   check=True, capture_output=True)
    records = np.genfromtxt(points, delimiter=",", names=True, dtype=np.float64)
    trace_lines = (folder / "out_trace_out.xyz").read_text().splitlines()[2:]
    return records, trace_lines


def trace_line(point, record):
    values = "".join(" %10.6f" % record[name] for name in ("hgqx", "hgqy", "hgq", "Rq", "rq"))
    return "%10.3f %10d%s %10.0f" % (point, record["pass"], values, record["npoints"])


@pytest.mark.parametrize("keywords, options", RUNS.values(), ids=RUNS.keys())
def test_values_and_trace_match_the_batch_tool(survey, batch_program, tmp_path, keywords, options):
    records, batch_trace = run_batch(batch_program, options, tmp_path)
    stations = survey["point"]
    traced = [int(np.flatnonzero(stations == station)[0]) for station in (2120, 2130, 1050)]
    result = zelvo.gradients((survey["easting"], survey["northing"]), survey["quantity"], 60,
                             trace=traced, **keywords)
    assert result["fitted"].all() and len(records) == len(stations)
    for name, column in COLUMNS.items():
        assert result[name].view(np.uint64).tolist() == records[column].view(np.uint64).tolist(), name
    trace = result["trace"]
    lines = [trace_line(stations[index], {name: trace[name][k] for name in trace})
             for k, index in enumerate(trace["index"])]
    assert lines == batch_trace


def test_trace_alone_gives_the_records_of_gradients(survey):
    coordinates = (survey["easting"], survey["northing"])
    alone = zelvo.trace(coordinates, survey["quantity"], 60, [7, 3], iterations=2)
    within = zelvo.gradients(coordinates, survey["quantity"], 60, iterations=2, trace=[3, 7])
    assert alone["index"].tolist() == [3, 7, 3, 7, 3, 7]
    assert alone["pass"].tolist() == [0, 0, 1, 1, 2, 2]
    for name in alone:
        np.testing.assert_array_equal(alone[name], within["trace"][name])
    last = alone["pass"] == 2
    np.testing.assert_array_equal(alone["hgq"][last], within["hgq"][[3, 7]])


@pytest.mark.parametrize("keywords", [dict(iterations=1), dict(nearest=9, object="LGA")],
                         ids=["RGA", "LGA"])
def test_threads_change_no_value(survey, keywords):
    coordinates = (survey["easting"], survey["northing"])
    def run(threads):
        result = zelvo.gradients(coordinates, survey["quantity"], 60, threads=threads,
                                 trace=[4, 9], **keywords)
        trace = result.pop("trace")
        return {**result, **{"trace " + name: values for name, values in trace.items()}}

    one, three = run(1), run(3)
    assert one.keys() == three.keys()
    for name in one:
        assert one[name].tobytes() == three[name].tobytes(), name
