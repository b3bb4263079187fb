#include <benchmark/benchmark.h>

#include "world/Ship.h"
#include "world/ShipControls.h"

namespace {

// One held-key step of one ship turning, thrusting and shielded with the
// fire key down: a bullet every twentieth step, as reload allows.
void BM_ShipControlsStep(benchmark::State& state)
{
    Ship ship;
    ship.ForceRespawn(100.0f, 100.0f);
    ShipControls controls;
    HeldKeys keys;
    for (const int key : {kKeyTurnLeft, kKeyThrust, kKeyShields, kKeyFire})
        keys.Press(key);
    for (auto _ : state) {
        ship.SetFuel(ship.GetMaxFuel());
        ship.SetVelocity(Vector3());
        const Launches fired = controls.Step(ship, keys, 10);
        benchmark::DoNotOptimize(fired.size());
    }
}
BENCHMARK(BM_ShipControlsStep);

} // namespace
