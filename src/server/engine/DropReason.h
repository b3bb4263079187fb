#pragma once

// Why a connection was let go.
enum class DropReason { Crowding, NeverJoined, Flood, Garbage, Full, Kicked, Banned, NoPlaceToWatch };
constexpr int kDropReasons = 8;

// How the metrics and the log name a reason, and the line a player in the
// game is told before it goes, if any.
struct DropText {
    const char* metric;
    const char* log;
    const char* told;
};

const DropText& TextOf(DropReason why);
