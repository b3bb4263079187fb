#include "server/game/Robot.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "server/game/Player.h"
#include "server/game/Simulation.h"
#include "world/Contacts.h"
#include "world/Map.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Trig.h"
#include "world/Weapons.h"

namespace {

constexpr double kHalfWidth = Ship::kHalfSize; // a ship's half width for clear lines
constexpr double kBraking = 450.0;        // what it counts on to stop, thrust less the time to turn
constexpr double kLowFuel = 0.45;         // of a full tank: time to refuel
constexpr double kFullEnough = 0.95;      // refuelled
constexpr double kHurriedLowFuel = 0.3;   // the same on the way for a flag
constexpr double kHurriedFullEnough = 0.5;
constexpr float kDepotWorthIt = 20.0f;    // a fuel block with less left is passed by
constexpr double kPickupReach = 520.0;    // powerups nearer than this are fetched
constexpr double kHoldingDistance = 200.0;
constexpr int kGraceMs = 4000;            // a ship just come back is left alone this long
constexpr double kGuardReach = 700.0;     // an enemy this near its base is a guard's to fight
constexpr int kStuckMs = 2000;            // barely moving this long, it is stuck
constexpr int kDetourMs = 4000;           // ... and tries elsewhere until this much of its wander is left
constexpr double kChaseReach = 800.0;     // its flag this near, carried or lying, is gone after
constexpr double kEscortReach = 600.0;    // an enemy this near its side's carrier is an escort's to fight
constexpr double kThreatRange = 250.0;     // a homing shot nearer and closing is worth a repulse
constexpr double kCrawl = 30.0;           // slow enough to brake rather than shield against a wall
constexpr double kHullReach = Ship::kHalfSize - 1.0; // how far a hull reaches from its centre along x or y
constexpr double kWallMargin = Ship::kHalfSize; // the hull's reach ahead of its centre: a wall keeps to its cell
constexpr float kShieldReserve = 15.0f;   // fuel below which it takes a hit rather than shield
constexpr float kBrakeReserve = 12.0f;    // kept back beyond what the shield pays for a hit

// The highest speed from which a ship stops within room, turning around
// first (half a second at worst) and then thrusting against its motion.
double SafeSpeed(double room, double thrust)
{
    if (room <= 0.0)
        return 0.0;
    return (-0.5 + std::sqrt(0.25 + 2.0 * room / thrust)) * thrust;
}

// The point to aim at so that a bullet, leaving at speed relative to the
// shooter, meets a target at offset r moving at relative velocity u; the
// target itself when no meeting exists.
Vector3 Lead(const Vector3& r, const Vector3& u, double speed)
{
    const double a = u.Dot(u) - speed * speed;
    const double b = 2.0 * r.Dot(u);
    const double c = r.Dot(r);
    double t = -1.0;
    if (std::fabs(a) < 1e-6) {
        if (b < 0.0)
            t = -c / b;
    } else {
        const double disc = b * b - 4.0 * a * c;
        if (disc >= 0.0) {
            const double root = std::sqrt(disc);
            const double t1 = (-b - root) / (2.0 * a);
            const double t2 = (-b + root) / (2.0 * a);
            t = t1 > 0.0 && (t1 < t2 || t2 <= 0.0) ? t1 : t2;
        }
    }
    return t > 0.0 ? r + u * t : r;
}

// A ship's velocity with its length: the stored one keeps a stale length.
Vector3 Moving(const GameObject& object)
{
    return {object.Velocity().x, object.Velocity().y, 0.0};
}

float HeadingOf(const Vector3& d)
{
    return HeadingAlong(d.x, d.y);
}

const Flag* FlagOf(const Simulation& game, Team team)
{
    for (const Flag& flag : game.Mode().Flags()) {
        if (flag.team == team)
            return &flag;
    }
    return nullptr;
}

// Every third pilot of a side, in the order they came, stays by its flag.
bool Guards(const Simulation& game, const Player& self)
{
    int rank = 0;
    for (const auto& pilot : game.Players()) {
        if (pilot.get() == &self)
            break;
        if (self.IsTeammate(*pilot))
            ++rank;
    }
    return rank % 3 == 1;
}

// The eight ways round a ship in which it feels for walls, every 45 degrees.
const std::array<Vector3, 8>& Compass()
{
    static const std::array<Vector3, 8> ways = [] {
        std::array<Vector3, 8> table;
        for (int i = 0; i < 8; ++i)
            table[static_cast<std::size_t>(i)] = HeadingDirection(static_cast<float>(i * 45));
        return table;
    }();
    return ways;
}

} // namespace

