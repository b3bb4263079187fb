#include "server/game/Reporter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "net/PackedBatch.h"
#include "world/Powerup.h"
#include "world/Ship.h"
#include "world/Shrapnel.h"
#include "world/Torus.h"

namespace {

bool IsReply(int kind)
{
    return kind == kMsgJoin || kind == kMsgWatching;
}

// How fast a thing's claim to a report grows while it is not reported; a
// claim of kDue or more is reported as the share allows, the strongest
// first. Ships on the screen are due at every report and come first, but
// a thing overdue for a second outranks them, so none waits for long:
// far ships are due about once a second, missiles about eight times a
// second. Other moving things fly straight, and every turn of theirs is
// an event: a state every few seconds only guards against drift.
constexpr float kDue = 1.0f;
constexpr float kShipOnScreen = 2.0f;
constexpr float kShipOffScreen = 0.03f;
constexpr float kHoming = 0.25f;
constexpr float kMovingEntity = 0.01f;
constexpr float kShipChanged = 1000.0f;
constexpr float kFarShipClaim = kShipOnScreen * 0.95f; // the most

// The fewest bytes a packed state takes, and a snapshot's header.
constexpr double kSmallestStateCost = 3.0;
constexpr double kSnapshotCost = 7.0;

int ExtraOf(const GameObject& entity)
{
    switch (entity.GetType()) {
    case kTypePowerup: return static_cast<const Powerup&>(entity).GetKind();
    case kTypeShrapnel: return static_cast<const Shrapnel&>(entity).GetVariant();
    default: return 0;
    }
}

Snapshots::Form FormFor(const LinkShare& link)
{
    if (link.Reads() & PackedBatch::kReadsFoldedRuns)
        return Snapshots::Form::kFolded;
    return link.Reads() & PackedBatch::kReadsDeltaRuns ? Snapshots::Form::kRuns : Snapshots::Form::kRecords;
}

bool CompactTiles(const LinkShare& link)
{
    return link.Reads() & PackedBatch::kReadsCompactTiles;
}

bool Moving(const GameObject& entity)
{
    return entity.Velocity().x != 0.0 || entity.Velocity().y != 0.0;
}

[[gnu::noinline]] double FoldedApart(double a, double b, double size)
{
    return std::fabs(FoldDifference(a - b, size));
}

// The distance along one axis of the torus between two points on it. Both
// are within the world once moved, so the fold is seldom needed, and the
// common case has no branch that a processor could guess wrong. The fold
// is a call of its own, so that the common case is small enough to inline
// into the loop over every entity and watcher.
inline double Apart(double a, double b, double size)
{
    const double d = std::fabs(a - b);
    return d <= size ? std::min(d, size - d) : FoldedApart(a, b, size);
}

} // namespace

Reporter::Reporter(const Settings& settings) : settings(settings) {}

template <typename Each>
void Reporter::ForWatching(Each each)
{
    for (int slot = 0; slot < Player::kMaxSlots; ++slot) {
        if (views[static_cast<std::size_t>(slot)].watching)
            each(slot, views[static_cast<std::size_t>(slot)]);
    }
}

void Reporter::ForgetSnapshots(int slot)
{
    snapshots[static_cast<std::size_t>(slot)].Forget();
}

void Reporter::Acknowledge(int slot, std::uint16_t snapshot)
{
    snapshots[static_cast<std::size_t>(slot)].Acknowledge(snapshot);
}

double Reporter::CostTo(int slot, const NetMessage& message) const
{
    const auto& held = snapshots[static_cast<std::size_t>(slot)];
    const LinkShare& link = views[static_cast<std::size_t>(slot)].link;
    return static_cast<double>(message.Kind() == kMsgShipState ? held.Cost(message, FormFor(link))
                                                               : PackedBatch::PackedSize(message, CompactTiles(link)));
}

