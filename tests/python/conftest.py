"""What the tests of the Python module share: the shipped survey and the batch tool."""
import os
import pathlib

import pytest

import zelvo

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"
SURVEY = EXAMPLES / "sphere_survey.dat"
TRACE_SUBSET = EXAMPLES / "sphere_trace_subset.dat"


@pytest.fixture(scope="session")
def survey():
    return zelvo.read_points(SURVEY)


@pytest.fixture(scope="session")
def batch_program():
    program = os.environ.get("ZELVO_BATCH")
    if not program:
        pytest.fail("ZELVO_BATCH names no zelvo-batch program")
    return program
