#pragma once

#include <cstdint>

class RoundNews;

// The lines the player may switch off (/hud classic): while the own ship
// is dead, what killed it and when it is back, above the middle of the
// world picture; the round's clock at the right, below the ping.
void DrawRoundNews(const RoundNews& news, std::uint32_t now);