Robot::Robot(const RobotSkill& skill, unsigned seed) : skill(skill), random(seed) {}

bool Robot::Chance(float odds)
{
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(random) < odds;
}

HeldKeys Robot::Think(const Simulation& game, const Player& self, int ms)
{
    const Ship& ship = self.GetShip();
    if (!ship.IsAlive() || !game.CurrentMap() || game.IsRoundOver()) {
        sinceDecision = 1 << 20;
        return {};
    }
    navigator = &game.Shape();
    sinceDecision += ms;
    wanderMs -= ms;
    if (Moving(ship).Length() < 25.0 && !arrived)
        stuckMs += ms;
    else
        stuckMs = 0;
    if (sinceDecision >= skill.reactionMs) {
        Decide(game, self);
        sinceDecision = 0;
    }
    return Steer(game, ship);
}

const Ship* Robot::Target(const Simulation& game) const
{
    const Player* player = targetShip ? game.FindPlayer(targetShip) : nullptr;
    if (!player)
        return nullptr;
    const Ship& ship = player->GetShip();
    return ship.IsAlive() && !ship.HasFlags(kFlagCloaked) ? &ship : nullptr;
}

void Robot::Decide(const Simulation& game, const Player& self)
{
    const Ship& ship = self.GetShip();
    ChooseTarget(game, self);
    aimError = std::normal_distribution<float>(0.0f, skill.aimErrorDegrees)(random);
    arrived = false;

    const double fuelShare = ship.GetFuel() / std::max(1.0f, ship.GetMaxFuel());
    // On its way for a flag, or home with one, it stops for fuel only when
    // it would not make it else.
    const bool carrying = Carries(game, self);
    const bool hurried = carrying;
    const bool refuelling = goal == Goal::Refuel && fuelShare < (hurried ? kHurriedFullEnough : kFullEnough);
    if ((refuelling || fuelShare < (hurried ? kHurriedLowFuel : kLowFuel)) && PlanRefuel(game, ship)) {
        goal = Goal::Refuel;
    } else if (carrying) {
        goal = Goal::Flag;
        PlanCarry(game, self);
    } else if (PlanFlag(game, self)) {
        // its goal is chosen
    } else if (!engaged && PlanPickup(game, ship)) {
        goal = Goal::Pickup;
    } else if (const Ship* target = Target(game)) {
        goal = Goal::Hunt;
        Head(ship, target->Position(), false);
    } else {
        goal = Goal::Wander;
        PlanWander(ship);
    }
    ConsiderDevices(game, ship);
}

void Robot::ChooseTarget(const Simulation& game, const Player& self)
{
    const Ship& ship = self.GetShip();
    targetShip = 0;
    engaged = false;
    double nearest = 0.0;
    for (const auto& other : game.Players()) {
        const Ship& them = other->GetShip();
        if (!them.IsAlive()) {
            aliveFor.erase(them.GetId());
            continue;
        }
        const int seen = aliveFor[them.GetId()] += std::min(sinceDecision, 1000);
        if (other.get() == &self || self.IsTeammate(*other) || them.HasFlags(kFlagCloaked) || seen < kGraceMs ||
            std::find(spared.begin(), spared.end(), them.GetId()) != spared.end())
            continue;
        const double distance = navigator->Offset(ship.Position(), them.Position()).Length();
        if (!targetShip || distance < nearest) {
            targetShip = them.GetId();
            nearest = distance;
        }
    }
    if (const Ship* target = Target(game))
        engaged = nearest < skill.engageRange && navigator->ClearLine(ship.Position(), target->Position(), 4.0);
}

