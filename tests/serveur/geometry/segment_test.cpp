#include "geometry/segment.h"

#include <gtest/gtest.h>

#include <cmath>

namespace jeu {
namespace {

TEST(Left, SignAndToleranceBoundaries) {
  EXPECT_EQ(left({0, 0}, {10, 0}, {5, 1}), 1);
  EXPECT_EQ(left({0, 0}, {10, 0}, {5, -1}), -1);
  EXPECT_EQ(left({0, 0}, {10, 0}, {20, 0}), 0);
  // Cross products of exactly +-0.05 are still "on the line".
  EXPECT_EQ(left({0, 0}, {1, 0}, {7, 0.05}), 0);
  EXPECT_EQ(left({0, 0}, {1, 0}, {7, -0.05}), 0);
  EXPECT_EQ(left({0, 0}, {1, 0}, {7, 0.0500001}), 1);
  EXPECT_EQ(left({0, 0}, {1, 0}, {7, -0.0500001}), -1);
  EXPECT_EQ(left({0, 0}, {1, 0}, {7, 0.06}), 1);
  EXPECT_EQ(left({0, 0}, {1, 0}, {7, NAN}), 0);
  // The tolerance is on the cross product, so it shrinks with the length.
  EXPECT_EQ(left({0, 0}, {100, 0}, {5, 0.001}), 1);
}

TEST(Between, ComparesOneAxisOnlyInclusiveEitherDirection) {
  EXPECT_TRUE(between({0, 0}, {10, 0}, {5, 100}));
  EXPECT_TRUE(between({3, 0}, {3, 10}, {50, 4}));
  EXPECT_FALSE(between({3, 0}, {3, 10}, {3, 10.0001}));
  EXPECT_FALSE(between({0, 0}, {10, 0}, {-0.0001, 0}));
  EXPECT_TRUE(between({0, 0}, {10, 0}, {0, 0}));
  EXPECT_TRUE(between({0, 0}, {10, 0}, {10, 0}));
  EXPECT_TRUE(between({10, 0}, {0, 0}, {7, 0}));
  EXPECT_TRUE(between({3, 10}, {3, 0}, {3, 7}));
  // A sloped segment is judged on x alone.
  EXPECT_TRUE(between({0, 0}, {10, 10}, {5, -50}));
  // A zero-length segment falls back to y.
  EXPECT_TRUE(between({2, 2}, {2, 2}, {9, 2}));
  EXPECT_FALSE(between({2, 2}, {2, 2}, {2, 3}));
}

TEST(IntersectSegment, CrossingTouchingCollinearAndMisses) {
  EXPECT_TRUE(intersect_segment({0, 0}, {10, 10}, {0, 10}, {10, 0}));
  EXPECT_FALSE(intersect_segment({0, 0}, {10, 0}, {0, 5}, {10, 5}));
  EXPECT_TRUE(intersect_segment({0, 0}, {10, 0}, {5, 0}, {20, 0}));
  EXPECT_TRUE(intersect_segment({5, 0}, {20, 0}, {0, 0}, {10, 0}));
  EXPECT_FALSE(intersect_segment({0, 0}, {10, 0}, {11, 0}, {20, 0}));
  // T junctions and shared corners.
  EXPECT_TRUE(intersect_segment({0, 0}, {10, 0}, {10, 0}, {10, 10}));
  EXPECT_TRUE(intersect_segment({0, 0}, {10, 0}, {5, 0}, {5, 10}));
  EXPECT_TRUE(intersect_segment({5, -3}, {5, 0}, {0, 0}, {10, 0}));
  // Within the tolerance counts as touching, beyond it does not.
  EXPECT_TRUE(intersect_segment({0, 0}, {10, 0}, {5, 0.004}, {5, 10}));
  EXPECT_FALSE(intersect_segment({0, 0}, {10, 0}, {5, 0.006}, {5, 10}));
  // Would meet only if extended.
  EXPECT_FALSE(intersect_segment({0, 0}, {10, 0}, {12, -5}, {12, 5}));
  EXPECT_FALSE(intersect_segment({0, 0}, {10, 0}, {5, 1}, {5, 10}));
}

}  // namespace
}  // namespace jeu
