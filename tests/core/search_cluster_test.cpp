#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "core/search_cluster.h"

namespace zelvo {
namespace {

constexpr std::uint64_t kPlenty = std::uint64_t{1} << 30;

std::vector<int> CellList(const SearchCluster& cluster, int i, int j) {
  return std::vector<int>(cluster.CellBegin(i, j), cluster.CellEnd(i, j));
}

SearchCluster Build(const std::vector<double>& x, const std::vector<double>& y, double s) {
  SearchCluster cluster;
  const auto [xmin, xmax] = std::minmax_element(x.begin(), x.end());
  const auto [ymin, ymax] = std::minmax_element(y.begin(), y.end());
  EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), static_cast<int>(x.size()), s, *xmin, *xmax,
                            *ymin, *ymax, kPlenty));
  return cluster;
}

TEST(SearchCluster, LatticeSizeAndMembershipAtTheHalfCells) {
  const SearchCluster one = Build({3, 3, 3}, {4, 4, 4}, 0.5);
  EXPECT_EQ(one.nx, 1);
  EXPECT_EQ(one.ny, 1);
  EXPECT_EQ(CellList(one, 0, 0), (std::vector<int>{0, 1, 2}));

  const SearchCluster three = Build({0, 2.4}, {0, 0}, 1.0);
  EXPECT_EQ(three.nx, 3);
  EXPECT_EQ(CellList(three, 2, 0), std::vector<int>{1});
  const SearchCluster four = Build({0, 2.6}, {0, 0}, 1.0);
  EXPECT_EQ(four.nx, 4);
  EXPECT_EQ(CellList(four, 3, 0), std::vector<int>{1});

  // Exactly half a cell above a node belongs to the next cell.
  const SearchCluster half = Build({0, 1.5, 0.25}, {0, 0, 0}, 1.0);
  EXPECT_EQ(CellList(half, 2, 0), std::vector<int>{1});
  EXPECT_EQ(CellList(half, 0, 0), (std::vector<int>{0, 2}));

  // Indices ascend within a cell whatever the values; every point is listed once.
  const SearchCluster shared = Build({5, 5.1, 4.9, 9}, {0, 0.2, 0.1, 7}, 1.0);
  EXPECT_EQ(CellList(shared, 0, 0), (std::vector<int>{0, 1, 2}));
  int listed = 0;
  for (int i = 0; i < shared.nx; ++i) {
    for (int j = 0; j < shared.ny; ++j) listed += static_cast<int>(CellList(shared, i, j).size());
  }
  EXPECT_EQ(listed, 4);
}

TEST(SearchCluster, CellWindowIsClippedAndHalfOpen) {
  std::vector<double> x{0, 100}, y{0, 100};
  const SearchCluster cluster = Build(x, y, 1.0);
  ASSERT_EQ(cluster.nx, 101);
  const CellRange corner = cluster.CellWindow(0, 0, 10);
  EXPECT_EQ(corner.iLo, 0);
  EXPECT_EQ(corner.jLo, 0);
  const CellRange far = cluster.CellWindow(100, 100, 10);
  EXPECT_EQ(far.iHi, 101);
  EXPECT_EQ(far.jHi, 101);
  // In the middle: 21 cells, or 20 when the upper bound is a whole number.
  const CellRange middle = cluster.CellWindow(50.2, 50.2, 10);
  EXPECT_EQ(middle.iHi - middle.iLo, 21);
  const CellRange whole = cluster.CellWindow(49.5, 50.2, 10);
  EXPECT_EQ(whole.iHi - whole.iLo, 20);
  EXPECT_EQ(whole.iHi, 60) << "the column that starts exactly at x0 + r is left out";
  const CellRange huge = cluster.CellWindow(50, 50, 1e300);
  EXPECT_EQ(huge.iLo, 0);
  EXPECT_EQ(huge.iHi, 101);
}

// CellWindow as plainly written, one bound at a time.
CellRange PlainCellWindow(const SearchCluster& c, double x0, double y0, double r) {
  const auto clamped = [](double bound, int limit) {
    if (!(bound > 0.0)) return 0;
    if (bound >= limit) return limit;
    return static_cast<int>(bound);
  };
  const double half = c.s * 0.5;
  return CellRange{clamped(std::floor((x0 - r - c.xmin + half) / c.s), c.nx),
                   clamped(std::ceil((x0 + r - c.xmin + half) / c.s), c.nx),
                   clamped(std::floor((y0 - r - c.ymin + half) / c.s), c.ny),
                   clamped(std::ceil((y0 + r - c.ymin + half) / c.s), c.ny)};
}

