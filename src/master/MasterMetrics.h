#pragma once

#include <array>
#include <cstdint>
#include <string>

// Why a request was turned away: each has its answer and its count.
enum class Refusal { Malformed, TooLarge, Flood, Banned, Secret, TooManyPorts, NotFound, Method, Slow, Count };

// What GET /metrics shows, in Prometheus' text form.
class MasterMetrics {
public:
    static int StatusOf(Refusal refusal);
    static const char* NameOf(Refusal refusal);

    void Registered() { ++registrations; }
    void Challenged() { ++challenges; }
    void Refused(Refusal refusal) { ++refusals[static_cast<std::size_t>(refusal)]; }
    std::uint64_t Refusals(Refusal refusal) const { return refusals[static_cast<std::size_t>(refusal)]; }
    std::uint64_t Challenges() const { return challenges; }

    std::string Text(int listed) const;

private:
    std::uint64_t registrations = 0;
    std::uint64_t challenges = 0;
    std::array<std::uint64_t, static_cast<std::size_t>(Refusal::Count)> refusals {};
};
