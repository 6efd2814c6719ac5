#!/usr/bin/env python3
"""Writes sphere_survey.dat: a synthetic gravity survey over a buried sphere.

21 east-west lines 50 m apart, a station every 10 m (slightly off the ideal
positions, as stations are in the field), 2000 m x 1000 m. Column D is the
vertical attraction of the sphere in microGal; columns F and G carry its exact
horizontal gradient (microGal/m) along x and y, so that a run can be checked
against the physics. Run it again to reproduce the file byte for byte.
"""
import math
import random

G = 6.674e-11            # m^3 kg^-1 s^-2
SI_TO_UGAL = 1e8
CENTRE = (1030.0, 480.0)  # m, in the survey frame
DEPTH = 300.0             # m, to the sphere's centre
RADIUS = 150.0            # m
CONTRAST = 500.0          # kg/m^3
MASS = 4.0 / 3.0 * math.pi * RADIUS ** 3 * CONTRAST
ORIGIN = (502000.0, 6101000.0)  # UTM-like easting and northing of the frame


def attraction(x, y):
    dx, dy = x - CENTRE[0], y - CENTRE[1]
    r = math.sqrt(dx * dx + dy * dy + DEPTH * DEPTH)
    g = G * MASS * DEPTH / r ** 3 * SI_TO_UGAL
    common = -3.0 * G * MASS * DEPTH / r ** 5 * SI_TO_UGAL
    return g, common * dx, common * dy


def main():
    rng = random.Random(20261208)
    lines = ["/ Synthetic gravity survey over a buried sphere (see make_sphere_survey.py)",
             "/ sphere: depth %.0f m, radius %.0f m, density contrast %.0f kg/m3" % (DEPTH, RADIUS, CONTRAST),
             '"X" "Y" "STATION" "GRAV_UGAL" "ELEV_M" "DGDX" "DGDY"']
    station = 1000
    for line in range(21):
        lines.append("Line %d" % (100 + line * 10))
        for k in range(201):
            x = k * 10.0 + rng.uniform(-1.5, 1.5)
            y = line * 50.0 + rng.uniform(-2.0, 2.0)
            g, gx, gy = attraction(x, y)
            elevation = 212.0 + 0.004 * x - 0.002 * y
            lines.append("%.2f %.2f %d %.6f %.2f %.9f %.9f" % (
                ORIGIN[0] + x, ORIGIN[1] + y, station, g, elevation, gx, gy))
            station += 1
    with open("sphere_survey.dat", "w", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
