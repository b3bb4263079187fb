#include <gtest/gtest.h>

#include "world/Polygon.h"

namespace {

Polygon Square()
{
    return {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
}

TEST(Polygon, ContainsItsEdgesAndVerticesButNothingBeyond)
{
    const Polygon square = Square();
    EXPECT_TRUE(square.Contains(0, 0));
    EXPECT_TRUE(square.Contains(1, 0)) << "on an edge";
    EXPECT_TRUE(square.Contains(-1, -1)) << "on a vertex";
    EXPECT_FALSE(square.Contains(1.001f, 0)) << "just outside one edge";
    EXPECT_FALSE(square.Contains(0, -1.001f));
    EXPECT_TRUE(Polygon().Contains(1e6f, -1e6f)) << "an empty outline holds everything";
}

TEST(Polygon, OverlappingOutlinesShareAVertex)
{
    Polygon a = Square();
    Polygon b = Square();
    b.centre.Set(1.5, 0, 0);
    EXPECT_TRUE(a.AnyVertexInside(b));
    EXPECT_TRUE(b.AnyVertexInside(a));
    b.centre.Set(2.5, 0, 0);
    EXPECT_FALSE(a.AnyVertexInside(b));
    EXPECT_FALSE(Polygon().AnyVertexInside(a)) << "no vertex at all";
}

TEST(Polygon, SegmentReportsTheEdgeNearestItsStart)
{
    const Polygon square = Square();
    Vector3 edge(9, 9, 9);
    // From the left, through the square: crosses edge 4 (left side) first.
    EXPECT_EQ(square.SegmentHit(-3, 0, 3, 0, &edge), 4);
    EXPECT_DOUBLE_EQ(edge.x, 0.0);
    EXPECT_DOUBLE_EQ(edge.y, -2.0);
    // From the right: edge 2 (right side) first.
    EXPECT_EQ(square.SegmentHit(3, 0.5f, -3, 0.5f, &edge), 2);
    EXPECT_DOUBLE_EQ(edge.y, 2.0);
}

TEST(Polygon, ParallelSegmentStartingOnAnEdgeReportsItAtOnce)
{
    const Polygon square = Square();
    Vector3 edge(7, 7, 7);
    EXPECT_EQ(square.SegmentHit(0, -1, 0.5f, -1, &edge), 1);
    EXPECT_DOUBLE_EQ(edge.x, 7.0) << "the parallel case writes no edge";
}

TEST(Polygon, SegmentMissingEveryEdgeLeavesTheEdgeAlone)
{
    const Polygon square = Square();
    Vector3 edge(5, 6, 7);
    EXPECT_EQ(square.SegmentHit(3, 3, 5, 4, &edge), 0);
    EXPECT_DOUBLE_EQ(edge.x, 5.0);
    EXPECT_DOUBLE_EQ(edge.z, 7.0);
}

TEST(Polygon, OctagonAndRotation)
{
    const Polygon octagon = Polygon::Octagon16();
    ASSERT_EQ(octagon.Points().size(), 8u);
    EXPECT_FLOAT_EQ(octagon.Points()[0].y, -16.0f);
    EXPECT_NEAR(octagon.Points()[2].x, 16.0f, 1e-4);
    const Polygon turned = Square().Rotated(90);
    EXPECT_NEAR(turned.Points()[0].x, 1.0f, 1e-6);
    EXPECT_NEAR(turned.Points()[0].y, -1.0f, 1e-6);
}

} // namespace