void Reporter::AddShip(int slot, const Ship* ship, bool watching)
{
    View& view = views[static_cast<std::size_t>(slot)];
    view = View();
    ForgetSnapshots(slot);
    view.ship = ship;
    view.watching = watching;
    if (std::find(shipSlots.begin(), shipSlots.end(), slot) == shipSlots.end())
        shipSlots.push_back(slot);
    view.eye = ship->Position();
    // A full bucket: two reports' worth at once.
    view.tokens = 2.0 * settings.bytesPerSecond / settings.reportRate;
}

void Reporter::AddWatcher(int slot)
{
    // A seat that held a ship holds it no more.
    RemoveShip(slot);
    View& view = views[static_cast<std::size_t>(slot)];
    view.watching = true;
    view.everywhere = true;
    view.tokens = 2.0 * settings.bytesPerSecond / settings.reportRate;
}

void Reporter::RemoveShip(int slot)
{
    views[static_cast<std::size_t>(slot)] = View();
    ForgetSnapshots(slot);
    std::erase(shipSlots, slot);
    for (View& view : views)
        view.shipPriority[static_cast<std::size_t>(slot)] = 0.0f;
    for (auto& [id, entity] : entities) {
        entity.known.reset(static_cast<std::size_t>(slot));
        entity.priority[static_cast<std::size_t>(slot)] = 0.0f;
    }
}

void Reporter::NewRound(int width, int height)
{
    worldWidth = width;
    worldHeight = height;
    entities.clear();
    for (View& view : views)
        view.shipPriority.fill(0.0f);
}

NetMessage& Reporter::Made()
{
    return messages.emplace_back();
}

NetMessage& Reporter::To(int slot)
{
    NetMessage& message = Made();
    View& view = views[static_cast<std::size_t>(slot)];
    if (view.watching)
        view.queue.push_back(&message);
    return message;
}

NetMessage& Reporter::ToAll()
{
    NetMessage& message = Made();
    ForWatching([&](int, View& view) { view.queue.push_back(&message); });
    return message;
}

NetMessage& Reporter::FreshShipState(int slot)
{
    const Ship& ship = *views[static_cast<std::size_t>(slot)].ship;
    NetMessage& message = Made();
    AmmunitionCounts<std::uint8_t> rounds {};
    for (std::size_t i = 0; i < kAmmunitionKinds; ++i)
        rounds[i] = static_cast<std::uint8_t>(ship.Rounds(AmmunitionAt(i)));
    message.SetShipState(ship.GetId(), ship.GetFlags(), ship.GetFuel(), ship.GetMaxFuel(), ship.GetScore(), rounds,
                         ship.Position(), ship.Velocity(), ship.GetHeading());
    return message;
}

NetMessage& Reporter::FreshEntityState(const GameObject& entity)
{
    NetMessage& message = Made();
    message.SetEntityState(entity.GetId(), entity.GetType(), entity.Position(), entity.Velocity(), entity.GetHeading(),
                           ExtraOf(entity));
    return message;
}

const NetMessage& Reporter::ReportedShipState(int slot)
{
    const auto at = static_cast<std::size_t>(slot);
    if (shipStatesBuiltIn[at] != tick) {
        shipStates[at] = &FreshShipState(slot);
        shipStatesBuiltIn[at] = tick;
    }
    return *shipStates[at];
}

const NetMessage& Reporter::ReportedEntityState(EntityView& view)
{
    if (view.builtIn != tick) {
        view.state = &FreshEntityState(*view.entity);
        view.builtIn = tick;
    }
    return *view.state;
}

void Reporter::ShipNow(int slot)
{
    if (!views[static_cast<std::size_t>(slot)].ship)
        return;
    const NetMessage* state = nullptr;
    ForWatching([&](int watcher, View& view) {
        float& claim = view.shipPriority[static_cast<std::size_t>(slot)];
        // Its pilot gets the state as it is now, which the report replaces
        // with a newer one while the ship lives; the others get it at the
        // report, before anything else.
        if (watcher != slot) {
            claim = std::max(claim, kShipChanged);
            return;
        }
        state = state ? state : &FreshShipState(slot);
        QueueShipState(view, slot, *state);
        claim = 0.0f;
    });
}

