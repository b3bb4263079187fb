#include "app/GameSounds.h"

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

void GameSounds::Leap(const NetClient& client)
{
    world.Forget();
    chatLines = client.ChatLinesHeard();
    roundOver = client.IsRoundOver();
}
