#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Drawable.h"
#include "world/Homing.h"
#include "world/Polygon.h"
#include "world/Vector3.h"

// Entity type codes.
enum EntityType : int {
    kTypeMap = 0,
    kTypeShip = 1,
    kTypeBullet = 2,
    kTypeMissile = 3,
    kTypeMine = 4,
    kTypePlasmaMine = 5,
    kTypePowerup = 6,
    kTypeTurret = 7,
    kTypeShrapnel = 8,
};

// Drawing adds every hull outline when set (F12).
extern bool showCollisionOutlines;

// The base of everything in the game world: identity, life and respawn
// timing, motion, heading and the collision shape. The server decides what
// happens; the player's side moves objects between its reports.
class GameObject : public Drawable {
public:
    GameObject() = default;
    ~GameObject() override = default;

    bool Draw(int camX, int camY) override;
    // One step of its own rules, ms long, ending at now on its world's clock.
    virtual void Update(int ms, std::uint64_t now);
    // Its world took it at now: a lifetime counts from there.
    virtual void StartLife(std::uint64_t) {}
    virtual void OnHit(GameObject* other);
    virtual void Kill();
    virtual void Respawn(float x, float y);
    virtual void ForceRespawn(float x, float y);
    virtual bool Collides(GameObject* other, float worldWidth, float worldHeight);
    // The steering of a shot that homes, or null.
    virtual Homing* AsHoming() { return nullptr; }
    virtual const Homing* AsHoming() const { return nullptr; }

    int GetId() const { return id; }
    void SetId(int newId) { id = newId; }
    int GetType() const { return type; }

    void GetPosition(Vector3& out) const { out = position; }
    const Vector3& Position() const { return position; }
    void SetPosition(const Vector3& v);
    void GetVelocity(Vector3& out) const { out = velocity; }
    const Vector3& Velocity() const { return velocity; }
    void SetVelocity(const Vector3& v) { velocity.Set(v.x, v.y, v.z); }
    void GetTarget(Vector3& out) const { out = target; }
    const Vector3& Target() const { return target; }
    void SetTarget(const Vector3& v);

    float GetHeading() const { return heading; }
    void SetHeading(float degrees);
    float GetTurnRate() const { return turnRate; }
    void SetTurnRate(float rate);
    float GetThrust() const { return thrust; }
    void SetThrust(float acceleration);
    float GetMaxSpeed() const { return maxSpeed; }
    void SetMaxSpeed(float speed);
    float GetRadius() const { return radius; }
    void SetRadius(float r);
    int Width() const { return width; }
    int Height() const { return height; }

    void AddVelocity(const Vector3& dv);
    void Thrust(int ms);
    void Wrap(int worldWidth, int worldHeight);
    void TickDead(int ms);
    bool ReadyToRespawn() const { return deadTime >= respawnDelay; }
    bool IsAlive() const { return alive; }
    int DeadTime() const { return deadTime; }
    int RespawnDelay() const { return respawnDelay; }

    void AddHullPolygon(const Polygon* polygon);
    void ClearHull() { hull.clear(); }
    const std::vector<Polygon>& Hull() const { return hull; }

    // Rebounds off other's outline: mirrored about the edge touched, or
    // reversed when none (or a zero-length one) was. True for a real edge.
    bool Bounce(GameObject* other);

protected:
    // The base collision test with this object's outline set given; with
    // circleDecides, touching circles are a collision whatever the outlines.
    bool CollidesUsing(const std::vector<Polygon>& ownHull, GameObject* other, float worldWidth, float worldHeight,
                       bool circleDecides = false);
    // Draws every outline of a set rotated by the heading at the screen point.
    void DrawOutlines(const std::vector<Polygon>& outlines, int screenX, int screenY) const;
    // The default picture quad: the first texture, turned by the heading.
    void DrawSprite(int screenX, int screenY, int textureIndex) const;
    int ScreenX(int camX) const;
    int ScreenY(int camY) const;

    bool alive = false;
    int deadTime = 5010;
    int respawnDelay = 5000;
    int id = 0;
    int type = 0;
    Vector3 position;
    Vector3 velocity;
    Vector3 target;
    float maxSpeed = 1.0f;
    float maxSpeedSquared = 1.0f;
    int width = 32;
    int height = 32;
    float heading = 0.0f;
    float turnRate = 0.0f;
    float thrust = 0.0f;
    float radius = 0.0f;
    float radiusSquared = 0.0f;
    std::vector<Polygon> hull;
};
