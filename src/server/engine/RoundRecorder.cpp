#include "server/engine/RoundRecorder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/DemoFolder.h"
#include "platform/PathResolver.h"
#include "platform/UserFolders.h"
#include "server/engine/ServerLog.h"

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
    // end of the first round, that the folder cannot be written. Its name
    // is new, so nothing planted there is followed or waited on.
    std::string probe = folder + "/.quillrock-record-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) {
        error = "cannot record into \"" + folder + "\": the folder cannot be written";
        return false;
    }
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

void RoundRecorder::Take(const Round& now, const std::vector<std::uint8_t>& payload)
{
    if (now.number != round) {
        Close();
        round = now.number;
        writer = std::make_unique<DemoWriter>();
    }
    if (!writer)
        return;
    writer->Add(DemoRecord::kPayload, static_cast<std::uint32_t>(now.now), payload.data(), payload.size());
    if (!writer->IsOpen() && !writer->Failed() && now.peoplePlaying)
        Open(now);
    if (writer && writer->Failed()) {
        log.Always("cannot go on recording the round on %s into %s: %s; the next round tries again",
                   now.mapName.c_str(), path.c_str(), std::strerror(writer->Error()));
        writer.reset();
        path.clear();
    }
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
    // The folder may have been taken away since the last round.
    const bool made = platform::MakeFolders(folder);
    const int madeError = errno;
    if (made) {
        path = platform::DemoFolder::NewFile(folder, start, now.mapName);
        if (writer->Open(path, header)) {
            log.Always("recording the round on %s into %s", now.mapName.c_str(), path.c_str());
            return;
        }
    }
    const int why = made ? writer->Error() : madeError;
    log.Always("cannot record the round on %s into %s: %s; the next round tries again", now.mapName.c_str(),
               made ? path.c_str() : folder.c_str(),
               why ? std::strerror(why) : "too much of it went by before a person came");
    writer.reset();
    path.clear();
}

void RoundRecorder::Close()
{
    if (writer) {
        writer->Close();
        if (writer->Failed())
            log.Always("cannot finish recording into %s: %s", path.c_str(), std::strerror(writer->Error()));
    }
    writer.reset();
    path.clear();
    round = 0;
}