bool Robot::PlanRefuel(const Simulation& game, const Ship& ship)
{
    const FuelDepots& depots = game.Depots();
    const auto besideFuel = [&](const Navigator::Cell& cell) {
        for (int dc = -1; dc <= 1; ++dc) {
            for (int dr = -1; dr <= 1; ++dr) {
                if (depots.Level(cell.column + dc, cell.row + dr) >= kDepotWorthIt)
                    return true;
            }
        }
        return false;
    };
    const std::vector<Navigator::Cell> route = navigator->Route(ship.Position(), besideFuel);
    if (route.empty())
        return false;
    destination = ship.Position() + navigator->Offset(ship.Position(), navigator->CentreOf(route.back()));
    waypoint = navigator->Waypoint(ship.Position(), route, kHalfWidth);
    arrived = route.size() == 1;
    return true;
}

bool Robot::PlanPickup(const Simulation& game, const Ship& ship)
{
    const GameObject* best = nullptr;
    double nearest = kPickupReach;
    for (const GameObject* entity : game.GetWorld().Entities()) {
        if (entity->GetType() != kTypePowerup || !entity->IsAlive())
            continue;
        const double distance = navigator->Offset(ship.Position(), entity->Position()).Length();
        if (distance < nearest) {
            best = entity;
            nearest = distance;
        }
    }
    if (!best)
        return false;
    const Navigator::Cell goalCell = navigator->CellOf(best->Position());
    const auto there = [&](const Navigator::Cell& cell) {
        return cell.column == goalCell.column && cell.row == goalCell.row;
    };
    const std::vector<Navigator::Cell> route = navigator->Route(ship.Position(), there, 4096);
    if (route.empty())
        return false;
    destination = ship.Position() + navigator->Offset(ship.Position(), best->Position());
    waypoint = navigator->ClearLine(ship.Position(), destination, kHalfWidth)
                   ? destination
                   : navigator->Waypoint(ship.Position(), route, kHalfWidth);
    return true;
}

bool Robot::Carries(const Simulation& game, const Player& self)
{
    const Flag* theirs = FlagOf(game, OtherTeam(self.GetTeam()));
    return theirs && theirs->carrier == self.ShipId();
}

void Robot::PlanCarry(const Simulation& game, const Player& self)
{
    const Flag* mine = FlagOf(game, self.GetTeam());
    if (!mine)
        return;
    // Its own flag away, it waits at home for the others to bring it back,
    // unless none of them is nearer it: alone, it would wait for ever.
    if (mine->place != FlagPlace::Home && NearestOfSide(game, self, mine->at) && Recover(game, self, *mine))
        return;
    Head(self.GetShip(), mine->home, true);
}

bool Robot::NearestOfSide(const Simulation& game, const Player& self, const Vector3& to) const
{
    const double mine = navigator->Offset(self.GetShip().Position(), to).Length();
    for (const auto& pilot : game.Players()) {
        if (pilot.get() != &self && self.IsTeammate(*pilot) && pilot->GetShip().IsAlive() &&
            navigator->Offset(pilot->GetShip().Position(), to).Length() < mine)
            return false;
    }
    return true;
}

bool Robot::Recover(const Simulation& game, const Player& self, const Flag& mine)
{
    if (mine.place == FlagPlace::Carried)
        return HuntCarrier(game, self, mine);
    goal = Goal::Flag;
    Head(self.GetShip(), mine.at, false);
    return true;
}

bool Robot::PlanFlag(const Simulation& game, const Player& self)
{
    const Flag* mine = FlagOf(game, self.GetTeam());
    const Flag* theirs = FlagOf(game, OtherTeam(self.GetTeam()));
    if (!mine || !theirs)
        return false;
    // Stuck on the way, it tries elsewhere for a while before it goes on.
    if ((goal == Goal::Flag && stuckMs > kStuckMs) || (goal == Goal::Wander && wanderMs > kDetourMs))
        return false;
    const Ship& ship = self.GetShip();
    const bool guard = Guards(game, self);
    // Its flag carried off or lying is the business of those near it and
    // the guards; the others keep on for the enemy's.
    if (mine->place != FlagPlace::Home &&
        (guard || navigator->Offset(ship.Position(), mine->at).Length() < kChaseReach) &&
        Recover(game, self, *mine))
        return true;
    if (guard) {
        const Ship* target = Target(game);
        if (target && navigator->Offset(mine->home, target->Position()).Length() < kGuardReach)
            return false;
        goal = Goal::Flag;
        Head(ship, mine->home, true);
        return true;
    }
    // Neither side scores until one flag is home: its own away, it goes
    // for it however far rather than keep by its carrier.
    if (theirs->place == FlagPlace::Carried)
        return mine->place != FlagPlace::Home ? Recover(game, self, *mine) : PlanEscort(game, self, *theirs);
    goal = Goal::Flag;
    Head(ship, theirs->at, false);
    return true;
}

