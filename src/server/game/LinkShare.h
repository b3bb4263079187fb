#pragma once

#include <cstddef>
#include <cstdint>

// A player's link as its peer measures it, and what its program reads.
struct LinkState {
    std::uint32_t roundTripMs = 0;
    double loss = 0.0;     // of the datagrams sent, 0 to 1
    double throttle = 1.0; // of the unreliable payloads the peer lets out, 0 to 1
    std::size_t reliableQueued = 0; // reliable bytes waiting or not yet acknowledged
    int reads = 0; // what the player's program reads: PackedBatch::kReads... bits
};

// How much of its full share of bandwidth a player's link takes. A link
// that keeps up takes all of it; one that throttles, loses, is slow to
// answer or piles up reliable bytes takes less, so that its player gets
// fewer updates rather than a backlog. A link gone bad is cut at once; one
// that recovers grows back over a second or two, so that a short spell of
// good figures does not flood it again.
class LinkShare {
public:
    static constexpr double kLeast = 0.25;
    static constexpr double kGrowthPerSecond = 0.5;

    // The part of the full share the figures alone allow, kLeast to 1.
    static double Allowed(const LinkState& link);
    // Reliable bytes under way beyond which the link holds a backlog, for
    // a link of that round trip taking bytesPerSecond.
    static double BacklogAbove(std::uint32_t roundTripMs, double bytesPerSecond);

    // The link's newest figures, ms after the last.
    void Measure(const LinkState& link, double fullBytesPerSecond, int ms);
    double Part() const { return part; }
    // While it holds, nothing but news and the player's own ship is sent.
    bool Backlogged() const { return backlogged; }
    int Reads() const { return reads; }

private:
    double part = 1.0;
    bool backlogged = false;
    int reads = 0;
};
