#include <gtest/gtest.h>

#include <cmath>
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

TEST(SearchCluster, RefusesLatticesBeyondTheBudgetOrA32BitCount) {
  const std::vector<double> x{0, 1e6}, y{0, 1e6};
  SearchCluster cluster;
  EXPECT_EQ(kLatticeTooLarge, cluster.Build(x.data(), y.data(), 2, 1.0, 0, 1e6, 0, 1e6, kPlenty))
      << "10^12 cells do not fit a 32-bit count";
  EXPECT_TRUE(cluster.Empty());
  EXPECT_EQ(kLatticeTooLarge, cluster.Build(x.data(), y.data(), 2, 100.0, 0, 1e6, 0, 1e6, 1000))
      << "10^8 cells exceed a budget of 1000 bytes";
  EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), 2, 100.0, 0, 1e6, 0, 1e6, kPlenty));
  EXPECT_EQ(cluster.nx, 10001);
  cluster.Release();
  cluster.Release();
  EXPECT_TRUE(cluster.Empty());
}

TEST(SearchCluster, RefusesPointsOutsideTheExtentItIsLaidFor) {
  SearchCluster cluster;
  for (const double outside : {-0.6, 10.6, 1e300, -1e300, std::nan("")}) {
    const std::vector<double> x{0, 10, outside}, y{0, 10, 5};
    EXPECT_EQ(kPointOutsideLattice, cluster.Build(x.data(), y.data(), 3, 1.0, 0, 10, 0, 10, kPlenty))
        << outside;
    EXPECT_TRUE(cluster.Empty());
    EXPECT_EQ(kPointOutsideLattice, cluster.Build(y.data(), x.data(), 3, 1.0, 0, 10, 0, 10, kPlenty))
        << outside << " as y";
  }
  // Within half a cell of the extent a point still has its nearest node.
  const std::vector<double> x{-0.4, 10.4}, y{0, 10};
  EXPECT_EQ(kLatticeBuilt, cluster.Build(x.data(), y.data(), 2, 1.0, 0, 10, 0, 10, kPlenty));
}

}  // namespace
}  // namespace zelvo