bool Robot::HuntCarrier(const Simulation& game, const Player& self, const Flag& mine)
{
    const Ship& ship = self.GetShip();
    targetShip = mine.carrier;
    const Ship* carrier = Target(game);
    if (!carrier) {
        targetShip = 0;
        return false;
    }
    goal = Goal::Hunt;
    engaged = navigator->ClearLine(ship.Position(), carrier->Position(), 4.0);
    Head(ship, carrier->Position(), false);
    return true;
}

bool Robot::PlanEscort(const Simulation& game, const Player& self, const Flag& theirs)
{
    const Ship& ship = self.GetShip();
    const Vector3 carrier = theirs.at;
    // The enemy nearest the carrier is the one to fight; with none about,
    // it keeps by the carrier's side.
    targetShip = 0;
    double nearest = kEscortReach;
    for (const auto& other : game.Players()) {
        const Ship& them = other->GetShip();
        if (self.IsTeammate(*other) || other.get() == &self || !them.IsAlive() || them.HasFlags(kFlagCloaked))
            continue;
        const double distance = navigator->Offset(carrier, them.Position()).Length();
        if (distance < nearest) {
            targetShip = them.GetId();
            nearest = distance;
        }
    }
    if (const Ship* target = Target(game)) {
        goal = Goal::Hunt;
        engaged = navigator->Offset(ship.Position(), target->Position()).Length() < skill.engageRange &&
                  navigator->ClearLine(ship.Position(), target->Position(), 4.0);
        Head(ship, target->Position(), false);
        return true;
    }
    engaged = false;
    goal = Goal::Escort;
    Head(ship, carrier, true);
    return true;
}

void Robot::Head(const Ship& ship, const Vector3& to, bool stay)
{
    staying = stay;
    destination = ship.Position() + navigator->Offset(ship.Position(), to);
    if (navigator->ClearLine(ship.Position(), destination, kHalfWidth)) {
        waypoint = destination;
        return;
    }
    const Navigator::Cell goalCell = navigator->CellOf(to);
    std::vector<Navigator::Cell> route;
    // A flag's place stands still, and the shape keeps its steps.
    if (goal == Goal::Flag) {
        route = navigator->RouteTo(ship.Position(), goalCell);
    } else {
        const auto there = [&](const Navigator::Cell& cell) {
            return cell.column == goalCell.column && cell.row == goalCell.row;
        };
        route = navigator->Route(ship.Position(), there);
    }
    waypoint = route.empty() ? destination : navigator->Waypoint(ship.Position(), route, kHalfWidth);
}

void Robot::PlanWander(const Ship& ship)
{
    if (wanderMs <= 0 || stuckMs > kStuckMs) {
        std::uniform_int_distribution<int> column(0, std::max(0, navigator->Columns() - 1));
        std::uniform_int_distribution<int> row(0, std::max(0, navigator->Rows() - 1));
        for (int tries = 0; tries < 50; ++tries) {
            const Navigator::Cell cell{column(random), row(random)};
            if (!navigator->Blocked(cell.column, cell.row)) {
                destination = ship.Position() + navigator->Offset(ship.Position(), navigator->CentreOf(cell));
                break;
            }
        }
        wanderMs = 8000;
        stuckMs = 0;
    }
    const Navigator::Cell goalCell = navigator->CellOf(destination);
    const auto there = [&](const Navigator::Cell& cell) {
        return cell.column == goalCell.column && cell.row == goalCell.row;
    };
    const std::vector<Navigator::Cell> route = navigator->Route(ship.Position(), there);
    if (route.size() <= 1) {
        wanderMs = 0;
        waypoint = destination;
        return;
    }
    waypoint = navigator->Waypoint(ship.Position(), route, kHalfWidth);
}