void Reporter::QueueShipState(View& watcher, int shipSlot, const NetMessage& state)
{
    std::uint32_t& queued = watcher.shipQueued[static_cast<std::size_t>(shipSlot)];
    if (queued) {
        watcher.queue[queued - 1u] = &state;
        return;
    }
    watcher.queue.push_back(&state);
    queued = static_cast<std::uint32_t>(watcher.queue.size());
}

bool Reporter::InView(const Vector3& eye, const Vector3& at, double margin) const
{
    return Apart(at.x, eye.x, worldWidth) <= kViewHalfWidth + margin &&
           Apart(at.y, eye.y, worldHeight) <= kViewHalfHeight + margin;
}

bool Reporter::Sees(const View& watcher, const Vector3& at) const
{
    return watcher.everywhere || InView(watcher.eye, at, 0.0);
}

void Reporter::EntityAppeared(const GameObject& entity, int firedBy)
{
    EntityView& view = entities[entity.GetId()];
    view = EntityView();
    view.entity = &entity;
    const NetMessage* state = nullptr;
    ForWatching([&](int slot, View& watcher) {
        if (Sees(watcher, entity.Position())) {
            if (firedBy && watcher.ship && watcher.ship->GetId() == firedBy) {
                NetMessage& own = Made();
                own.SetOwnShot(entity.GetId());
                watcher.queue.push_back(&own);
            }
            state = state ? state : &FreshEntityState(entity);
            watcher.queue.push_back(state);
            view.known.set(static_cast<std::size_t>(slot));
        }
    });
}

void Reporter::EntityMoved(const GameObject& entity)
{
    const auto found = entities.find(entity.GetId());
    if (found == entities.end())
        return;
    EntityView& view = found->second;
    const NetMessage* state = nullptr;
    ForWatching([&](int slot, View& watcher) {
        if (view.known.test(static_cast<std::size_t>(slot))) {
            state = state ? state : &FreshEntityState(entity);
            watcher.queue.push_back(state);
            view.priority[static_cast<std::size_t>(slot)] = 0.0f;
        }
    });
}

void Reporter::EntityKilled(const GameObject& entity)
{
    const auto found = entities.find(entity.GetId());
    if (found == entities.end())
        return;
    if (found->second.known.any()) {
        NetMessage& killed = Made();
        killed.SetEntityKilled(entity.GetId());
        ForWatching([&](int slot, View& watcher) {
            if (found->second.known.test(static_cast<std::size_t>(slot)))
                watcher.queue.push_back(&killed);
        });
    }
    entities.erase(found);
}

void Reporter::ShipsTo(int slot)
{
    View& watcher = views[static_cast<std::size_t>(slot)];
    for (int other = 0; other < Player::kMaxSlots; ++other) {
        if (watcher.watching && views[static_cast<std::size_t>(other)].ship)
            QueueShipState(watcher, other, FreshShipState(other));
    }
}

void Reporter::EntitiesInView(int slot)
{
    View& watcher = views[static_cast<std::size_t>(slot)];
    if (!watcher.watching)
        return;
    for (auto& [id, view] : entities) {
        if (!view.entity->IsAlive() || !Sees(watcher, view.entity->Position()))
            continue;
        watcher.queue.push_back(&FreshEntityState(*view.entity));
        view.known.set(static_cast<std::size_t>(slot));
        view.priority[static_cast<std::size_t>(slot)] = 0.0f;
    }
}

void Reporter::Tick(int ms)
{
    ForWatching([&](int, View& view) {
        const double rate = settings.bytesPerSecond * view.link.Part();
        view.tokens = std::min(2.0 * rate / settings.reportRate, view.tokens + rate * ms / 1000.0);
    });
    lastTickMs = ms;
    sinceReport += ms;
    clock += static_cast<std::uint32_t>(ms);
    const int period = 1000 / std::max(1, settings.reportRate);
    if (sinceReport < period)
        return;
    sinceReport = std::min(sinceReport - period, period);
    Report();
    reported = true;
}

