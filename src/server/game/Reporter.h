#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <unordered_map>
#include <vector>

#include "net/NetMessage.h"
#include "net/Snapshots.h"
#include "server/game/LinkShare.h"
#include "server/game/Player.h"
#include "world/Vector3.h"

class GameObject;
class Ship;

// What each watching player is sent, at most two payloads a report. Events
// go out with the report that follows them. At the report rate come the states that the
// player's program needs to keep things moving between events: its own
// ship every time, then the ships on its screen, then far ships and the
// moving entities it can see when they are due, as far as its share of
// bandwidth allows; the share is a ceiling, not a target. Ship states go
// as deltas from the snapshot the player last acknowledged. Entities are told to a player only while they are near enough
// to be on its screen: they appear as they come near and are taken away
// as they go far. A watcher without a ship (a recorder, a spectator) sees
// the whole map: it is told every ship and entity wherever it is, within
// the same share of bandwidth as a player.
class Reporter {
public:
    // Half the world that a screen shows around its ship, with room for
    // large displays; entities are forgotten a margin beyond it.
    static constexpr double kViewHalfWidth = 1100.0; // a 1920 screen, drawn 100 right of its centre
    static constexpr double kViewHalfHeight = 760.0;
    static constexpr double kForgetMargin = 128.0;

    // What the wire adds: IPv4 and UDP headers and ENet's own (32 bytes)
    // for a datagram, ENet's command (8 at most) before each payload; a
    // payload longer than a datagram takes (ENet's 1400-byte datagrams,
    // less its header and the command) is cut into fragments of this much,
    // each its own datagram behind a 24-byte command.
    static constexpr double kDatagramCost = 32.0;
    static constexpr double kPayloadCost = 8.0;
    static constexpr std::size_t kFragmentBytes = 1372;
    static constexpr double kFragmentCost = 24.0;

    // The bytes on the wire of one payload of that size.
    static double WireCost(std::size_t payloadBytes);

    struct Settings {
        int reportRate = 30;
        int bytesPerSecond = 6000; // on the wire, headers and all
    };

    explicit Reporter(const Settings& settings);
    Reporter() : Reporter(Settings{}) {}

    // A ship in play, by its player's slot. A watching player is sent
    // everything; the ships of others are only reported.
    void AddShip(int slot, const Ship* ship, bool watching);
    // A watcher of the whole map in a slot that holds no ship.
    void AddWatcher(int slot);
    // The slot's ship or watcher goes.
    void RemoveShip(int slot);
    // Every client forgot the last round's entities with its map.
    void NewRound(int worldWidth, int worldHeight);

    // Events. The message returned is queued at once and filled by the
    // caller; it lives until the Flush that sends it.
    NetMessage& To(int slot);
    NetMessage& ToAll();
    // A ship changed at once: its pilot is told of it at the next report,
    // the others at that report too, first.
    void ShipNow(int slot);
    // The pilot of the ship that fired it (0: none) is told it is its shot.
    void EntityAppeared(const GameObject& entity, int firedBy);
    void EntityMoved(const GameObject& entity);
    void EntityKilled(const GameObject& entity);
    // A newcomer is told every ship and every entity on its screen.
    void ShipsTo(int slot);
    void EntitiesInView(int slot);

    // The newest snapshot of ship states the slot's player applied: its
    // later states go as deltas from it.
    void Acknowledge(int slot, std::uint16_t snapshot);

    // Bytes the slot's player was sent besides its reports (a pong) or
    // again (reliable payloads ENet resent, that many): its share pays.
    void Charge(int slot, double bytes);
    void ChargeResent(int slot, std::uint32_t resent);
    // How the slot's player's link is doing: a link that cannot keep up
    // gets a smaller share.
    void Link(int slot, const LinkState& link);

    // Once a tick, after the simulation's step: reports when one is due.
    void Tick(int ms);
    // After a report, frames each watching player's messages since the
    // last one and hands them on:
    // the news reliably, then the ship states on their own and unreliably,
    // so that a lost reliable payload never holds the ships back.
    void Flush(const std::function<void(int slot, const std::vector<std::uint8_t>& payload, bool reliable)>& send);

private:
    struct View {
        const Ship* ship = nullptr;
        bool watching = false;
        bool everywhere = false; // no ship: the whole map is in sight
        Vector3 eye;
        double tokens = 0.0;
        double reliableBytes = 0.0; // a reliable payload's usual size, on the wire
        LinkShare link;
        std::vector<const NetMessage*> queue;
        // Where in the queue each ship's state of this report stands, plus one.
        std::array<std::uint32_t, Player::kMaxSlots> shipQueued {};
        std::array<float, Player::kMaxSlots> shipPriority {};
    };
    struct EntityView {
        const GameObject* entity = nullptr;
        std::bitset<Player::kMaxSlots> known;
        std::array<float, Player::kMaxSlots> priority {};
        const NetMessage* state = nullptr; // as reported in tick builtIn
        std::uint64_t builtIn = 0;
    };
    struct Candidate {
        float priority;
        int ship;                // a slot, or -1 for an entity
        EntityView* entity;
    };

    void Report();
    // A ship's state for a watcher: a newer one of the same tick takes the
    // older one's place, since only the last can matter.
    static void QueueShipState(View& watcher, int shipSlot, const NetMessage& state);
    // A new player in the slot, or the same one anew: nothing it
    // acknowledged stands.
    void ForgetSnapshots(int slot);
    // The bytes a queued message takes in the slot's payloads.
    double CostTo(int slot, const NetMessage& message) const;
    // Fills what is left of a player's share with the strongest claims.
    void Spend(int slot);
    bool InView(const Vector3& eye, const Vector3& at, double margin) const;
    bool Sees(const View& watcher, const Vector3& at) const;
    NetMessage& Made();
    // States as they are now, for events; and as a report found them, built
    // once for every player the report goes to.
    NetMessage& FreshShipState(int slot);
    NetMessage& FreshEntityState(const GameObject& entity);
    const NetMessage& ReportedShipState(int slot);
    const NetMessage& ReportedEntityState(EntityView& view);
    template <typename Each>
    void ForWatching(Each each);

    Settings settings;
    double worldWidth = 0.0;
    double worldHeight = 0.0;
    int sinceReport = 0;
    int lastTickMs = 0;
    bool reported = false; // in this tick
    std::uint64_t tick = 1;
    std::array<View, Player::kMaxSlots> views;
    // Each slot's snapshots live beyond its view: their numbers go on.
    std::array<Snapshots, Player::kMaxSlots> snapshots;
    std::uint32_t clock = 0; // ms
    std::array<const NetMessage*, Player::kMaxSlots> shipStates {};
    std::array<std::uint64_t, Player::kMaxSlots> shipStatesBuiltIn {};
    std::unordered_map<int, EntityView> entities;
    std::vector<int> shipSlots; // the slots that hold a ship
    struct Eye {
        std::size_t slot;
        double x;
        double y;
    };
    std::vector<Eye> watchers; // this report's watching players and where they look
    std::array<std::vector<Candidate>, Player::kMaxSlots> candidates;
    std::deque<NetMessage> messages;
};