void Robot::ConsiderDevices(const Simulation& game, const Ship& ship)
{
    devices = {};
    const Ship* target = Target(game);
    const Vector3 toTarget = target ? navigator->Offset(ship.Position(), target->Position()) : Vector3();
    const double distance = target ? toTarget.Length() : 1e9;
    // Whether a weapon's moment has come, before the dice.
    const auto due = [&](const RobotUse& use) {
        const bool inRange = target && distance > use.nearest && distance < use.farthest;
        switch (use.moment) {
        case Moment::Aimed: return false;
        case Moment::Engaged: return inRange && engaged;
        case Moment::Chased: return inRange && std::fabs(TurnBetween(ship.GetHeading(), HeadingOf(toTarget))) > 120.0f;
        case Moment::Threatened: return inRange || HomingShotClosing(game, ship);
        }
        return false;
    };
    for (const WeaponRow& row : kWeapons) {
        if (ship.Rounds(row.ammunition) > 0 && ship.GetFuel() > row.robot.fuel && due(row.robot) &&
            Chance(skill.deviceChance))
            devices.Press(row.key);
    }
}

bool Robot::HomingShotClosing(const Simulation& game, const Ship& ship) const
{
    for (const GameObject* entity : game.GetWorld().Entities()) {
        if (!entity->AsHoming() || !entity->IsAlive())
            continue;
        const Vector3 r = navigator->Offset(ship.Position(), entity->Position());
        if (r.Length() < kThreatRange && r.Dot(entity->Velocity() - ship.Velocity()) < 0.0)
            return true;
    }
    return false;
}

// A ship about to meet another head on: in a passage two cells wide
// neither can get out of the way, and unshielded both die. A cloaked ship
// is not seen, and a teammate that cannot hurt is no danger.
bool Robot::ShipClosing(const Simulation& game, const Ship& ship) const
{
    const auto& pilots = game.Players();
    const auto self = std::ranges::find_if(pilots, [&ship](const auto& p) { return &p->GetShip() == &ship; });
    for (const auto& pilot : pilots) {
        const Ship& other = pilot->GetShip();
        if (&other == &ship || !other.IsAlive() || other.HasFlags(kFlagCloaked) ||
            (self != pilots.end() && game.Harmless(**self, *pilot)))
            continue;
        const Vector3 r = navigator->Offset(ship.Position(), other.Position());
        if (r.Length() > 160.0)
            continue;
        const Vector3 u = Moving(other) - Moving(ship);
        const double closing = u.Dot(u);
        if (closing < 1.0)
            continue;
        const double t = -r.Dot(u) / closing;
        if (t >= 0.0 && t <= 0.3 && (r + u * t).Length() < 30.0)
            return true;
    }
    return false;
}

bool Robot::UnderFire(const Simulation& game, const Ship& ship)
{
    const float fuel = ship.GetFuel();
    for (const GameObject* entity : game.GetWorld().Entities()) {
        const ContactRow* contact = ContactOf(entity->GetType());
        if (!contact || !contact->IsShot() || !entity->IsAlive())
            continue;
        const Vector3 r = navigator->Offset(ship.Position(), entity->Position());
        if (r.Length() > 320.0)
            continue;
        const Vector3 u = entity->Velocity() - ship.Velocity();
        const double closing = u.Dot(u);
        if (closing < 1.0)
            continue;
        const double t = -r.Dot(u) / closing;
        if (t < 0.0 || t > 0.3 || (r + u * t).Length() > 26.0)
            continue;
        // Enough for what the shield pays to stop it, with some kept back
        // to brake with.
        const float paid = contact->shield == ShieldDoes::Pays ? contact->charge : 0.0f;
        if (fuel >= std::max(kShieldReserve, paid + kBrakeReserve))
            return true;
    }
    return false;
}

