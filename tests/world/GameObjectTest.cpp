#include <gtest/gtest.h>

#include <limits>

#include "world/GameObject.h"
#include "world/Polygon.h"

namespace {

std::pair<double, double> XY(const Vector3& v)
{
    return {v.x, v.y};
}

TEST(Vector3, DivisionByZeroAndNormalisingZeroGiveZero)
{
    EXPECT_EQ(XY(Vector3(3, 4, 0) / 0.0), XY(Vector3()));
    Vector3 zero(0, 0, 0), v(3, 4, 0);
    zero.Normalize();
    v.Normalize();
    EXPECT_EQ(zero.length, 0.0);
    EXPECT_DOUBLE_EQ(v.x, 0.6);
    EXPECT_DOUBLE_EQ(v.length, 1.0);
}

// The wait before a respawn is checked where the game keeps it: ships in
// SimulationTest, turrets here in WorldTest. A respawn places the object
// afresh.
TEST(GameObject, ARespawnPlacesTheObjectStillAndUnturned)
{
    GameObject object;
    object.Respawn(10, 20);
    EXPECT_TRUE(object.IsAlive()) << "a new object may respawn at once";
    EXPECT_EQ(XY(object.Position()), std::pair(10.0, 20.0));

    object.SetHeading(45);
    object.SetVelocity(Vector3(5, 5, 0));
    object.Kill();
    object.ForceRespawn(1, 2);
    EXPECT_EQ(std::tuple(object.IsAlive(), object.GetHeading(), XY(object.Velocity())),
              std::tuple(true, 0.0f, XY(Vector3())));
}

TEST(GameObject, HeadingsFoldIntoOneTurnAndSettersIgnoreNegatives)
{
    GameObject object;
    for (const auto& [given, kept] : {std::pair(-90.0f, 270.0f), {725.0f, 5.0f}, {359.5f, -0.5f},
                                      {std::numeric_limits<float>::infinity(), 0.0f}}) {
        object.SetHeading(given);
        EXPECT_EQ(object.GetHeading(), kept) << given;
    }
    object.SetHeading(1e30f);
    EXPECT_GE(object.GetHeading(), -1.0f) << "a huge heading from the wire comes back at once";
    EXPECT_LE(object.GetHeading(), 359.0f);

    object.SetRadius(5);
    object.SetRadius(-1);
    object.SetMaxSpeed(-3);
    object.SetThrust(-1);
    object.SetTurnRate(-1);
    EXPECT_EQ(std::tuple(object.GetRadius(), object.GetMaxSpeed(), object.GetThrust(), object.GetTurnRate()),
              std::tuple(5.0f, 1.0f, 0.0f, 0.0f));
}

TEST(GameObject, ThrustPushesAlongTheHeadingUpToTheTopSpeed)
{
    GameObject object;
    object.SetMaxSpeed(1000);
    object.SetThrust(100);
    object.Thrust(1000);
    EXPECT_NEAR(object.Velocity().y, 100.0, 1e-4) << "heading 0 faces +y";
    object.SetVelocity(Vector3(0, 0, 0));
    object.SetHeading(90);
    object.Thrust(500);
    object.Thrust(-5);
    EXPECT_NEAR(object.Velocity().x, -50.0, 1e-4) << "heading 90 faces -x";

    object.SetVelocity(Vector3(0, 0, 0));
    object.SetMaxSpeed(5);
    object.AddVelocity(Vector3(3, 4, 0));
    EXPECT_EQ(XY(object.Velocity()), std::pair(3.0, 4.0)) << "exactly the top speed is left alone";
    object.AddVelocity(Vector3(3, 4, 0));
    EXPECT_NEAR(object.Velocity().x, 3.0, 1e-9);
    EXPECT_NEAR(object.Velocity().y, 4.0, 1e-9);
}

TEST(GameObject, WrapKeepsTheUpperBoundAndFoldsFarValues)
{
    GameObject object;
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [given, wrapped] : {std::pair(std::pair(320.0, -1.0), std::pair(320.0, 639.0)),
                                         {{-330, 1290}, {310, 10}}, {{5, inf}, {5, 0}}}) {
        object.SetPosition(Vector3(given.first, given.second, 0));
        object.Wrap(320, 640);
        EXPECT_EQ(XY(object.Position()), wrapped) << given.first << ", " << given.second;
    }
    object.SetPosition(Vector3(1e300, 0, 0));
    object.Wrap(320, 640);
    EXPECT_GE(object.Position().x, 0.0);
    EXPECT_LE(object.Position().x, 320.0);
}