void Reporter::Report()
{
    watchers.clear();
    std::uint64_t everywhere = 0;
    ForWatching([&](int slot, View& view) {
        if (view.everywhere)
            everywhere |= std::uint64_t{1} << slot;
        else if (view.ship->IsAlive())
            view.eye = view.ship->Position();
        candidates[static_cast<std::size_t>(slot)].clear();
        watchers.push_back({static_cast<std::size_t>(slot), view.eye.x, view.eye.y});
    });

    // Entities come into and go out of each player's sight; those in sight
    // that move gain a claim to be reported. Each entity is first measured
    // against every watcher, into sets of slots, with no branch per watcher.
    static_assert(Player::kMaxSlots <= 64, "a slot set is one 64-bit word");
    std::uint64_t watching = 0;
    for (const Eye& eye : watchers)
        watching |= std::uint64_t{1} << eye.slot;
    for (auto& [id, view] : entities) {
        const GameObject& entity = *view.entity;
        if (!entity.IsAlive())
            continue;
        const double x = entity.Position().x;
        const double y = entity.Position().y;
        std::uint64_t kept = everywhere;  // near enough to stay known
        std::uint64_t sight = everywhere; // near enough to be shown
        for (const Eye& eye : watchers) {
            const double dx = Apart(x, eye.x, worldWidth);
            const double dy = Apart(y, eye.y, worldHeight);
            const std::uint64_t bit = std::uint64_t{1} << eye.slot;
            kept |= dx <= kViewHalfWidth + kForgetMargin && dy <= kViewHalfHeight + kForgetMargin ? bit : 0;
            sight |= dx <= kViewHalfWidth && dy <= kViewHalfHeight ? bit : 0;
        }
        const std::uint64_t known = view.known.to_ullong() & watching;
        for (std::uint64_t gone = known & ~kept; gone; gone &= gone - 1) {
            const auto at = static_cast<std::size_t>(std::countr_zero(gone));
            NetMessage& killed = Made();
            killed.SetEntityKilled(entity.GetId());
            views[at].queue.push_back(&killed);
            view.known.reset(at);
        }
        if (Moving(entity)) {
            const float weight = entity.AsHoming() ? kHoming : kMovingEntity;
            for (std::uint64_t stays = known & kept; stays; stays &= stays - 1) {
                const auto at = static_cast<std::size_t>(std::countr_zero(stays));
                view.priority[at] += weight;
                if (view.priority[at] >= kDue)
                    candidates[at].push_back({view.priority[at], -1, &view});
            }
        }
        for (std::uint64_t comes = sight & ~known; comes; comes &= comes - 1) {
            const auto at = static_cast<std::size_t>(std::countr_zero(comes));
            views[at].queue.push_back(&ReportedEntityState(view));
            view.known.set(at);
            view.priority[at] = 0.0f;
        }
    }

    for (const Eye& eye : watchers) {
        const int slot = static_cast<int>(eye.slot);
        View& watcher = views[eye.slot];
        if (watcher.ship && watcher.ship->IsAlive())
            QueueShipState(watcher, slot, ReportedShipState(slot));
        for (const int other : shipSlots) {
            const Ship* ship = views[static_cast<std::size_t>(other)].ship;
            if (other == slot || !ship->IsAlive())
                continue;
            float& priority = watcher.shipPriority[static_cast<std::size_t>(other)];
            if (watcher.shipQueued[static_cast<std::size_t>(other)]) {
                priority = 0.0f; // an event of this tick told it already
                continue;
            }
            // A far ship never outranks one on the screen: in a crowd the
            // far ones share what the near ones leave.
            priority = Sees(watcher, ship->Position()) ? priority + kShipOnScreen
                                                       : std::min(priority + kShipOffScreen, kFarShipClaim);
            if (priority >= kDue)
                candidates[eye.slot].push_back({priority, other, nullptr});
        }
        Spend(slot);
    }
}

