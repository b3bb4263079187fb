#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>

#include "master/AddressText.h"
#include "master/ChallengeSocket.h"
#include "master/HttpFront.h"
#include "master/Master.h"
#include "master/MasterOptions.h"
#include "platform/WholeFile.h"

namespace {

void ReadBans(const std::string& path, Master& master, MasterLog& log)
{
    if (path.empty())
        return;
    // Never waited on: a FIFO or a device in its place is refused.
    std::string why;
    const auto bytes = platform::ReadWholeFile(path, BanFile::kLargestFile, why);
    if (!bytes) {
        log.Say("cannot read the ban file: %s; keeping the bans as they were", why.c_str());
        return;
    }
    const BanFile bans = BanFile::Read(std::string(bytes->begin(), bytes->end()), [&](int line, const std::string&) {
        log.Say("%s:%d: not an address or network; skipped", path.c_str(), line);
    });
    log.Say("%zu banned address(es) or network(s) from %s", bans.Size(), path.c_str());
    master.SetBans(bans);
}

// SIGINT and SIGTERM end the loop, SIGHUP reads the bans again; all arrive
// through a descriptor polled with the clients.
int SignalFd()
{
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, signal);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

int Serve(const MasterOptions& options, MasterLog& log, const MasterClock& clock)
{
    ChallengeSocket challenges;
    Master master(clock, challenges, log, options.master);
    ReadBans(options.banFile, master, log);
    master.LoadState();
    HttpFront front([&](std::uint32_t address) { return master.Admits(address); },
                    [&](const HttpAsk& ask) { return master.Handle(ask); },
                    [&](const std::string& line) { log.Tell("http: %s", line.c_str()); },
                    [&] { master.DroppedSlow(); });
    const int signals = SignalFd();
    std::string why;
    const std::string where =
        AddressText(ntohl(options.listen.sin_addr.s_addr), 0) + ":" + std::to_string(ntohs(options.listen.sin_port));
    if (signals < 0 || !challenges.Open() || !front.Start(options.listen, options.http, why)) {
        log.Say("cannot serve on %s: %s", where.c_str(), why.empty() ? "no socket" : why.c_str());
        return 1;
    }
    log.Say("serving the list on %s", where.c_str());
    for (std::int64_t tickMs = clock.NowMs();;) {
        if (front.Poll(1000, signals)) {
            signalfd_siginfo signal {};
            while (::read(signals, &signal, sizeof signal) == sizeof signal) {
                if (signal.ssi_signo == SIGHUP)
                    ReadBans(options.banFile, master, log);
                else {
                    master.SaveState();
                    log.Say("stopped by signal %u, %d server(s) listed", signal.ssi_signo,
                            master.List().ListedCount());
                    ::close(signals);
                    return 0;
                }
            }
        }
        if (clock.NowMs() - tickMs >= 1000) {
            master.Tick();
            tickMs = clock.NowMs();
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    MasterOptions options;
    std::string error;
    switch (MasterOptions::Parse({argv + 1, argv + argc}, options, error)) {
    case MasterOptions::Parsed::Help:
        std::fputs(MasterOptions::HelpText(), stdout);
        return 0;
    case MasterOptions::Parsed::Wrong:
        std::fprintf(stderr, "quillrock-master: %s (--help lists the options)\n", error.c_str());
        return 2;
    case MasterOptions::Parsed::Run:
        break;
    }
    const MasterClock clock;
    MasterLog log(stdout, clock);
    return Serve(options, log, clock);
}
