"""Ctrl-C and a failing progress callback end a run with nothing returned."""
import os
import signal
import subprocess
import sys
import textwrap

import numpy as np
import pytest

import zelvo

# A run of many passes that only an interrupt ends in time; it says when it
# has started, and how it ended.
LONG_RUN = textwrap.dedent("""
    import sys
    import numpy as np
    import zelvo

    rng = np.random.default_rng(7)
    east, north = rng.uniform(0, 1000, 20000), rng.uniform(0, 1000, 20000)
    def started(fraction):
        if fraction == 0:
            print("running", flush=True)
    result = None
    try:
        result = zelvo.gradients((east, north), np.hypot(east, north), 25, iterations=10000,
                                 object=sys.argv[1], progress=started)
    except KeyboardInterrupt:
        print("interrupted", result is None, flush=True)
""")


# RGA passes run one after the other on the calling thread, LGA passes on
# every core.
@pytest.mark.parametrize("run_object", ["RGA", "LGA"])
def test_ctrl_c_raises_keyboard_interrupt_during_a_long_run(run_object):
    child = subprocess.Popen([sys.executable, "-c", LONG_RUN, run_object], stdout=subprocess.PIPE,
                             text=True, env=dict(os.environ))
    try:
        assert child.stdout.readline() == "running\n"
        child.send_signal(signal.SIGINT)
        out, _ = child.communicate(timeout=60)
    finally:
        child.kill()
    assert out == "interrupted True\n"
    assert child.returncode == 0


def test_an_exception_in_the_progress_callback_ends_the_run():
    seen = []

    def progress(fraction):
        seen.append(fraction)
        if fraction > 0.3:
            raise RuntimeError("enough")

    rng = np.random.default_rng(3)
    east, north = rng.uniform(0, 100, 3000), rng.uniform(0, 100, 3000)
    with pytest.raises(RuntimeError, match="enough"):
        zelvo.gradients((east, north), east + north, 5, iterations=3, progress=progress,
                        threads=1)
    assert seen[0] == 0.0 and 0.3 < seen[-1] < 1.0


def test_progress_rises_to_one(survey):
    seen = []
    zelvo.gradients((survey["easting"], survey["northing"]), survey["quantity"], 60,
                    iterations=1, progress=seen.append)
    assert seen[0] == 0.0 and seen[-1] == 1.0
    assert seen == sorted(seen)
