#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/DemoPlayback.h"
#include "demo/DemoReader.h"
#include "demo/DemoWriter.h"
#include "net/NetMessage.h"
#include "net/PackedBatch.h"
#include "support/TempDir.h"
#include "world/Vector3.h"

namespace {

void Record(DemoWriter& writer, std::uint32_t ms, const std::vector<const NetMessage*>& batch)
{
    const std::vector<std::uint8_t> payload = PackedBatch::Pack(batch);
    writer.Add(DemoRecord::kPayload, ms, payload.data(), payload.size());
}

// A 16-ship fight on Arena as one player receives it: a payload every
// 50 ms with every ship's state and 20 shots in flight, a kill a second:
// about what the server's bucket lets through to one player.
std::string RecordFight(const TempDir& dir, int seconds)
{
    const std::string path = dir.Path() + "/fight.qrdemo";
    DemoWriter writer;
    DemoHeader header;
    header.mapName = "Arena";
    header.shipId = 1;
    writer.Open(path, header);
    NetMessage message;
    message.SetJoin(1, 0, "Vega");
    Record(writer, 0, {&message});
    message.SetMapName("Arena");
    Record(writer, 0, {&message});
    for (int id = 1; id <= 16; ++id) {
        message.SetPlayerSpawn(id, 100 * id, 200, id % 4, ("Pilot" + std::to_string(id)).c_str());
        Record(writer, 10, {&message});
    }
    std::vector<NetMessage> states(36);
    std::vector<const NetMessage*> batch;
    for (NetMessage& state : states)
        batch.push_back(&state);
    for (std::uint32_t ms = 50; ms <= static_cast<std::uint32_t>(seconds) * 1000; ms += 50) {
        const double t = ms / 1000.0;
        for (int id = 1; id <= 16; ++id) {
            const Vector3 at(640 + 400 * std::cos(t + id), 640 + 400 * std::sin(t * 0.7 + id), 0);
            states[id - 1].SetShipState(id, 0, 700.0f, 1000.0f, static_cast<signed char>(ms / 60000), {3, 2, 1, 1}, at,
                                        Vector3(200 * std::cos(t), 200 * std::sin(t), 0), static_cast<float>(ms % 360));
        }
        for (int shot = 0; shot < 20; ++shot) {
            const int id = 1000 + static_cast<int>(ms / 1000) * 20 + shot;
            states[16 + shot].SetEntityState(id, 1, Vector3(50 + shot * 30, 60 + t * 10, 0), Vector3(500, 0, 0), 90, 0);
        }
        writer.AddControls(ms, nullptr, 0);
        Record(writer, ms, batch);
        if (ms % 1000 == 0) {
            message.SetShipKilled(1 + static_cast<int>(ms / 1000) % 16);
            Record(writer, ms, {&message});
        }
    }
    writer.Close();
    return path;
}

} // namespace

// Seeking from the start to the end of a ten-minute fight: every record
// applied without drawing, as Home then the end, or a seek back, does.
static void BM_SeekToTheEndOfATenMinuteFight(benchmark::State& state)
{
    ScopedWorkingDir inData(QR_DATA_DIR);
    TempDir dir;
    DemoReader demo;
    std::string error;
    demo.ReadFile(RecordFight(dir, 600), error);
    DemoPlayback playback(demo);
    for (auto _ : state) {
        playback.Seek(demo.LengthMs());
        playback.Seek(0);
    }
    state.counters["records"] = static_cast<double>(demo.Records().size());
}
BENCHMARK(BM_SeekToTheEndOfATenMinuteFight)->Unit(benchmark::kMillisecond);

// What a minute of the fight takes on disk, and how long reading it takes.
static void BM_ReadAMinuteOfAFight(benchmark::State& state)
{
    TempDir dir;
    const std::string path = RecordFight(dir, 60);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::fseek(file, 0, SEEK_END);
    const long bytes = std::ftell(file);
    std::fclose(file);
    for (auto _ : state) {
        DemoReader demo;
        std::string error;
        benchmark::DoNotOptimize(demo.ReadFile(path, error));
    }
    state.counters["MB_per_minute"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ReadAMinuteOfAFight)->Unit(benchmark::kMillisecond);