TEST(SearchCluster, WindowsAndCellsAreThePlainBoundsAnywhere) {
  // Cells of a width that is no power of two and an origin off zero, so that
  // the bounds round; centres on and beside the half cells; radii from zero
  // to beyond the lattice; and centres that are not numbers.
  std::vector<double> x{-13.7, 912.3}, y{4.1, 377.9};
  const SearchCluster cluster = Build(x, y, 0.37);
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> along(-50.0, 1000.0);
  std::uniform_int_distribution<int> cell(-10, 2600);
  const double radii[] = {0.0, 1e-9, 0.37, 0.185, 3.7, 10.0, 123.456, 5e3, 1e300,
                          std::numeric_limits<double>::infinity()};
  for (int trial = 0; trial < 20000; ++trial) {
    double x0 = along(random), y0 = along(random) * 0.4;
    if (trial % 3 == 0) x0 = cluster.xmin + (cell(random) + 0.5) * cluster.s;  // on a half cell
    if (trial % 5 == 0) y0 = cluster.ymin + cell(random) * cluster.s;
    if (trial % 997 == 0) x0 = std::nan("");
    if (trial % 991 == 0) y0 = -std::numeric_limits<double>::infinity();
    const double r = radii[trial % std::size(radii)];
    const CellRange fast = cluster.CellWindow(x0, y0, r);
    const CellRange plain = PlainCellWindow(cluster, x0, y0, r);
    ASSERT_EQ(std::tie(fast.iLo, fast.iHi, fast.jLo, fast.jHi),
              std::tie(plain.iLo, plain.iHi, plain.jLo, plain.jHi))
        << "at " << x0 << ", " << y0 << " r " << r;
    // The cell of a point, below the lattice's origin as well as on it.
    if (std::isfinite(x0) && std::isfinite(y0)) {
      ASSERT_EQ(cluster.CellColumn(x0),
                static_cast<int>(std::floor((x0 - cluster.xmin + cluster.s * 0.5) / cluster.s)))
          << "x " << x0;
      ASSERT_EQ(cluster.CellRow(y0),
                static_cast<int>(std::floor((y0 - cluster.ymin + cluster.s * 0.5) / cluster.s)))
          << "y " << y0;
    }
  }
}

TEST(SearchCluster, RefusesLatticesBeyondTheBudgetOrA32BitCount) {
  const std::vector<double> x{0, 1e6}, y{0, 1e6};
  SearchCluster cluster;
  EXPECT_EQ(kLatticeTooLarge, cluster.Build(x.data(), y.data(), 2, 1.0, 0, 1e6, 0, 1e6, kPlenty))
      << "10^12 cells do not fit a 32-bit count";
  EXPECT_TRUE(cluster.Empty());
  EXPECT_EQ(kLatticeTooLarge, cluster.Build(x.data(), y.data(), 2, 100.0, 0, 1e6, 0, 1e6, 1000,
                                            LatticeLayout::kDense))
      << "10^8 cells exceed a budget of 1000 bytes";
  EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), 2, 100.0, 0, 1e6, 0, 1e6, 1000));
  EXPECT_TRUE(cluster.Sparse()) << "two points keep two cells, not 10^8";
  EXPECT_EQ(kLatticeTooLarge, cluster.Build(x.data(), y.data(), 2, 100.0, 0, 1e6, 0, 1e6, 20))
      << "even the occupied cells exceed 20 bytes";
  EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), 2, 100.0, 0, 1e6, 0, 1e6, kPlenty));
  EXPECT_EQ(cluster.nx, 10001);
  cluster.Release();
  cluster.Release();
  EXPECT_TRUE(cluster.Empty());
}

