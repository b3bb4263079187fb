#include "world/Ship.h"

#include <algorithm>
#include <cstring>

#include "base/TextCopy.h"
#include "world/Contacts.h"
#include "world/Powerup.h"
#include "world/Weapons.h"

bool showPlayerNames = true;

namespace {

struct Design {
    const char* picture;
    std::vector<Polygon> body;
    Vector3 nose;
};

const std::vector<Design>& Designs()
{
    static const std::vector<Design> designs = {
        {"Triship.tga", {{{6, -7}, {-1, 11}, {-8, -7}}}, {-1, 18, 0}},
        {"Curveship.tga", {{{-10, 5}, {-8, -8}, {-3, -11}, {3, -11}, {8, -8}, {10, 5}, {0, 8}}}, {0, 15, 0}},
        {"Trekship.tga", {{{-10, -3}, {-10, -5}, {-4, -10}, {4, -10}, {10, -5}, {10, -3}, {0, 11}}}, {0, 18, 0}},
        {"Xship.tga", {{{-10, 4}, {-10, -8}, {10, -8}, {10, 4}, {0, 11}}}, {0, 18, 0}},
        {"Yship.tga", {{{-7, -6}, {-3, -11}, {3, -11}, {7, -6}, {0, 0}}, {{-10, 7}, {-10, -7}, {10, -7}, {10, 7}}},
         {0, 14, 0}},
        {"Twoship.tga", {{{-10, -6}, {10, -6}, {0, 0}}, {{-5, -2}, {5, -2}, {0, 10}}}, {0, 18, 0}},
    };
    return designs;
}

} // namespace

Ship::Ship()
{
    type = kTypeShip;
    SetShipType(4);
}

const char* Ship::PictureOf(int design)
{
    return design >= 0 && design < kDesigns ? Designs()[static_cast<std::size_t>(design)].picture : "Triship.tga";
}

void Ship::SetShipType(int t)
{
    shipType = t;
    hull.clear();
    if (t >= 0 && t < kDesigns) {
        const Design& design = Designs()[static_cast<std::size_t>(t)];
        hull = design.body;
        noseOffset = design.nose;
    } else {
        hull.emplace_back();
    }
    shieldHull.assign(1, Polygon::Octagon16());
    SetTurnRate(360.0f);
    SetThrust(700.0f);
    SetMaxSpeed(768.0f);
    SetRadius(16.0f);
    maxFuel = kStandardTank;
    SetFuel(kStandardTank);
    fuelSearchRadius = 2;
}

void Ship::SetFuel(float v)
{
    if (v >= 0.0f && v <= maxFuel)
        fuel = v;
}

void Ship::SetMaxFuel(float v)
{
    if (v >= 0.0f)
        maxFuel = v;
}

bool Ship::UseFuel(float cost)
{
    if (cost > fuel)
        return false;
    fuel -= cost;
    return true;
}

void Ship::SetScore(signed char v)
{
    if (v > -127 && v < 127)
        score = v;
}

void Ship::SetName(const char* newName)
{
    if (!newName)
        return;
    TrackedBuffer copy(std::strlen(newName) + 1);
    if (copy.Empty())
        return;
    std::memcpy(copy.Data(), newName, std::strlen(newName));
    name = std::move(copy);
}

void Ship::GetName(char* buffer, int size) const
{
    if (!name.Empty())
        CopyText(buffer, size, name.Text());
}

void Ship::TakePowerup(int kind)
{
    for (const WeaponRow& row : kWeapons) {
        if (row.pickup != kind)
            continue;
        flags |= row.needs;
        SetRounds(row.ammunition, static_cast<signed char>(std::min(Rounds(row.ammunition) + row.perPickup, row.most)));
    }
    switch (kind) {
    case kPowerupTank:
        maxFuel = kLargeTank;
        flags |= kFlagLargeTank;
        break;
    case kPowerupFuel: fuel = maxFuel; break;
    case kPowerupCloak: flags |= kFlagCloakDevice; break;
    default: break;
    }
}

void Ship::OnHit(GameObject* other)
{
    if (!other)
        return;
    if (!IsShielded()) {
        if (other->GetType() == kTypePowerup)
            TakePowerup(static_cast<Powerup*>(other)->GetKind());
        else
            Kill();
        return;
    }
    const ContactRow* contact = ContactOf(other->GetType());
    switch (contact ? contact->shield : ShieldDoes::Nothing) {
    case ShieldDoes::Bounces: {
        const Vector3 before = velocity;
        if (Bounce(other)) {
            const Vector3 impact = before + other->Velocity();
            UseFuel(contact->charge * static_cast<float>(impact.Dot(impact) / maxSpeedSquared));
        }
        break;
    }
    case ShieldDoes::Pays:
        if (!UseFuel(contact->charge)) {
            fuel = 0.0f;
            Kill();
        }
        break;
    case ShieldDoes::Nothing: break;
    }
}

bool Ship::Collides(GameObject* other, float worldWidth, float worldHeight)
{
    // Two raised shields meet as soon as their circles do.
    const bool bothShielded =
        other && other->GetType() == kTypeShip && IsShielded() && static_cast<Ship*>(other)->IsShielded();
    return CollidesUsing(IsShielded() ? shieldHull : hull, other, worldWidth, worldHeight, bothShielded);
}

void Ship::Respawn(float x, float y)
{
    GameObject::Respawn(x, y);
    maxFuel = kStandardTank;
    fuel = maxFuel;
    flags = 0;
    rounds = {};
}
