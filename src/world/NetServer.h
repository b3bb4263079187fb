#pragma once

#include "base/Singleton.h"

class World;

// The server side's process-wide object. The player's program only asks it
// for the server's world (the missile's steering reads the world's size
// from it); the game server gives it one.
class NetServer : public Singleton<NetServer> {
public:

    World* GetWorld() const { return world; }
    void SetWorld(World* serverWorld) { world = serverWorld; }

private:
    friend class Singleton<NetServer>;
    NetServer();

    World* world = nullptr;
};