void Reporter::Spend(int slot)
{
    const auto at = static_cast<std::size_t>(slot);
    View& watcher = views[at];
    if (watcher.link.Backlogged())
        return;
    // What this report already holds is paid first; the rest of the share
    // goes to the strongest claims.
    double budget = watcher.tokens - kDatagramCost - 2 * kPayloadCost - kSnapshotCost;
    for (const NetMessage* queued : watcher.queue)
        budget -= CostTo(slot, *queued);
    auto& claims = candidates[at];
    const std::size_t fits = static_cast<std::size_t>(std::max(0.0, budget / kSmallestStateCost));
    const auto byClaim = [](const Candidate& a, const Candidate& b) { return a.priority > b.priority; };
    if (claims.size() > fits)
        std::nth_element(claims.begin(), claims.begin() + static_cast<std::ptrdiff_t>(fits), claims.end(), byClaim);
    const auto end = claims.begin() + static_cast<std::ptrdiff_t>(std::min(fits, claims.size()));
    std::sort(claims.begin(), end, byClaim);
    for (auto claim = claims.begin(); claim != end; ++claim) {
        const NetMessage& state =
            claim->ship >= 0 ? ReportedShipState(claim->ship) : ReportedEntityState(*claim->entity);
        const double cost = CostTo(slot, state);
        if (budget < cost)
            break;
        budget -= cost;
        if (claim->ship >= 0) {
            QueueShipState(watcher, claim->ship, state);
            watcher.shipPriority[static_cast<std::size_t>(claim->ship)] = 0.0f;
        } else {
            watcher.queue.push_back(&state);
            claim->entity->priority[at] = 0.0f;
        }
    }
}

double Reporter::WireCost(std::size_t payloadBytes)
{
    if (payloadBytes <= kFragmentBytes)
        return static_cast<double>(payloadBytes) + kPayloadCost;
    // Every fragment goes in a datagram of its own, the tick's one aside.
    const std::size_t fragments = (payloadBytes + kFragmentBytes - 1) / kFragmentBytes;
    return static_cast<double>(payloadBytes) + static_cast<double>(fragments) * (kFragmentCost + kDatagramCost);
}

void Reporter::Charge(int slot, double bytes)
{
    View& view = views[static_cast<std::size_t>(slot)];
    if (view.watching)
        view.tokens -= bytes;
}

void Reporter::Link(int slot, const LinkState& link)
{
    View& view = views[static_cast<std::size_t>(slot)];
    if (view.watching)
        view.link.Measure(link, settings.bytesPerSecond, lastTickMs);
}

void Reporter::ChargeResent(int slot, std::uint32_t resent)
{
    // What was resent is not known, only how often: each time a usual
    // reliable payload in a datagram of its own.
    Charge(slot, resent * views[static_cast<std::size_t>(slot)].reliableBytes);
}

void Reporter::Flush(const std::function<void(int slot, const std::vector<std::uint8_t>& payload, bool reliable)>& send)
{
    ++tick;
    // Between reports the news waits for the next one, a tick at most: a
    // datagram a report rather than one a tick halves what the headers cost.
    if (!std::exchange(reported, false))
        return;
    ForWatching([&](int slot, View& view) {
        if (view.queue.empty())
            return;
        const auto states = std::stable_partition(view.queue.begin(), view.queue.end(),
                                                  [](const NetMessage* m) { return m->Kind() != kMsgShipState; });
        const auto sendPart = [&](auto from, auto to, bool reliable) {
            if (from == to)
                return;
            const std::vector<std::uint8_t> payload =
                reliable ? PackedBatch::Pack({from, to}, CompactTiles(view.link))
                         : snapshots[static_cast<std::size_t>(slot)].Pack({from, to}, clock, FormFor(view.link));
            send(slot, payload, reliable);
            const double cost = WireCost(payload.size());
            view.tokens -= cost;
            if (reliable)
                view.reliableBytes += (cost + kDatagramCost - view.reliableBytes) / 8.0;
        };
        view.tokens -= kDatagramCost;
        // The reply to a join or a watch goes alone and first: what the
        // engine puts before the map it holds comes after it.
        auto reliableFrom = view.queue.begin();
        if (reliableFrom != states && IsReply((*reliableFrom)->Kind())) {
            sendPart(reliableFrom, reliableFrom + 1, true);
            ++reliableFrom;
        }
        sendPart(reliableFrom, states, true);
        sendPart(states, view.queue.end(), false);
        view.queue.clear();
        view.shipQueued.fill(0);
    });
    messages.clear();
}
