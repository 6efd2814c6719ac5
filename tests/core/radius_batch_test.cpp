#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "core/radius_batch.h"
#include "core/fit_field.h"

namespace zelvo {
namespace {

constexpr LaneChoice kEveryLaneChoice[] = {LaneChoice::kFastest, LaneChoice::kPlainTwo,
                                           LaneChoice::kPlainFour, LaneChoice::kPlainEight};

// Fits the listed points as one batch, each lane width in turn, and holds
// every answer against FitPlaneRadius at the same point, bit for bit; the
// points of calculation are the data's own unless others are given.
void ExpectBatchAsAlone(const Field& field, const FitChoices& choices,
                        const std::vector<std::int32_t>& points, const std::vector<double>* x0 = nullptr,
                        const std::vector<double>* y0 = nullptr) {
  const FitData data = field.Data();
  const double* px = x0 ? x0->data() : field.x.data();
  const double* py = y0 ? y0->data() : field.y.data();
  const std::size_t n = field.x.size();
  for (const LaneChoice lanes : kEveryLaneChoice) {
    const double unwritten = -12345.0;
    std::vector<double> a(n, unwritten), b(n, unwritten), c(n, unwritten), np(n, unwritten);
    FitRadiusBatch(data, choices, field.centre, px, py, field.q.data(), points.data(),
                   static_cast<int>(points.size()), FitColumns{a.data(), b.data(), c.data(), np.data()},
                   lanes);
    std::vector<bool> listed(n, false);
    for (const std::int32_t k : points) listed[static_cast<std::size_t>(k)] = true;
    int differing = 0;
    for (std::size_t k = 0; k < n; ++k) {
      if (!listed[k]) {
        EXPECT_EQ(a[k], unwritten) << "point " << k << " was not listed";
        continue;
      }
      PlaneFit fit;
      FitPlaneRadius(data, choices, field.centre, px[k], py[k], field.q[k], fit);
      const bool same = SameBits(a[k], fit.r[0]) && SameBits(b[k], fit.r[1]) &&
                        SameBits(c[k], fit.r[2]) && SameBits(np[k], fit.npoints);
      if (!same && ++differing <= 3) {
        ADD_FAILURE() << "lane choice " << static_cast<int>(lanes) << ", point " << k << ": "
                      << a[k] << " " << b[k] << " " << c[k] << " " << np[k] << " alone "
                      << fit.r[0] << " " << fit.r[1] << " " << fit.r[2] << " " << fit.npoints;
      }
    }
    EXPECT_EQ(differing, 0) << "lane choice " << static_cast<int>(lanes);
  }
}

TEST(RadiusBatch, EveryLaneIsTheFitAloneUnderEveryChoice) {
  Field field = Scatter(700, 100.0, 3);
  field.Lay(12.0, 1.2);
  const std::vector<std::int32_t> order = field.LatticeOrder();
  for (const bool pointIn : {false, true}) {
    for (int cx = 0; cx < 3; ++cx) {
      for (int cq = -1; cq < 3; ++cq) {
        const FitChoices choices{pointIn, cx, (cx + 1) % 3, cq};
        ExpectBatchAsAlone(field, choices, order);
      }
    }
  }
}

TEST(RadiusBatch, AnyOrderAndAnyCountOfPoints) {
  Field field = Scatter(400, 60.0, 5);
  field.Lay(9.0, 0.9);
  const std::vector<std::int32_t> order = field.LatticeOrder();
  // Batches of 1 .. 40 points, starting anywhere in lattice order, so that
  // their lanes straddle cells and columns.
  for (int count = 1; count <= 40; count += 3) {
    for (int first = 0; first + count <= static_cast<int>(order.size()); first += 97) {
      ExpectBatchAsAlone(field, FitChoices{}, std::vector<std::int32_t>(order.begin() + first,
                                                                        order.begin() + first + count));
    }
  }
  // File order, and a shuffled half: far-apart lanes share no window.
  std::vector<std::int32_t> fileOrder(order.size());
  for (std::size_t k = 0; k < fileOrder.size(); ++k) fileOrder[k] = static_cast<std::int32_t>(k);
  ExpectBatchAsAlone(field, FitChoices{}, fileOrder);
  std::shuffle(fileOrder.begin(), fileOrder.end(), std::mt19937(9));
  fileOrder.resize(fileOrder.size() / 2);
  ExpectBatchAsAlone(field, FitChoices{}, fileOrder);
  ExpectBatchAsAlone(field, FitChoices{}, {});
}

TEST(RadiusBatch, BatchesSharingACopyOfTheLatticeAreTheFitsAlone) {
  Field field = Scatter(900, 120.0, 11);
  const FitData data = field.Lay(10.0, 1.0);
  const std::vector<std::int32_t> order = field.LatticeOrder();
  const int n = field.Size();
  std::vector<double> a(n), b(n), c(n), np(n);
  const FitColumns out{a.data(), b.data(), c.data(), np.data()};
  LatticeCopy copy;
  // Chunks forwards, backwards and overlapping: the copy slides both ways,
  // keeps part of what it holds or none of it.
  std::vector<std::pair<int, int>> chunks;
  for (int first = 0; first < n; first += 97) chunks.push_back({first, std::min(97, n - first)});
  for (int first = n - 50; first > 0; first -= 130) chunks.push_back({first, 50});
  chunks.push_back({0, n});
  chunks.push_back({n / 3, 40});
  for (const auto& [first, count] : chunks) {
    std::fill(np.begin(), np.end(), -7.0);
    FitRadiusBatch(data, FitChoices{}, field.centre, field.x.data(), field.y.data(), field.q.data(),
                   order.data() + first, count, out, LaneChoice::kFastest, &copy);
    for (int m = first; m < first + count; ++m) {
      const int k = order[static_cast<std::size_t>(m)];
      PlaneFit fit;
      FitPlaneRadius(data, FitChoices{}, field.centre, field.x[k], field.y[k], field.q[k], fit);
      ASSERT_TRUE(SameBits(a[k], fit.r[0]) && SameBits(c[k], fit.r[2]) && SameBits(np[k], fit.npoints))
          << "chunk at " << first << ", point " << k;
    }
  }
}

// A lane takes a neighbour by the row the copy gives it, so that row must be
// the one the lattice filed the point under, on cell borders as well.
TEST(RadiusBatch, TheCopyGivesEveryPointTheRowOfItsCell) {
  Field onBorders;
  for (int i = 0; i < 20; ++i) {
    for (int j = 0; j < 13; ++j) onBorders.Add(i * 0.25, 6.0e6 + j * 0.25, i - j);
  }
  Field scattered = Scatter(500, 80.0, 23);
  for (double& y : scattered.y) y += 5.3e6;
  for (Field* field : {&onBorders, &scattered}) {
    for (const LatticeLayout layout : {LatticeLayout::kDense, LatticeLayout::kSparse}) {
      const FitData data = field->Lay(2.0, 0.5, layout);
      const SearchCluster& cluster = field->cluster;
      LatticeCopy copy;
      const LatticeStream stream = copy.Cover(data, 0, cluster.LatticeOrderSize());
      int checked = 0;
      for (int i = 0; i < cluster.nx; ++i) {
        for (int j = 0; j < cluster.ny; ++j) {
          for (const std::int32_t* p = cluster.CellBegin(i, j); p < cluster.CellEnd(i, j); ++p) {
            const LatticePoint& held = stream.points[p - cluster.LatticeOrder()];
            ASSERT_EQ(held.row, j) << "point " << *p << " in cell " << i << ", " << j;
            ASSERT_TRUE(SameBits(held.x, field->x[*p]) && SameBits(held.y, field->y[*p]) &&
                        SameBits(held.q, field->q[*p]));
            ++checked;
          }
        }
      }
      EXPECT_EQ(checked, field->Size());
    }
  }
}

TEST(RadiusBatch, CopiesGoToTheBatchWhoseStretchTheyHoldMost) {
  Field field = Scatter(300, 50.0, 19);
  const FitData data = field.Lay(5.0, 0.5);
  LatticeCopies copies;
  LatticeCopy& low = copies.Take(0, 100);
  low.Cover(data, 0, 100);
  LatticeCopy& high = copies.Take(150, 250);
  EXPECT_NE(&low, &high) << "a copy in use is not handed out";
  high.Cover(data, 150, 250);
  copies.Give(low);
  copies.Give(high);
  EXPECT_EQ(&copies.Take(200, 260), &high);
  EXPECT_EQ(&copies.Take(20, 60), &low);
}

TEST(RadiusBatch, TiesAtTheRadiusAndPointsOnCellBorders) {
  // An integer lattice with R = 5: the 3-4-5 neighbours lie exactly at R, and
  // with cells of 0.5 every point lies on the border between two cells.
  Field field;
  for (int i = 0; i < 24; ++i) {
    for (int j = 0; j < 17; ++j) field.Add(i, j, i * 0.5 - j * 0.25 + ((i * 7 + j) % 5));
  }
  field.Lay(5.0, 0.5);
  ExpectBatchAsAlone(field, FitChoices{}, field.LatticeOrder());
  ExpectBatchAsAlone(field, FitChoices{true, kCenterToArea, kNotCenter, kCenterToPoint},
                     field.LatticeOrder());
  // The same with cells as wide as R, and points of calculation that lie
  // beside the data, some of them exactly R from a data point.
  field.Lay(5.0, 5.0);
  std::vector<double> x0 = field.x, y0 = field.y;
  for (std::size_t k = 0; k < x0.size(); ++k) {
    x0[k] += (k % 3 == 0) ? 0.5 : 0.0;
    y0[k] += (k % 4 == 1) ? -5.0 : 0.0;
  }
  ExpectBatchAsAlone(field, FitChoices{}, field.LatticeOrder(), &x0, &y0);
}

TEST(RadiusBatch, LanesWithTooFewNeighboursOrAZeroPivot) {
  // Lines along each axis and a diagonal, with integer spacing: centred on
  // the point, a line along y leaves every X at zero (the first pivot zero)
  // and one along x every Y (the second); far apart, lone points and pairs.
  Field field;
  for (int k = 0; k < 40; ++k) field.Add(5.0, k, k % 3);
  for (int k = 0; k < 40; ++k) field.Add(100.0 + k, 50.0, k % 4);
  for (int k = 0; k < 30; ++k) field.Add(200.0 + k, 100.0 + k, k % 5 - 2.0);
  for (int k = 0; k < 12; ++k) field.Add(400.0 + 20.0 * k, 300.0 + (k % 2), k);
  field.Lay(3.0, 0.3);
  const FitData data = field.Data();
  for (const int centring : {kCenterToPoint, kCenterToArea, kNotCenter}) {
    const FitChoices choices{false, centring, centring, kNotCenter};
    int zeroPivots = 0, tooFew = 0;
    for (int k = 0; k < field.Size(); ++k) {
      PlaneFit fit;
      FitPlaneRadius(data, choices, field.centre, field.x[k], field.y[k], field.q[k], fit);
      zeroPivots += fit.r[0] == kSingularMarker && fit.npoints >= 3.0;
      tooFew += fit.npoints < 3.0;
    }
    EXPECT_GT(tooFew, 0);
    if (centring == kCenterToPoint) {
      EXPECT_GT(zeroPivots, 70) << "both lines";
    }
    ExpectBatchAsAlone(field, choices, field.LatticeOrder());
  }
}

TEST(RadiusBatch, InfiniteAndHugeQuantitiesAndCoordinates) {
  Field field = Scatter(300, 50.0, 13);
  field.q[10] = std::numeric_limits<double>::infinity();
  field.q[40] = -std::numeric_limits<double>::infinity();
  field.q[41] = 1e308;
  field.q[42] = -1e308;
  field.q[43] = -0.0;
  field.q[90] = std::nan("");
  field.Lay(8.0, 0.8);
  for (int cq = 0; cq < 3; ++cq) {
    ExpectBatchAsAlone(field, FitChoices{false, kCenterToPoint, kCenterToPoint, cq},
                       field.LatticeOrder());
  }
  // Far from the origin the squared distances lose their last digits.
  Field far = Scatter(200, 30.0, 17);
  for (double& x : far.x) x += 1e9;
  for (double& y : far.y) y -= 3e8;
  far.Lay(6.0, 0.6);
  ExpectBatchAsAlone(far, FitChoices{false, kNotCenter, kNotCenter, kNotCenter}, far.LatticeOrder());
  ExpectBatchAsAlone(far, FitChoices{}, far.LatticeOrder());
}

TEST(RadiusBatch, RadiiAtTheEndsOfTheSquaredDistances) {
  // Points a few tenths of the near distance apart, and radii from just above
  // it, where its close calls and the radius's meet, to beyond any square.
  Field tiny;
  for (int k = 0; k < 60; ++k) tiny.Add((k % 8) * 3.1e-7, (k / 8) * 2.3e-7, k * 0.125);
  // Beside two of them: just inside the near distance by hypot, one whose
  // square is a close call of the near distance only, and one just beyond.
  tiny.Add(1e-6 * (1.0 - 1e-11), 0.0, 7.0);
  tiny.Add(1e-6 * (1.0 - 4.5e-10), 6.9e-7, 2.0);
  tiny.Add(0.0, 1e-6 * (1.0 + 1e-11), -3.0);
  for (const double R : {1e-6 * (1.0 + 1e-10), 1e-6 * (1.0 + 4e-9), 1.5e-6}) {
    tiny.Lay(R, R * 0.1);
    ExpectBatchAsAlone(tiny, FitChoices{}, tiny.LatticeOrder());
    ExpectBatchAsAlone(tiny, FitChoices{true, kNotCenter, kNotCenter, kNotCenter},
                       tiny.LatticeOrder());
  }
  // A radius whose square overflows, with neighbours within it and beyond.
  Field huge;
  for (int k = 0; k < 40; ++k) huge.Add((k % 10) * 0.4e200, (k / 10) * 0.3e200, k % 7);
  huge.Lay(1e200, 1e199);
  ExpectBatchAsAlone(huge, FitChoices{}, huge.LatticeOrder());
  ExpectBatchAsAlone(huge, FitChoices{true, kNotCenter, kNotCenter, kNotCenter},
                     huge.LatticeOrder());
}

TEST(RadiusBatch, SparseLatticeAndPointsOfCalculationOutsideIt) {
  Field field;
  std::mt19937_64 random(21);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  // Clusters far apart: most of the lattice is empty.
  for (int k = 0; k < 300; ++k) {
    const double shift = (k % 3) * 5000.0;
    field.Add(shift + unit(random) * 20.0, shift * 0.5 + unit(random) * 20.0, unit(random));
  }
  field.Lay(4.0, 0.4, LatticeLayout::kSparse);
  ASSERT_TRUE(field.cluster.Sparse());
  std::vector<double> x0 = field.x, y0 = field.y;
  for (std::size_t k = 0; k < x0.size(); k += 7) x0[k] = -50.0;  // left of the lattice
  ExpectBatchAsAlone(field, FitChoices{}, field.LatticeOrder(), &x0, &y0);
}

}  // namespace
}  // namespace zelvo
