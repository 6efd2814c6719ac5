#!/usr/bin/python3
"""Writes the benchmarks' survey (bench/survey/survey_layout.h) as a point file.

Columns x y id q as in examples/sphere_survey.dat, offset into a projected
frame; about 38 MB. Usage: make_survey_text.py OUT.dat
"""
import math
import sys

MASK = (1 << 64) - 1


def split_mix(seed):
    state = seed
    while True:
        state = (state + 0x9E3779B97F4A7C15) & MASK
        z = state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK
        yield z ^ (z >> 31)


def main(path, lines=948, stations=1055, seed=20261208):
    bits = split_mix(seed)
    symmetric = lambda: (next(bits) >> 11) * 2.0**-52 - 1.0
    with open(path, "w") as out:
        out.write("/ benchmark survey: %d lines of %d stations\n" % (lines, stations))
        out.write('"X" "Y" "STATION" "Q"\n')
        for line in range(lines):
            rows = []
            for station in range(stations):
                x = station * 10.0 + symmetric()
                y = line * 100.0 + symmetric()
                anomaly = 35.0 * math.exp(-((x - 5200.0) ** 2 + (y - 41000.0) ** 2) / 2.0e7)
                regional = 0.002 * x - 0.0005 * y + 12.0 * math.sin(y * 2.0e-4)
                q = anomaly + regional + 0.05 * symmetric()
                rows.append("%.2f %.2f %d %.6f" % (502000.0 + x, 6101000.0 + y,
                                                   1000000 + line * stations + station, q))
            out.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
