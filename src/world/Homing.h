#pragma once

class GameObject;

// A shot that steers at a ship the server picks for it. The server finds
// such shots through GameObject::AsHoming, so a new homing weapon needs no
// case of its own there.
class Homing {
public:
    virtual GameObject* HomingTarget() const = 0;
    virtual void SetHomingTarget(GameObject* object) = 0;

protected:
    ~Homing() = default;
};
