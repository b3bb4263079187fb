#include "server/engine/DropReason.h"

namespace {

// By DropReason.
constexpr DropText kDropTexts[kDropReasons] = {
    {"crowding", "too many connections from its address wait to join", nullptr},
    {"never_joined", "never joined", nullptr},
    {"flood", "floods the server", nullptr},
    {"garbage", "sent something that is not a message", nullptr},
    {"full", "the game is full", "The server is full: no seat is free."},
    {"kicked", "kicked", "An admin of this server has dropped you from the game."},
    {"banned", "banned", "You are banned from this server."},
    {"no_place_to_watch", "every place to watch is taken", "All places to watch are taken: try again later."},
};

} // namespace

const DropText& TextOf(DropReason why)
{
    return kDropTexts[static_cast<int>(why)];
}
