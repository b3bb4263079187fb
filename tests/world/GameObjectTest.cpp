#include <gtest/gtest.h>

#include <limits>

#include "world/GameObject.h"

namespace {

TEST(Vector3, DivisionAndNormalisingZero)
{
    const Vector3 v = Vector3(3, 4, 0) / 0.0;
    EXPECT_EQ(v.x, 0.0);
    EXPECT_EQ(v.y, 0.0);
    Vector3 zero(0, 0, 0);
    zero.Normalize();
    EXPECT_EQ(zero.length, 0.0);
    EXPECT_EQ(zero.x, 0.0);
    Vector3 v2(3, 4, 0);
    EXPECT_DOUBLE_EQ(v2.length, 5.0);
    v2.Normalize();
    EXPECT_DOUBLE_EQ(v2.x, 0.6);
    EXPECT_DOUBLE_EQ(v2.length, 1.0);
}

TEST(GameObject, RespawnTiming)
{
    GameObject object;
    EXPECT_FALSE(object.IsAlive());
    object.Respawn(10, 20);
    EXPECT_TRUE(object.IsAlive()) << "a new object may respawn at once";
    EXPECT_EQ(object.Position().x, 10.0);

    object.Kill();
    object.Respawn(30, 40);
    EXPECT_FALSE(object.IsAlive());
    object.TickDead(4999);
    object.Respawn(30, 40);
    EXPECT_FALSE(object.IsAlive());
    object.TickDead(1);
    object.Respawn(30, 40);
    EXPECT_TRUE(object.IsAlive());

    object.SetHeading(45);
    object.SetVelocity(Vector3(5, 5, 0));
    object.Kill();
    object.ForceRespawn(1, 2);
    EXPECT_TRUE(object.IsAlive());
    EXPECT_EQ(object.GetHeading(), 0.0f);
    EXPECT_EQ(object.Velocity().x, 0.0);
}

TEST(GameObject, HeadingNormalisation)
{
    GameObject object;
    object.SetHeading(-90);
    EXPECT_EQ(object.GetHeading(), 270.0f);
    object.SetHeading(725);
    EXPECT_EQ(object.GetHeading(), 5.0f);
    object.SetHeading(359.5f);
    EXPECT_EQ(object.GetHeading(), -0.5f) << "above 359 turns back by a whole turn";
    object.SetHeading(std::numeric_limits<float>::infinity());
    EXPECT_EQ(object.GetHeading(), 0.0f);
    object.SetHeading(1e30f);
    EXPECT_GE(object.GetHeading(), -1.0f) << "a huge heading from the wire comes back at once";
    EXPECT_LE(object.GetHeading(), 359.0f);
}

TEST(GameObject, SettersIgnoreNegativeValues)
{
    GameObject object;
    object.SetRadius(5);
    object.SetRadius(-1);
    EXPECT_EQ(object.GetRadius(), 5.0f);
    object.SetMaxSpeed(-3);
    EXPECT_EQ(object.GetMaxSpeed(), 1.0f);
    object.SetThrust(-1);
    object.SetTurnRate(-1);
    EXPECT_EQ(object.GetThrust(), 0.0f);
    EXPECT_EQ(object.GetTurnRate(), 0.0f);
}

TEST(GameObject, PositionAndTargetCarryTheirDepth)
{
    GameObject object;
    object.SetPosition(Vector3(1, 2, 7));
    object.SetTarget(Vector3(3, 4, 7));
    EXPECT_EQ(object.Position().z, 1.0);
    EXPECT_EQ(object.Target().z, 0.0);
}

TEST(GameObject, AddVelocityCapsOnlyAboveTheTopSpeed)
{
    GameObject object;
    object.SetMaxSpeed(5);
    object.AddVelocity(Vector3(3, 4, 0));
    EXPECT_EQ(object.Velocity().x, 3.0) << "exactly the top speed is left alone";
    EXPECT_EQ(object.Velocity().y, 4.0);
    object.AddVelocity(Vector3(3, 4, 0));
    EXPECT_NEAR(object.Velocity().x, 3.0, 1e-9);
    EXPECT_NEAR(object.Velocity().y, 4.0, 1e-9);
}

TEST(GameObject, ThrustPushesAlongTheHeading)
{
    GameObject object;
    object.SetMaxSpeed(1000);
    object.SetThrust(100);
    object.Thrust(1000);
    EXPECT_NEAR(object.Velocity().y, 100.0, 1e-4) << "heading 0 faces +y";
    object.SetVelocity(Vector3(0, 0, 0));
    object.SetHeading(90);
    object.Thrust(500);
    EXPECT_NEAR(object.Velocity().x, -50.0, 1e-4) << "heading 90 faces -x";
    object.Thrust(0);
    object.Thrust(-5);
    EXPECT_NEAR(object.Velocity().x, -50.0, 1e-4);
}

TEST(GameObject, WrapKeepsTheUpperBoundAndFarValues)
{
    GameObject object;
    object.SetPosition(Vector3(320, -1, 0));
    object.Wrap(320, 640);
    EXPECT_EQ(object.Position().x, 320.0) << "x equal to the width stays";
    EXPECT_EQ(object.Position().y, 639.0);
    object.SetPosition(Vector3(-330, 1290, 0));
    object.Wrap(320, 640);
    EXPECT_EQ(object.Position().x, 310.0);
    EXPECT_EQ(object.Position().y, 10.0);
    object.SetPosition(Vector3(1e300, std::numeric_limits<double>::infinity(), 0));
    object.Wrap(320, 640);
    EXPECT_GE(object.Position().x, 0.0);
    EXPECT_LE(object.Position().x, 320.0);
    EXPECT_EQ(object.Position().y, 0.0);
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

TEST(GameObject, CollidesAcrossTheSeam)
{
    Block left(2, 100);
    Block right(318, 100);
    EXPECT_TRUE(left.Collides(&right, 320, 320));
    EXPECT_TRUE(right.Collides(&left, 320, 320));
    Block far(300, 100);
    EXPECT_FALSE(left.Collides(&far, 320, 320));
    Block diagonal(9, 109);
    EXPECT_FALSE(left.Collides(&diagonal, 320, 320)) << "circles touch, squares do not";
    GameObject empty;
    empty.SetRadius(50);
    empty.SetPosition(Vector3(2, 100, 0));
    EXPECT_FALSE(left.Collides(&empty, 320, 320)) << "an empty hull never collides";
    EXPECT_FALSE(left.Collides(nullptr, 320, 320));
}

TEST(GameObject, BounceMirrorsAboutTheEdgeOrReverses)
{
    Block wall(100, 100);
    GameObject ball;
    ball.SetPosition(Vector3(100, 90, 0)); // above the top edge
    ball.SetVelocity(Vector3(3, 5, 0));
    EXPECT_TRUE(ball.Bounce(&wall));
    EXPECT_NEAR(ball.Velocity().x, 3.0, 1e-9);
    EXPECT_NEAR(ball.Velocity().y, -5.0, 1e-9);

    GameObject lonely;
    lonely.SetVelocity(Vector3(3, 5, 0));
    GameObject nothing;
    EXPECT_FALSE(lonely.Bounce(&nothing));
    EXPECT_EQ(lonely.Velocity().x, -3.0);
    EXPECT_EQ(lonely.Velocity().y, -5.0);
}

} // namespace
