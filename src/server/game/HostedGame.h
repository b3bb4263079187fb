#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "server/game/LinkShare.h"
#include "world/HeldKeys.h"

// The game as the server's engine sees it, and the engine's one way in:
// players come and go by slot, their held keys, lines and commands are
// handed on, the game ticks and says what to send to which slot. The
// engine keeps connections, names on the wire and the operator's tools;
// everything about rounds, ships and robots is the game's.
class HostedGame {
public:
    using Send = std::function<void(int slot, const std::vector<std::uint8_t>& payload, bool reliable)>;
    using Reply = std::function<void(const std::string& line)>;
    // Whether someone the game does not seat holds the name.
    using NameTaken = std::function<bool(const std::string& name)>;
    // The slot of no player: a seat refused.
    static constexpr int kNobody = -1;

    // A seat taken, by a person or a robot.
    struct Seat {
        int slot = kNobody;
        std::string name;
        int ship = 0;
        int score = 0;
        std::string team; // its side's name in a team game; empty otherwise
    };

    // One side of a team game.
    struct Side {
        std::string name;
        int score = 0;
        int pilots = 0;
    };

    // One team's flag in capture the flag.
    struct FlagSpot {
        std::string team;
        std::string place;   // home, carried or dropped
        std::string carrier; // the pilot's name while carried
        int returnsInMs = 0; // while dropped: when it goes home by itself
    };

    // The game at a glance, as the status, the metrics and the recording
    // show it.
    struct Glance {
        std::uint32_t round = 0; // rounds begun since the start
        std::string map;
        std::string mode;        // the round's
        std::string nextMode;    // asked for from the next round on; empty for none
        int people = 0;
        int robots = 0;
        int robotsWanted = 0;
        bool roundOver = false;  // the standings show
        int roundMsLeft = -1;    // -1: no time limit
        bool finished = false;   // the one match asked for is played out
        std::vector<Side> sides; // Red and Blue in a team game; none otherwise
        std::vector<FlagSpot> flags; // Red's and Blue's in capture the flag; none otherwise
    };

    // A command of the game's own, for admins and the operator unless it
    // is for every player; run gets what follows its name and the asker's
    // slot (kNobody for the operator), and says false when that does not fit.
    struct Command {
        using Run = std::function<bool(const std::string& arguments, const std::string& by, int slot,
                                       const Reply& reply)>;
        const char* name;
        const char* synopsis;
        const char* help;
        const char* refusal; // the answer to a player who may not; null for the usual one
        Run run;
        bool everyone = false; // any player may run it
    };

    virtual ~HostedGame() = default;

    // Checks every map and starts the first round; false with the reason.
    virtual bool Start(std::string& error) = 0;
    // Robots take the seats people leave free.
    virtual void FillSeats() = 0;
    // Everyone seated leaves, and the game is as it started.
    virtual void Restart() = 0;

    // A person takes a seat and is told the game as it is; kNobody when full.
    virtual int Join(const char* requestedName, int shipType) = 0;
    // A watcher without a ship, told everything everywhere; kNobody when
    // every slot is taken.
    virtual int Watch() = 0;
    // A person watches under the name: told so first, then as Watch.
    virtual int WatchAs(const std::string& name) = 0;
    // A pilot's seat or a watcher's slot is let go.
    virtual void Leave(int slot) = 0;
    // Names held outside the seats (watchers'), that no pilot or robot
    // coming later is given.
    virtual void KeepNamesOf(NameTaken taken) = 0;
    // How many people watch, for everyone's scoreboard; the engine keeps
    // the count, since the game cannot tell a watcher from a recording.
    virtual void CountWatchers(int count) = 0;
    virtual void Hold(int slot, const HeldKeys& keys) = 0;
    // The newest snapshot of ship states the slot's player applied.
    virtual void Acknowledge(int slot, std::uint16_t snapshot) = 0;
    // A player's line of chat, for everyone.
    virtual void Chat(int slot, const char* text) = 0;
    // A line in one player's console, or in everyone's for kNobody.
    virtual void Tell(int slot, const char* text) = 0;
    virtual std::vector<Command> Commands() = 0;
    // A robot leaves its seat for good; nothing for another's slot.
    virtual void Retire(int slot) = 0;

    // The clock moves on by ms and each slot's payloads of the tick are
    // handed to send.
    virtual void Tick(int ms, const Send& send) = 0;
    // What a slot was sent besides its payloads (a datagram of its own of
    // sentBytes), and how many reliable payloads went to it again: its
    // share of bandwidth pays for both.
    virtual void Charge(int slot, std::size_t sentBytes, std::uint32_t resent) = 0;
    // How a slot's link is doing, once a tick: its share follows.
    virtual void Link(int slot, const LinkState& link) = 0;

    // Milliseconds of play since the game began: the engine's clock too.
    virtual std::uint64_t Now() const = 0;
    virtual Glance Look() const = 0;
    // The maps of the rotation, in their order.
    virtual const std::vector<std::string>& Maps() const = 0;
    virtual std::vector<Seat> Seats() const = 0;
};
