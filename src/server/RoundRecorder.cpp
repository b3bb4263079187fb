#include "server/RoundRecorder.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/DemoFolder.h"
#include "platform/PathResolver.h"
#include "platform/UserFolders.h"
#include "server/ServerLog.h"

RoundRecorder::RoundRecorder(std::string folder, std::string dataDir, std::string serverName, ServerLog& log)
    : folder(std::move(folder)), dataDir(std::move(dataDir)), serverName(std::move(serverName)), log(log)
{
}

RoundRecorder::~RoundRecorder()
{
    Close();
}

bool RoundRecorder::Prepare(std::string& error)
{
    if (!platform::MakeFolders(folder)) {
        error = "cannot record into \"" + folder + "\": it is not a folder that can be made";
        return false;
    }
    // A file made and deleted at once: the operator hears now, not at the
    // end of the first round, that the folder cannot be written.
    const std::string probe = folder + "/.quillrock-record-check";
    const bool writable = std::ofstream(probe).good();
    std::error_code ignored;
    std::filesystem::remove(probe, ignored);
    if (!writable) {
        error = "cannot record into \"" + folder + "\": the folder cannot be written";
        return false;
    }
    return true;
}

void RoundRecorder::Take(const Round& now, const std::vector<std::uint8_t>& payload)
{
    if (now.number != round) {
        Close();
        round = now.number;
        Open(now);
    }
    if (writer)
        writer->Add(DemoRecord::kPayload, static_cast<std::uint32_t>(now.now), payload.data(), payload.size());
}

void RoundRecorder::Open(const Round& now)
{
    const std::time_t start = std::time(nullptr);
    DemoHeader header;
    header.gameVersion = QR_GAME_VERSION;
    header.mapName = now.mapName;
    const auto map = platform::ResolveFile(dataDir + "/Maps/" + now.mapName + ".smp");
    header.mapChecksum = map ? DemoHeader::FileChecksum(*map) : 0;
    header.playerName = serverName;
    header.shipId = DemoHeader::kNoShip;
    header.startSeconds = start;
    path = platform::DemoFolder::NewFile(folder, start, now.mapName);
    writer = std::make_unique<DemoWriter>();
    if (writer->Open(path, header)) {
        log.Always("recording the round on %s into %s", now.mapName.c_str(), path.c_str());
        return;
    }
    log.Always("cannot record the round on %s into %s", now.mapName.c_str(), path.c_str());
    writer.reset();
    path.clear();
}

void RoundRecorder::Close()
{
    writer.reset();
    round = 0;
}