TEST(SearchCluster, RefusesPointsOutsideTheExtentItIsLaidFor) {
  SearchCluster cluster;
  // Points are keyed several at a time: the one outside sits at every place
  // of a block and of the rest after the blocks.
  for (const double outside : {-0.6, 10.6, 1e300, -1e300, std::nan("")}) {
    for (int at = 0; at < 7; ++at) {
      std::vector<double> x{0, 10, 3, 4, 5, 6, 7}, y{0, 10, 5, 5, 5, 5, 5};
      x[at] = outside;
      EXPECT_EQ(kPointOutsideLattice, cluster.Build(x.data(), y.data(), 7, 1.0, 0, 10, 0, 10, kPlenty))
          << outside << " at " << at;
      EXPECT_TRUE(cluster.Empty());
      EXPECT_EQ(kPointOutsideLattice, cluster.Build(y.data(), x.data(), 7, 1.0, 0, 10, 0, 10, kPlenty))
          << outside << " as y at " << at;
    }
  }
  // Within half a cell of the extent a point still has its nearest node.
  const std::vector<double> x{-0.4, 10.4}, y{0, 10};
  EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), 2, 1.0, 0, 10, 0, 10, kPlenty));
}

struct Points {
  std::vector<double> x, y;
  double s = 1.0;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

Points WithExtent(std::vector<double> x, std::vector<double> y, double s) {
  Points p{std::move(x), std::move(y), s};
  p.xmin = *std::min_element(p.x.begin(), p.x.end());
  p.xmax = *std::max_element(p.x.begin(), p.x.end());
  p.ymin = *std::min_element(p.y.begin(), p.y.end());
  p.ymax = *std::max_element(p.y.begin(), p.y.end());
  return p;
}

SearchCluster Laid(const Points& p, LatticeLayout layout) {
  SearchCluster cluster;
  EXPECT_EQ(kLatticeBuilt, cluster.Build(p.x.data(), p.y.data(), static_cast<int>(p.x.size()), p.s,
                                         p.xmin, p.xmax, p.ymin, p.ymax, kPlenty, layout));
  return cluster;
}

std::vector<int> Visits(const SearchCluster& cluster, const CellRange& window) {
  std::vector<int> visits;
  cluster.ForEachInWindow(window, [&](int k) { visits.push_back(k); });
  return visits;
}

// The visiting order from its definition: i, then j, then the point's index.
std::vector<int> VisitsByDefinition(const SearchCluster& cluster, const Points& p,
                                    const CellRange& w) {
  std::vector<std::tuple<int, int, int>> cells;
  for (int k = 0; k < static_cast<int>(p.x.size()); ++k) {
    const int i = cluster.CellColumn(p.x[k]);
    const int j = cluster.CellRow(p.y[k]);
    if (i >= w.iLo && i < w.iHi && j >= w.jLo && j < w.jHi) cells.emplace_back(i, j, k);
  }
  std::sort(cells.begin(), cells.end());
  std::vector<int> visits;
  for (const auto& cell : cells) visits.push_back(std::get<2>(cell));
  return visits;
}

// Windows of every size about every point, and some reaching past the lattice.
void ExpectSameVisits(const Points& p, const SearchCluster& cluster, const SearchCluster* other) {
  std::vector<double> radii{0.0, p.s * 0.5, p.s * 2.0, p.s * 7.3, 1e300};
  for (std::size_t k = 0; k < p.x.size(); k += 1 + p.x.size() / 40) {
    for (const double r : radii) {
      const CellRange w = cluster.CellWindow(p.x[k], p.y[k], r);
      const std::vector<int> visits = Visits(cluster, w);
      EXPECT_EQ(visits, VisitsByDefinition(cluster, p, w)) << "point " << k << " r " << r;
      if (other != nullptr) {
        EXPECT_EQ(visits, Visits(*other, w)) << "point " << k << " r " << r;
      }
    }
  }
  const std::vector<std::int32_t> order(cluster.LatticeOrder(),
                                        cluster.LatticeOrder() + cluster.LatticeOrderSize());
  EXPECT_EQ(order, Visits(cluster, CellRange{0, cluster.nx, 0, cluster.ny}));
}

void ExpectLayoutsAgree(const Points& p) {
  const SearchCluster dense = Laid(p, LatticeLayout::kDense);
  const SearchCluster sparse = Laid(p, LatticeLayout::kSparse);
  ASSERT_TRUE(sparse.Sparse());
  ASSERT_FALSE(dense.Sparse());
  ExpectSameVisits(p, dense, &sparse);
  // Every run of every column, as offsets into the order both keep.
  for (int i = 0; i < dense.nx; ++i) {
    for (int j = 0; j <= dense.ny; ++j) {
      ASSERT_EQ(dense.ColumnRunBegin(i, j) - dense.LatticeOrder(),
                sparse.ColumnRunBegin(i, j) - sparse.LatticeOrder()) << i << " " << j;
    }
  }
  // The runs of a stretch of columns at once, written every third place.
  const int rows[][2] = {{0, dense.ny}, {dense.ny / 3, dense.ny / 3 + 1}, {1, dense.ny}};
  for (const SearchCluster* cluster : {&dense, &sparse}) {
    for (const auto& [jLo, jHi] : rows) {
      const int iLo = dense.nx / 4;
      std::vector<std::int64_t> begin(3 * dense.nx, -1), end(3 * dense.nx, -1);
      cluster->ColumnRuns(iLo, dense.nx, jLo, jHi, begin.data(), end.data(), 3);
      for (int i = iLo; i < dense.nx; ++i) {
        const std::size_t at = 3 * static_cast<std::size_t>(i - iLo);
        EXPECT_EQ(begin[at], cluster->ColumnRunBegin(i, jLo) - cluster->LatticeOrder()) << i;
        EXPECT_EQ(end[at], cluster->ColumnRunEnd(i, jHi) - cluster->LatticeOrder()) << i;
        EXPECT_EQ(begin[at + 1], -1) << "written beyond its place";
      }
    }
  }
}

TEST(SearchCluster, SparseAndDenseLayoutsVisitAlike) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  {
    // Two groups with empty columns between them and duplicated points.
    std::vector<double> x, y;
    for (int k = 0; k < 300; ++k) {
      const double shift = (k % 2) * 80.0;
      x.push_back(shift + unit(random) * 10.0);
      y.push_back(unit(random) * 30.0 - shift * 0.5);
      if (k % 17 == 0) {
        x.push_back(x.back());
        y.push_back(y.back());
      }
    }
    ExpectLayoutsAgree(WithExtent(x, y, 1.3));
  }
  ExpectLayoutsAgree(WithExtent({4.25}, {-3.5}, 2.0));
  {
    // On the borders between cells, which belong to the upper cell.
    std::vector<double> x, y;
    for (int i = 0; i < 12; ++i) {
      for (int j = 0; j < 9; ++j) {
        x.push_back(i * 0.5);
        y.push_back(j * 1.5 + 0.25 * (i % 2));
      }
    }
    ExpectLayoutsAgree(WithExtent(x, y, 1.0));
  }
  {
    // A single row and a single column.
    std::vector<double> x, y;
    for (int k = 0; k < 50; ++k) {
      x.push_back(unit(random) * 100.0);
      y.push_back(3.0);
    }
    ExpectLayoutsAgree(WithExtent(x, y, 4.0));
    ExpectLayoutsAgree(WithExtent(y, x, 4.0));
  }
}

