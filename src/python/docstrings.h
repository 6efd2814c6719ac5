#pragma once

// What help() shows of the module, in the numpydoc layout.
namespace zelvo::docstrings {

inline constexpr const char* kModule = R"(Plane-fit gradients of scattered survey points.

Zelvo fits a least-squares plane to the neighbours of every point -- those
within a search radius, or the N nearest -- and gives the plane's slopes
(the horizontal gradient), its value at the point and the residual, optionally
refined over further passes. The values are the doubles the command-line tool
``zelvo-batch`` computes from a file with the same points.

Functions
---------
read_points
    Read a point file as the batch tool reads it.
gradients
    Per-point gradients, fitted values and residuals.
trace
    The records of every pass at chosen points.
grid
    The node grid the previews and exports draw.
)";

inline constexpr const char* kReadPoints = R"(Read a point file as the batch tool reads it.

Parameters
----------
path : str or os.PathLike
    A text file of whitespace-separated columns. Comment lines (starting
    with ``/``), headers and line markers are skipped.
columns : str, default "A,B,C,D"
    The column letters of easting, northing, point id and quantity.
decimal : {".", ","}, default "."
    The decimal separator of the file.

Returns
-------
dict
    ``easting``, ``northing``, ``point`` and ``quantity``: float64 arrays in
    file order, exactly as the reader takes the numbers; ``lines_skipped``:
    the number of lines not taken as data.

Raises
------
OSError
    The file cannot be opened or read.
ValueError
    No line holds data, or ``columns`` or ``decimal`` is not understood.
)";

inline constexpr const char* kGradients = R"(Per-point plane-fit gradients, fitted values and residuals.

Every point gets the least-squares plane ``q = a x + b y + c`` through its
neighbours. With ``iterations`` > 0 the passes are repeated; under the
``"RGA"`` object the fitted values replace the quantity between passes.

Parameters
----------
coordinates : tuple of array_like
    ``(easting, northing)``: two 1-D arrays of one length.
data : array_like
    The quantity at the points, 1-D, as long as the coordinates.
radius : float
    The search radius, greater than 0.000001, in the units of the
    coordinates. It also sizes the search lattice when ``nearest`` is given.
nearest : int, optional
    Fit over the ``nearest`` nearest points instead of all points within
    ``radius``; at least 1.
iterations : int, default 0
    Passes after the first, 0 to 10000.
object : {"RGA", "LGA"}, default "RGA"
    What the passes after the first refine: ``"RGA"`` fits the fitted values
    of the pass before, ``"LGA"`` the data again.
center_x, center_y : {"point", "area", "none"}, default "point"
    What the coordinates are centred on before the fit: the point of
    calculation, the middle of the survey area, or nothing.
center_q : {"none", "area", "point"}, default "none"
    The same for the quantity.
include_point : bool, default False
    Whether the point of calculation is one of the points of its own fit.
on_singular : {"continue", "stop"}, default "continue"
    A point whose fit is singular is passed over (its ``fitted`` is False
    when that happens in the last pass), or ends the run with ValueError.
threads : int, optional
    Threads for the passes; None uses every core.
progress : callable, optional
    Called with the fraction done, 0 to 1, from the calling thread. An
    exception it raises ends the run and is raised again.
trace : array_like of int, optional
    Indices of points whose every pass is recorded; the records are
    returned under the key ``"trace"`` (see :func:`trace`).

Returns
-------
dict of numpy.ndarray
    ``hgqx``, ``hgqy``: the gradient along easting and northing; ``hgq``:
    its magnitude; ``Rq``: the fitted value at the point; ``rq``: data minus
    ``Rq``; ``npoints``: the points of the fit (float64 each, NaN where not
    fitted); ``fitted``: bool, False where the last pass passed the point
    over.

Raises
------
ValueError
    Arrays of different lengths or dimensions, coordinates or data not
    finite, a radius not above 0.000001, an unknown option word, ``nearest``
    < 1, fewer than ``nearest`` points to fit at a point, or a singular fit
    under ``on_singular="stop"``.
IndexError
    A ``trace`` index outside the points.
MemoryError
    The search lattice for this radius does not fit in memory.
KeyboardInterrupt
    Ctrl-C during the run; nothing is returned.

Notes
-----
The run releases the GIL. Messages name a point by its index.

Examples
--------
>>> import numpy as np, zelvo
>>> x, y = np.meshgrid(np.arange(10.0), np.arange(10.0))
>>> q = 2 * x.ravel() - y.ravel()
>>> g = zelvo.gradients((x.ravel(), y.ravel()), q, radius=1.5)
>>> float(g["hgqx"][55]), float(g["hgqy"][55])
(2.0, -1.0)
)";

inline constexpr const char* kTrace = R"(The records of every pass at chosen points.

Takes the arguments of :func:`gradients` and the indices of the points to
trace.

Parameters
----------
coordinates, data, radius
    As for :func:`gradients`.
points : array_like of int
    Indices of the points to trace.
**options
    Any keyword of :func:`gradients` but ``trace``.

Returns
-------
dict of numpy.ndarray
    One entry per fitted traced point and pass, pass by pass, in point
    order within a pass: ``index`` and ``pass`` (int64), ``hgqx``,
    ``hgqy``, ``hgq``, ``Rq``, ``rq`` and ``npoints`` (float64).

Raises
------
As :func:`gradients`.
)";

inline constexpr const char* kGrid = R"(The node grid that the previews and exports draw.

Values at scattered points are estimated at the nodes of a lattice with a
tenth of ``radius`` between nodes, by inverse distance from the points within
``radius`` of each node, those reached within ``grid_radius``.

Parameters
----------
coordinates : tuple of array_like
    ``(easting, northing)``: two 1-D arrays of one length.
values : array_like
    The values at the points, such as the ``hgq`` of :func:`gradients`.
    Points whose value is NaN (not fitted) are left out.
radius : float
    The search radius of the run, greater than 0.000001.
grid_radius : float, optional
    The gridding radius; None, or a value not above 0.000001, is ``radius``.
as_xarray : bool, default False
    Return an ``xarray.DataArray`` (xarray must be installed).

Returns
-------
dict or xarray.DataArray
    ``values``: float32, shape (northing, easting), the northernmost row
    first, NaN at nodes with no point in reach; ``easting`` (ascending) and
    ``northing`` (descending): the node coordinates, float64. As a
    DataArray: the values with dimensions ``northing`` and ``easting``.

Raises
------
ValueError
    As for the arrays and radius of :func:`gradients`.
MemoryError
    The lattice does not fit in memory.
KeyboardInterrupt
    Ctrl-C during the gridding.
)";

}  // namespace zelvo::docstrings
