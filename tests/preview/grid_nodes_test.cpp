#include "preview/grid_nodes.h"
#include "preview/grid_four_nodes.h"
#include "preview/grid_hypot.h"
#include "preview/grid_nodes_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <thread>

#include "survey_fixture.h"

namespace zelvo {
namespace {

using testing::Survey;
using testing::SurveyPoint;

float NodeValue(const NodeGrid& grid, int i, int j) { return grid.values[static_cast<std::size_t>(i) * grid.ny + j]; }

// The inverse-distance mean of points given as (dx, dy, value) offsets from a
// node, 0.001 already added.
float Expected(std::initializer_list<SurveyPoint> offsets) {
  double S = 0.0, T = 0.0;
  for (const SurveyPoint& p : offsets) {
    const double d = std::hypot(p.x, p.y);
    S += p.value / d;
    T += 1.0 / d;
  }
  return static_cast<float>(S / T);
}

// The values hide most last-bit differences of the distances; the sums do not.
// The quantity's node grid, or nothing when the gridding did not complete.
std::optional<NodeGrid> Gridded(const Survey& survey, double R, double G) {
  NodeGrid grid;
  if (GridNodes(survey.cluster, survey.results, kColQuantity, R, G, grid) != 0) return std::nullopt;
  return grid;
}

GriddingJob JobFor(const Survey& survey, double R, double G, int threads = 1) {
  GriddingJob job;
  job.cluster = &survey.cluster;
  job.results = &survey.results;
  job.variable = kColQuantity;
  job.searchRadius = R;
  job.griddingRadius = G;
  job.threads = threads;
  return job;
}

int DifferingNodes(const NodeSumGrid& fast, const NodeSumGrid& plain) {
  int differing = 0;
  for (std::size_t node = 0; node < plain.S.size(); ++node) {
    if (std::memcmp(&fast.S[node], &plain.S[node], sizeof(double)) != 0 ||
        std::memcmp(&fast.T[node], &plain.T[node], sizeof(double)) != 0) {
      ++differing;
    }
  }
  return differing;
}

// Every combination of the fast paths, and the default ones on two and three
// threads, each held to the plain loop.
void ExpectSameSums(const Survey& survey, double R, double G) {
  const NodeSumGrid plain = GridNodeSumsPlain(survey.cluster, survey.results, kColQuantity, R, G);
  for (const int lanes : {4, 2, 1}) {
    for (const bool inlineHypot : {true, false}) {
      const NodeSumGrid fast =
          GridNodeSums(JobFor(survey, R, G), GriddingPaths{lanes == 4, lanes >= 2, inlineHypot});
      ASSERT_EQ(fast.S.size(), plain.S.size());
      EXPECT_EQ(DifferingNodes(fast, plain), 0) << "of " << plain.S.size() << " nodes, G = " << G
                                                << ", lanes " << lanes << ", inline hypot " << inlineHypot;
    }
  }
  for (const int threads : {2, 3}) {
    const NodeSumGrid fast = GridNodeSums(JobFor(survey, R, G, threads));
    ASSERT_EQ(fast.S.size(), plain.S.size());
    EXPECT_EQ(DifferingNodes(fast, plain), 0) << "G = " << G << ", threads " << threads;
  }
  // Some nodes only: rows alone, in pairs and in longer runs, every path
  // giving those nodes their sums and leaving the others untouched.
  const int nx = survey.cluster.nx, ny = survey.cluster.ny;
  NodeSelection some;
  for (int i = 0; i < nx; ++i) some.columns.push_back(i % 3 != 1);
  for (int j = 0; j < ny; ++j) {
    if (j % 7 <= 2 || j % 7 == 4 || j == ny - 1) some.rows.push_back(j);
  }
  NodeSumGrid expected;
  for (std::size_t node = 0; node < plain.S.size(); ++node) {
    const bool chosen = some.columns[node / static_cast<std::size_t>(ny)] &&
                        std::binary_search(some.rows.begin(), some.rows.end(),
                                           static_cast<int>(node % static_cast<std::size_t>(ny)));
    expected.S.push_back(chosen ? plain.S[node] : 0.0);
    expected.T.push_back(chosen ? plain.T[node] : 0.0);
  }
  for (const int lanes : {4, 2, 1}) {
    GriddingJob job = JobFor(survey, R, G, lanes == 4 ? 2 : 1);
    job.only = &some;
    const NodeSumGrid fast = GridNodeSums(job, GriddingPaths{lanes == 4, lanes >= 2, true});
    ASSERT_EQ(fast.S.size(), plain.S.size());
    EXPECT_EQ(DifferingNodes(fast, expected), 0) << "some nodes, G = " << G << ", lanes " << lanes;
  }
}

TEST(GridNodes, MatchesThePlainLoopBitForBit) {
  EXPECT_TRUE(InlineHypotMatchesLibrary()) << "the inlined hypot no longer mirrors the C library's: "
                                              "GridNodes falls back to the slow library calls";
#if defined(__x86_64__)
  if (!HaveFourNodeLanes()) GTEST_LOG_(WARNING) << "no AVX2 here: the four-node lanes go untested";
#endif
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> along(0.0, 1.0);
  const double R = 100.0;
  const double s = R * 0.1;
  std::vector<SurveyPoint> points;
  points.push_back({0.0, 0.0, 3.0});
  for (int k = 0; k < 4000; ++k) {
    points.push_back({410.0 * along(random), 295.0 * along(random), 100.0 * along(random) - 50.0});
  }
  // Points that make the distance test a close call, lie on nodes, share
  // positions or sit 0.001 east and north of node (0, 0), where d is 0.
  for (int k = 0; k < 300; ++k) {
    const double X = s * static_cast<int>(40 * along(random));
    const double Y = s * static_cast<int>(29 * along(random));
    const double angle = 6.283185307179586 * along(random);
    const double x = X + 0.001 + R * std::cos(angle);
    const double y = Y + 0.001 + R * std::sin(angle);
    if (x >= 0.0 && y >= 0.0) points.push_back({x, y, 7.0 * along(random)});
    points.push_back({X, Y, 11.0 * along(random)});
    points.push_back({X + 0.001, Y + 0.001, 5.0});
  }
  points.push_back({0.001, 0.001, 4.0});
  points.push_back({0.001, 0.001, 8.0});
  points.push_back({points[7].x, points[7].y, -1.0});
  // One more row, with a point on it, toggles between an even and an odd
  // number of rows: with an odd one the last node of every column is alone.
  const auto addRow = [&points, s](const Survey& survey) {
    points.push_back({1.0, survey.cluster.ymin + survey.cluster.ny * s, 1.0});
  };
  if (Survey(points, s).cluster.ny % 2 != 0) addRow(Survey(points, s));
  const Survey survey(points, s);
  ASSERT_EQ(survey.cluster.ny % 2, 0);
  for (const double G : {R, 1.73 * R, 0.55 * R, 0.0}) {
    const std::optional<NodeGrid> fast = Gridded(survey, R, G);
    const NodeGrid plain = GridNodesPlain(survey.cluster, survey.results, kColQuantity, R, G);
    ASSERT_TRUE(fast.has_value());
    ASSERT_EQ(fast->values.size(), plain.values.size());
    EXPECT_EQ(std::memcmp(fast->values.data(), plain.values.data(), plain.values.size() * sizeof(float)), 0)
        << "G = " << G;
    ExpectSameSums(survey, R, G);
  }
  EXPECT_EQ(NodeValue(*Gridded(survey, R, R), 0, 0), 6.0f);

  // A window wider than the lattice is clipped.
  addRow(survey);
  const Survey odd(points, s);
  ASSERT_EQ(odd.cluster.ny % 2, 1);
  for (const double G : {R, 50.0 * R}) {
    const std::optional<NodeGrid> fast = Gridded(odd, R, G);
    const NodeGrid plain = GridNodesPlain(odd.cluster, odd.results, kColQuantity, R, G);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(std::memcmp(fast->values.data(), plain.values.data(), plain.values.size() * sizeof(float)), 0)
        << "G = " << G;
    ExpectSameSums(odd, R, G);
  }
}

TEST(GridNodes, MatchesThePlainLoopOnCellBoundaries) {
  // Points every half cell: on nodes, and on or just inside the borders
  // between cells, where a cell's points come nearest to other nodes.
  std::vector<SurveyPoint> points;
  for (int i = 0; i < 61; ++i) {
    for (int j = 0; j < 45; ++j) {
      const double value = std::sin(i * 0.3) * std::cos(j * 0.2);
      points.push_back({i * 17.5, j * 17.5, value});
      if (i % 2 == 1 && j % 2 == 1) points.push_back({i * 17.5 - 1e-7, j * 17.5 - 1e-7, value});
    }
  }
  const Survey survey(points, 35.0);
  for (const double R : {105.0, 350.0, 122.5}) {
    EXPECT_EQ(Gridded(survey, R, R)->values,
              GridNodesPlain(survey.cluster, survey.results, kColQuantity, R, R).values);
    ExpectSameSums(survey, R, R);
  }
}

TEST(GridNodes, VisitsAHalfOpenWindowAndWeighsOnlyWithinR) {
  // Node (3, 3) at (3, 3) on a unit lattice.
  const Survey survey({{0, 0, 0}, {8, 8, 0}, {1, 3, 10}, {3, 1, 20}, {5, 3, 1000}, {3, 5, 1000}, {3, 0, 1e6}}, 1.0);
  ASSERT_EQ(survey.cluster.nx, 9);
  // G = 2: cells 1 .. 4 on both axes; (5, 3) and (3, 5) in cells i + 2 and
  // j + 2 are left out although they are within R.
  const NodeGrid narrow = *Gridded(survey, 10.0, 2.0);
  EXPECT_FLOAT_EQ(NodeValue(narrow, 3, 3), Expected({{2.001, 0.001, 10}, {0.001, 2.001, 20}}));
  EXPECT_FLOAT_EQ(NodeValue(narrow, 3, 3), 15.0f);
  // G = 5 reaches every cell, but R = 2.5 keeps out (3, 0) and the corners.
  const NodeGrid wide = *Gridded(survey, 2.5, 5.0);
  EXPECT_FLOAT_EQ(NodeValue(wide, 3, 3), Expected({{2.001, 0.001, 10}, {0.001, 2.001, 20},
                                                   {-1.999, 0.001, 1000}, {0.001, -1.999, 1000}}));
  // Nothing within R of node (8, 0): blank.
  EXPECT_EQ(NodeValue(wide, 8, 0), kBlankValue);
}

TEST(GridNodes, PointsOnAndJustBesideANode) {
  const Survey survey({{0, 0, 100}, {0.001, 0.001, 4}, {0.001, 0.001, 6}, {2, 2, 50}, {1.6, 2, 10}, {6, 6, 0}}, 1.0);
  const NodeGrid grid = *Gridded(survey, 1.0, 1.0);
  // 0.001 east and north of node (0, 0) the distance is 0: the node takes
  // the mean of such points alone.
  EXPECT_EQ(NodeValue(grid, 0, 0), 5.0f);
  // A point on node (2, 2) weighs 1 / (sqrt(2) * 0.001) and dominates.
  const float onNode = NodeValue(grid, 2, 2);
  EXPECT_FLOAT_EQ(onNode, Expected({{0.001, 0.001, 50}, {0.401, 0.001, 10}}));
  EXPECT_GT(onNode, 49.8f);
}

TEST(GridNodes, StopsWhenTheColumnHookSaysSo) {
  const Survey survey({{0, 0, 1}, {9, 4, 2}, {4, 2, 3}}, 1.0);
  int columns = 0;
  NodeGrid grid;
  EXPECT_EQ(GridNodes(survey.cluster, survey.results, kColQuantity, 3.0, 3.0, grid, [&] {
              ++columns;
              return false;
            }),
            0);
  EXPECT_EQ(columns, survey.cluster.nx);
  columns = 0;
  EXPECT_EQ(GridNodes(survey.cluster, survey.results, kColQuantity, 3.0, 3.0, grid, [&] {
              return ++columns == 3;
            }),
            1);
  EXPECT_EQ(columns, 3);
}

TEST(GridNodes, MatchesThePlainLoopOnExtremeValues) {
  // Huge, infinite and opposite infinite values, duplicates, sparse corners
  // with blank nodes, and one point at exactly R from node (4, 3).
  const double huge = std::numeric_limits<double>::max();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<SurveyPoint> points;
  for (int i = 0; i < 23; ++i) {
    for (int j = 0; j < 17; ++j) {
      if ((i * 7 + j * 3) % 5 == 0) points.push_back({i * 3.7, j * 2.9, std::cos(i * 1.3 + j)});
    }
  }
  points.push_back({40.0, 30.0, huge});
  points.push_back({40.0, 30.0, huge});
  points.push_back({41.5, 30.5, -huge});
  points.push_back({12.0, 44.0, inf});
  points.push_back({62.0, 8.0, inf});
  points.push_back({62.5, 8.0, -inf});
  points.push_back({150.0, 140.0, 2.0});  // far from the rest: blank nodes around
  const double s = 2.0;
  const Survey survey(points, s);
  const double X = survey.cluster.xmin + 4 * s;
  const double Y = survey.cluster.ymin + 3 * s;
  const double tie = std::hypot((X - points[5].x) + 0.001, (Y - points[5].y) + 0.001);
  for (const double R : {tie, 9.0, 23.0}) {
    for (const double G : {R, 2.5 * R}) {
      const NodeGrid plain = GridNodesPlain(survey.cluster, survey.results, kColQuantity, R, G);
      const NodeGrid fast = *Gridded(survey, R, G);
      ASSERT_EQ(fast.values.size(), plain.values.size());
      EXPECT_EQ(std::memcmp(fast.values.data(), plain.values.data(), plain.values.size() * sizeof(float)), 0)
          << "R = " << R << ", G = " << G;
      ExpectSameSums(survey, R, G);
    }
  }
  const NodeGrid grid = *Gridded(survey, 9.0, 9.0);
  EXPECT_EQ(NodeValue(grid, survey.cluster.nx - 1, 0), kBlankValue);
}

// A field of 120 x 90 points, R = 6, s = 0.6: 200 node columns.
Survey Field() {
  std::vector<SurveyPoint> points;
  for (int i = 0; i < 120; ++i) {
    for (int j = 0; j < 90; ++j) points.push_back({i * 1.0 + 0.1 * (j % 3), j * 1.0, std::sin(i * 0.1) + 0.02 * j});
  }
  return Survey(points, 0.6);
}

TEST(GridNodes, ThreadsShareTheColumnsAndOnlyTheCallerHearsOfThem) {
  const Survey survey = Field();
  NodeGrid single;
  ASSERT_EQ(GridNodes(JobFor(survey, 6.0, 6.0), single), kGridMade);
  for (const int threads : {2, 3}) {
    int columns = 0;
    bool otherThread = false;
    const std::thread::id caller = std::this_thread::get_id();
    NodeGrid grid;
    EXPECT_EQ(GridNodes(JobFor(survey, 6.0, 6.0, threads), grid, [&] {
                otherThread |= std::this_thread::get_id() != caller;
                ++columns;
                return false;
              }),
              kGridMade);
    EXPECT_EQ(columns, survey.cluster.nx) << threads << " threads";
    EXPECT_FALSE(otherThread);
    ASSERT_EQ(grid.values.size(), single.values.size());
    EXPECT_EQ(std::memcmp(grid.values.data(), single.values.data(), single.values.size() * sizeof(float)), 0)
        << threads << " threads";
  }
}

TEST(GridNodes, StopsAThreadedGriddingAfterTheHookSaysSo) {
  const Survey survey = Field();
  for (const int threads : {2, 3}) {
    int columns = 0;
    NodeGrid grid;
    EXPECT_EQ(GridNodes(JobFor(survey, 6.0, 6.0, threads), grid, [&] { return ++columns == 3; }),
              kGridStopped);
    EXPECT_EQ(columns, 3);
    // Asked again, the same job runs to the end.
    EXPECT_EQ(GridNodes(JobFor(survey, 6.0, 6.0, threads), grid, [] { return false; }), kGridMade);
  }
}

TEST(GridNodes, RefusesANodeGridBeyondTheBudget) {
  const Survey survey = Field();
  GriddingJob job = JobFor(survey, 6.0, 6.0);
  const std::uint64_t nodeBytes =
      static_cast<std::uint64_t>(survey.cluster.nx) * survey.cluster.ny * sizeof(float);
  job.memoryBudget = nodeBytes - 1;
  NodeGrid grid;
  grid.nx = 5;
  grid.values.assign(10, 1.0f);
  bool asked = false;
  EXPECT_EQ(GridNodes(job, grid, [&] { return asked = true; }), kGridTooLarge);
  EXPECT_TRUE(grid.values.empty());
  EXPECT_EQ(grid.nx, 0);
  EXPECT_FALSE(asked);
  // Enough for the grid and the streamed points.
  job.memoryBudget = nodeBytes + 24 * survey.results.Size() + 16 * survey.cluster.nx;
  EXPECT_EQ(GridNodes(job, grid), kGridMade);
}

}  // namespace
}  // namespace zelvo