TEST(SearchCluster, AThousandPointsOverAThousandKilometresKeepOnlyTheirCells) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> spread(0.0, 1.0e6);
  std::vector<double> x, y;
  for (int k = 0; k < 1000; ++k) {
    x.push_back(spread(random));
    y.push_back(spread(random));
  }
  x.push_back(x[5]);  // a duplicate shares its cell
  y.push_back(y[5]);
  const Points p = WithExtent(x, y, 22.0);
  // About 2 * 10^9 cells would take 8 GB as offsets; a budget of 1 MB refuses that.
  SearchCluster cluster;
  ASSERT_EQ(kLatticeBuilt, cluster.Build(p.x.data(), p.y.data(), static_cast<int>(p.x.size()), p.s,
                                         p.xmin, p.xmax, p.ymin, p.ymax, 1 << 20));
  EXPECT_TRUE(cluster.Sparse());
  EXPECT_GT(static_cast<double>(cluster.nx) * cluster.ny, 1.9e9);
  ExpectSameVisits(p, cluster, nullptr);
  EXPECT_EQ(Visits(cluster, cluster.CellWindow(x[5], y[5], 0.0)), (std::vector<int>{5, 1000}));
}

TEST(SearchCluster, TheChosenLayoutFollowsTheCellsPerPoint) {
  const Points crowded = WithExtent({0, 10, 3, 7}, {0, 10, 2, 9}, 0.5);
  EXPECT_FALSE(Laid(crowded, LatticeLayout::kChosen).Sparse());
  const Points spread = WithExtent({0, 1e4, 3, 7}, {0, 1e4, 2, 9}, 0.5);
  const SearchCluster sparse = Laid(spread, LatticeLayout::kChosen);
  EXPECT_TRUE(sparse.Sparse());
  ExpectSameVisits(spread, sparse, nullptr);
}

}  // namespace
}  // namespace zelvo
