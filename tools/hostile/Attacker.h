#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

class RawLink;

// The ways a hostile player goes at a game server.
enum class Attack {
    Garbage,   // random bytes
    Truncated, // real messages cut short or run long
    Counts,    // code counts, message counts and text lengths that lie, oversized payloads
    Spoof,     // other ships' ids, second joins, messages only the server sends
    Names,     // 10 KB names, undrawable names, names already taken
    Flood,     // 10,000 messages a second
    Churn,     // 1,000 connects and leaves
    Forged,    // 1,000 connects in a second from 250 other addresses that never answer
};

// What an attack did, and what the server did about it.
struct AttackTally {
    long connects = 0;
    long refused = 0; // connects the server turned away or never answered
    long payloads = 0;
    long dropped = 0; // links the server closed on us
    // Forged connects: bytes sent from the other addresses, bytes the
    // server sent them, and how long an honest join took meanwhile (0: it
    // failed).
    long forgedBytes = 0;
    long answeredBytes = 0;
    std::uint32_t honestJoinMs = 0;
};

// A hostile player: connects to the server on this machine again and again
// and sends it what no player's program would.
class Attacker {
public:
    Attacker(std::uint16_t port, std::uint32_t seed) : port(port), random(seed) {}

    // Runs the attack until the time is up (churn: or its connects are done).
    AttackTally Run(Attack attack, double seconds);
    // Whether the server still takes a player and answers its ping.
    bool ServerAnswers();
    // Ship ids to pretend to be; the others' ids when they are known.
    void SetVictims(std::vector<int> ids) { victims = std::move(ids); }

    static const std::vector<Attack>& All();
    static const char* NameOf(Attack attack);
    static bool FromName(const std::string& name, Attack& attack);

    static constexpr int kChurnConnects = 1000;
    static constexpr int kForgedConnects = 1000;
    static constexpr int kForgedAddresses = 250;
    static constexpr int kFloodPerSecond = 10000;

private:
    void Garbage(RawLink& link);
    void Truncated(RawLink& link);
    void Counts(RawLink& link);
    void Spoof(RawLink& link);
    void Names(RawLink& link);
    void Flood(RawLink& link, double until);
    void Churn(RawLink& link);
    void Forged(double seconds);

    void Send(RawLink& link, const std::vector<std::uint8_t>& bytes, bool reliable = true);
    void Join(RawLink& link, const std::string& name);
    // Waits a little for the server to drop us, counting it when it does.
    void ExpectDrop(RawLink& link);
    int Pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random); }
    int Victim();
    double Now() const;

    std::uint16_t port;
    std::mt19937 random;
    std::vector<int> victims;
    AttackTally tally;
};
