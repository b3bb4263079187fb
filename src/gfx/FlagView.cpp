#include "gfx/FlagView.h"

#include "gfx/Renderer.h"
#include "net/NetClient.h"
#include "world/GameObject.h"
#include "world/Ship.h"
#include "world/World.h"

namespace {

constexpr const char* kFlagPictures[kTeams] = {"flag_red.tga", "flag_blue.tga"};
constexpr const char* kBasePictures[kTeams] = {"base_red.tga", "base_blue.tga"};
// A carried flag is held up at the carrier's right, clear of its hull.
constexpr double kHeldRight = 14.0, kHeldUp = 14.0;

// One picture standing upright at a point of the world, drawn through the
// map's wrap-around as any entity.
class FlagMark : public GameObject {
public:
    FlagMark(const char* file, const Vector3& at) : picture(file)
    {
        SetPosition(at);
        alive = true;
    }
    bool LoadTextures() override
    {
        Acquire(picture);
        return true;
    }

private:
    const char* picture;
};

void DrawMark(const char* picture, const Vector3& at)
{
    FlagMark mark(picture, at);
    Renderer::Instance()->DrawObject(&mark);
}

} // namespace

KnownFlags FlagsHeard(const NetClient& client)
{
    KnownFlags known;
    for (Team team : {Team::Red, Team::Blue}) {
        const auto i = TeamIndex(team);
        if (const Flag* flag = client.FlagOf(team))
            known.flags[i] = *flag;
        if (const Vector3* base = client.BaseOf(team))
            known.bases[i] = *base;
    }
    return known;
}

const Ship* LivingCarrier(const Flag& flag, World& world)
{
    const Ship* carrier = flag.place == FlagPlace::Carried ? world.FindShip(flag.carrier) : nullptr;
    return carrier && carrier->IsAlive() ? carrier : nullptr;
}

Vector3 FlagShownAt(const Flag& flag, World& world)
{
    const Ship* carrier = LivingCarrier(flag, world);
    return carrier ? carrier->Position() : flag.at;
}

void DrawBases(const KnownFlags& known)
{
    for (std::size_t i = 0; i < kTeams; ++i) {
        if (known.bases[i])
            DrawMark(kBasePictures[i], *known.bases[i]);
    }
}

void DrawFlags(const KnownFlags& known, World& world)
{
    for (std::size_t i = 0; i < kTeams; ++i) {
        if (!known.flags[i])
            continue;
        const Ship* carrier = LivingCarrier(*known.flags[i], world);
        // World y grows down the screen.
        const Vector3 at = carrier ? Vector3(carrier->Position().x + kHeldRight, carrier->Position().y - kHeldUp, 0.0)
                                   : known.flags[i]->at;
        DrawMark(kFlagPictures[i], at);
    }
}
