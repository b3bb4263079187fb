#include "app/GameSounds.h"

#include <array>
#include <optional>

#include "app/AppState.h"
#include "app/SoundBoard.h"
#include "net/NetClient.h"
#include "world/Ship.h"
#include "world/World.h"

void GameSounds::Hear(World& shown, const NetClient& client, bool thrustHeld, SoundBoard& board)
{
    queue.Clear();
    world.Look(shown, queue);
    // A new connection counts its lines from 0 again.
    if (client.ChatLinesHeard() > chatLines)
        queue.Add(SoundEvent::Chat);
    chatLines = client.ChatLinesHeard();
    HearFlags(client);
    if (client.IsRoundOver() && !roundOver)
        queue.Add(SoundEvent::RoundOver);
    roundOver = client.IsRoundOver();
    board.HearMenus(AppState::InGame, -1);
    board.Play(queue);

    const Ship* own = shown.FirstShip();
    const bool flying = own && own->IsAlive() && !roundOver;
    board.SetLoop(SoundEvent::Thrust, flying && thrustHeld && own->GetFuel() > 0.0f);
    board.SetLoop(SoundEvent::Refuel, flying && own->HasFlags(kFlagRefuelling));
}

void GameSounds::HearFlags(const NetClient& client)
{
    // A drop has its carrier's blast already.
    constexpr std::array<std::optional<SoundEvent>, 5> kByEvent = {
        std::nullopt, SoundEvent::FlagTaken, std::nullopt, SoundEvent::FlagReturned, SoundEvent::FlagCaptured};
    const std::uint32_t heard = client.FlagNewsHeard();
    // A new connection counts from 0 again; news beyond those kept is lost.
    std::uint32_t next = flagNews > heard ? heard : flagNews;
    if (heard - next > NetClient::kFlagNewsKept)
        next = heard - static_cast<std::uint32_t>(NetClient::kFlagNewsKept);
    for (; next < heard; ++next) {
        const NetClient::FlagNews& news = client.FlagNewsAt(next);
        const auto index = static_cast<std::size_t>(news.event);
        if (index < kByEvent.size() && kByEvent[index])
            world.Queue(queue, *kByEvent[index], static_cast<float>(news.at.x), static_cast<float>(news.at.y));
    }
    flagNews = heard;
}

void GameSounds::Leap(const NetClient& client)
{
    world.Forget();
    chatLines = client.ChatLinesHeard();
    flagNews = client.FlagNewsHeard();
    roundOver = client.IsRoundOver();
}