class Block : public GameObject {
public:
    Block(double x, double y)
    {
        hull.push_back({{-4, -4}, {4, -4}, {4, 4}, {-4, 4}});
        SetRadius(6);
        SetPosition(Vector3(x, y, 0));
    }
};

TEST(GameObject, CollidesAcrossTheSeamWhenTheOutlinesMeetAndBouncesOffTheEdge)
{
    Block left(2, 100), right(318, 100), far(300, 100), diagonal(9, 109);
    GameObject empty;
    empty.SetRadius(50);
    empty.SetPosition(Vector3(2, 100, 0));
    // Diagonal: circles touch, squares do not; an empty hull never collides.
    EXPECT_EQ(std::tuple(left.Collides(&right, 320, 320), right.Collides(&left, 320, 320), left.Collides(&far, 320, 320),
                         left.Collides(&diagonal, 320, 320), left.Collides(&empty, 320, 320),
                         left.Collides(nullptr, 320, 320)),
              std::tuple(true, true, false, false, false, false));

    // Bounce mirrors the velocity about the edge it meets, or reverses it.
    Block wall(100, 100);
    GameObject ball, lonely, nothing;
    ball.SetPosition(Vector3(100, 90, 0)); // above the top edge
    ball.SetVelocity(Vector3(3, 5, 0));
    EXPECT_TRUE(ball.Bounce(&wall));
    EXPECT_NEAR(ball.Velocity().x, 3.0, 1e-9);
    EXPECT_NEAR(ball.Velocity().y, -5.0, 1e-9);
    lonely.SetVelocity(Vector3(3, 5, 0));
    EXPECT_FALSE(lonely.Bounce(&nothing));
    EXPECT_EQ(XY(lonely.Velocity()), std::pair(-3.0, -5.0));
}

Polygon Square()
{
    return {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
}

TEST(Polygon, ContainsItsEdgesAndVerticesButNothingBeyondSoOverlapsShareAVertex)
{
    const Polygon square = Square();
    for (const auto& [x, y, inside] : {std::tuple(0.0f, 0.0f, true), {1.0f, 0.0f, true}, {-1.0f, -1.0f, true},
                                       {1.001f, 0.0f, false}, {0.0f, -1.001f, false}})
        EXPECT_EQ(square.Contains(x, y), inside) << x << ", " << y << ": edges and vertices are inside";
    EXPECT_TRUE(Polygon().Contains(1e6f, -1e6f)) << "an empty outline holds everything";

    // Overlapping outlines have a vertex inside the other.
    Polygon b = Square();
    b.centre.Set(1.5, 0, 0);
    EXPECT_TRUE(square.AnyVertexInside(b) && b.AnyVertexInside(square));
    b.centre.Set(2.5, 0, 0);
    EXPECT_FALSE(square.AnyVertexInside(b));
    EXPECT_FALSE(Polygon().AnyVertexInside(square)) << "no vertex at all";
}

// SegmentHit gives the 1-based edge crossed nearest the segment's start and
// that edge as a vector; a parallel segment on an edge is reported at once
// without the vector; a miss leaves it alone. Rotation turns the way
// headings do; a shield's octagon is one point turned so.
TEST(Polygon, SegmentReportsTheEdgeNearestItsStartAndRotationTurnsAsHeadings)
{
    const Polygon square = Square();
    for (const auto& [x0, y0, x1, y1, hit, edgeX, edgeY] :
         {std::tuple(-3.0f, 0.0f, 3.0f, 0.0f, 4, 0.0, -2.0), {3, 0.5f, -3, 0.5f, 2, 0, 2}, {0, -1, 0.5f, -1, 1, 7, 7},
          {3, 3, 5, 4, 0, 7, 7}}) {
        Vector3 edge(7, 7, 7);
        EXPECT_EQ(square.SegmentHit(x0, y0, x1, y1, &edge), hit) << x0 << ", " << y0;
        EXPECT_EQ(std::tuple(edge.x, edge.y), std::tuple(edgeX, edgeY)) << x0 << ", " << y0;
    }
    const Polygon::Point corner = Square().Rotated(90).Points()[0];
    EXPECT_NEAR(corner.x, 1.0f, 1e-6);
    EXPECT_NEAR(corner.y, -1.0f, 1e-6);
}

} // namespace