HeldKeys Robot::Steer(const Simulation& game, const Ship& ship)
{
    const Vector3 me = ship.Position();
    const Vector3 v = Moving(ship);
    const Ship* target = Target(game);
    // On its way to a flag's place, or low on fuel, it flies there rather
    // than fight: a fight burns the fuel it needs to brake and shield.
    const bool aiming = engaged && target && goal != Goal::Flag && goal != Goal::Refuel;
    const Vector3 desired = KeptOffWalls(ship, Desired(me, aiming ? target : nullptr));
    const Peril peril = PerilAhead(ship, v);
    const Vector3 steer = peril.danger ? Braked(peril.brake, desired - v) : desired - v;
    HeldKeys keys = Flown(ship, v, steer, aiming && !peril.danger ? target : nullptr, peril.danger);
    // A wall met bare is the end whatever fuel is left: the last of it
    // goes on the shield. A ship met head on may yet turn aside.
    if ((peril.impact && ship.GetFuel() > 0.0f) || (ShipClosing(game, ship) && ship.GetFuel() >= kBrakeReserve) ||
        UnderFire(game, ship))
        keys.Press(kKeyShields);
    if (goal == Goal::Refuel && navigator->Offset(me, destination).Length() < 48.0)
        keys.Press(kKeyFuelUp);
    if (goal == Goal::Hunt && ship.HasFlags(kFlagCloakDevice) && ship.GetFuel() > 0.5f * ship.GetMaxFuel())
        keys.Press(kKeyCloak);
    // Flying for a flag, it still fires at an enemy that crosses its nose.
    if (goal == Goal::Flag && engaged && target && ship.GetFuel() > 2.0f &&
        std::fabs(TurnBetween(ship.GetHeading(), HeadingOf(navigator->Offset(me, target->Position())))) <
            skill.fireTolerance &&
        navigator->ClearLine(me, me + navigator->Offset(me, target->Position()), 3.0))
        keys.Press(kKeyFire);
    for (const WeaponRow& row : kWeapons) {
        if (row.ammunition != Ammunition::None && devices.Holds(row.key))
            keys.Press(row.key);
    }
    devices = {};
    return keys;
}

Vector3 Robot::Desired(const Vector3& me, const Ship* target)
{
    const Vector3 toWaypoint = navigator->Offset(me, waypoint);
    const double remaining = navigator->Offset(me, destination).Length();
    if (goal == Goal::Refuel && (arrived || remaining < 24.0)) {
        arrived = true;
        return navigator->Offset(me, destination) * 2.0;
    }
    if (target) {
        const Vector3 toTarget = navigator->Offset(me, target->Position());
        const double distance = toTarget.Length();
        if (distance > kHoldingDistance + 80.0)
            return toTarget * (std::min(skill.cruiseSpeed, distance - kHoldingDistance) / distance);
        if (distance < kHoldingDistance - 80.0)
            return toTarget * (-120.0 / std::max(1.0, distance));
        return Vector3();
    }
    if (toWaypoint.Length() <= 1.0)
        return Vector3();
    // Slow enough to stop at the end, or to take the next corner.
    const bool stopsThere =
        goal == Goal::Refuel || goal == Goal::Pickup || goal == Goal::Escort || (goal == Goal::Flag && staying);
    const double room = stopsThere ? std::max(0.0, remaining - 16.0) : toWaypoint.Length();
    const double allowed = std::sqrt(2.0 * kBraking * room) + (stopsThere ? 0.0 : 60.0);
    return toWaypoint * (std::min(skill.cruiseSpeed, allowed) / toWaypoint.Length());
}

// Pushed away from any wall that is near, and never faster towards one
// than it could stop from.
Vector3 Robot::KeptOffWalls(const Ship& ship, Vector3 desired) const
{
    const Vector3 me = ship.Position();
    for (const Vector3& out : Compass()) {
        if (navigator->FreeDistance(me, out, 36.0, 0.0) < 36.0)
            desired = desired - out * 90.0;
    }
    if (desired.Length() > 1.0) {
        const Vector3 direction = desired * (1.0 / desired.Length());
        const double room = navigator->FreeDistance(me, direction, 400.0, 6.0) - kWallMargin;
        const double safe = SafeSpeed(room, ship.GetThrust());
        if (desired.Length() > safe)
            desired = direction * safe;
    }
    return desired;
}

// What stopping a motion along a unit direction takes: turning to face
// against it, then thrusting.
double Robot::Stopping(const Ship& ship, const Vector3& direction, double speed)
{
    const double turnTime = std::fabs(TurnBetween(ship.GetHeading(), HeadingOf(direction * -1.0))) / 360.0;
    return speed * turnTime + speed * speed / (2.0 * ship.GetThrust());
}

// Braking where the way ahead ends before the ship could stop. Beside a
// wall only the motion towards it needs stopping: a passage two cells wide
// leaves the hull a few pixels either way, and braking the whole motion
// there would stall every flight down one.
Robot::Peril Robot::PerilAhead(const Ship& ship, const Vector3& v) const
{
    Peril peril;
    const double speed = v.Length();
    if (speed <= 3.0)
        return peril;
    const Vector3 direction = v * (1.0 / speed);
    const double reach = 1.3 * (0.5 * speed + speed * speed / (2.0 * ship.GetThrust())) + 40.0;
    const Navigator::Meeting meeting = navigator->Sweep(ship.Position(), direction, reach, kHullReach);
    if (meeting.distance >= reach)
        return peril;
    const bool by[2] = {meeting.byX, meeting.byY};
    const double along[2] = {v.x, v.y};
    for (int axis = 0; axis < 2; ++axis) {
        const double closing = std::fabs(along[axis]);
        if (!by[axis] || closing <= 1.0)
            continue;
        const double sign = along[axis] > 0.0 ? 1.0 : -1.0;
        const Vector3 way = axis == 0 ? Vector3(sign, 0.0, 0.0) : Vector3(0.0, sign, 0.0);
        const double room = meeting.distance * closing / speed;
        if (room < Stopping(ship, way, closing) * 1.3 + 4.0) {
            peril.danger = true;
            peril.brake = peril.brake - way * closing;
        }
        // Slower, the shield's wider hull would only bounce it about.
        peril.impact = peril.impact || (room < closing * 0.15 + 2.0 && closing > kCrawl);
    }
    return peril;
}

// Braking along the ways in peril, and flying as wanted along the others
// no harder: the nose stays within 45 degrees of the brake, so that most of
// the thrust still stops the ship.
Vector3 Robot::Braked(const Vector3& brake, const Vector3& wanted)
{
    const double most = std::max(std::fabs(brake.x), std::fabs(brake.y));
    const auto other = [most](double w) { return std::clamp(w, -most, most); };
    return {brake.x != 0.0 ? brake.x : other(wanted.x), brake.y != 0.0 ? brake.y : other(wanted.y), 0.0};
}

// Where the nose goes: on the target's lead while fighting, else along the
// change of velocity it wants; thrust when it points that way, fire when
// the target is in line.
HeldKeys Robot::Flown(const Ship& ship, const Vector3& v, const Vector3& steer, const Ship* target, bool danger) const
{
    HeldKeys keys;
    const Vector3 me = ship.Position();
    const float heading = ship.GetHeading();
    float want = heading;
    if (target) {
        const Vector3 lead = Lead(navigator->Offset(me, target->Position()), target->Velocity() - v,
                                  WeaponTable(Weapon::Bullet).speed);
        want = HeadingOf(lead) + aimError;
    } else if (danger || steer.Length() > 15.0) {
        want = HeadingOf(steer);
    }
    const float turn = TurnBetween(heading, want);
    if (turn > 3.0f)
        keys.Press(kKeyTurnRight);
    else if (turn < -3.0f)
        keys.Press(kKeyTurnLeft);
    if ((danger || steer.Length() > 20.0) && std::fabs(TurnBetween(heading, HeadingOf(steer))) < 35.0f)
        keys.Press(kKeyThrust);
    if (target && std::fabs(turn) < skill.fireTolerance && ship.GetFuel() > 2.0f &&
        navigator->ClearLine(me, me + navigator->Offset(me, target->Position()), 3.0))
        keys.Press(kKeyFire);
    return keys;
}
