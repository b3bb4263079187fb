#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/CommandInterpreter.h"
#include "server/engine/ServedGame.h"

namespace {

// Admins and bans as a player meets them: the real server, the player's
// real client, and its commands typed at its console.
class AdminSession : public ServedGame {
protected:
    AdminSession() : ServedGame(47000, "Club Server") {}

    ServerOptions Options() const
    {
        ServerOptions options = ServedGame::Options();
        options.banFile = dir.Path() + "/bans";
        return options;
    }
    // The server's last word came, then the designed line of its end.
    static bool ToldBeforeTheEnd(const std::string& line)
    {
        const std::vector<std::string> lines = ConsoleLines();
        const auto told = std::ranges::find(lines, line);
        const auto end = std::ranges::find(lines, "The server has terminated your connection.  Sorry.");
        return told != lines.end() && end != lines.end() && told < end;
    }
    // A new connection, from the same address, as a player who starts the
    // game again.
    void Restart()
    {
        NetClient::Destroy();
        client = NetClient::Instance();
        client->SetWorld(world.get());
        Console::Instance()->Clear();
    }

    void Type(const char* line)
    {
        CommandInterpreter interpreter;
        interpreter.Execute(line);
    }
    // Types the line and waits for the answer.
    bool Answered(const char* line, const std::string& answer)
    {
        Type(line);
        return WorkUntil([&] { return ConsoleHas(answer); });
    }

    TempDir dir;
};

TEST_F(AdminSession, UntrustedAMapChangeWaitsForTheLoginAndThreeWrongPasswordsLockTheAddressOut)
{
    dir.WriteFile("password", "open sesame\n");
    ServerOptions options = Options();
    options.trustLocal = false;
    options.adminPasswordFile = dir.Path() + "/password";
    StartServer(options);
    ASSERT_TRUE(Join());

    EXPECT_TRUE(Answered("/server map Warren", "Only an admin may change the map: /server login PASSWORD first."));
    EXPECT_TRUE(Answered("/server status", "Only an admin may do that: /server login PASSWORD first."));
    EXPECT_TRUE(Answered("/server login open sesame", "You are logged in as an admin of this server."));
    EXPECT_TRUE(Answered("/server map Warren", "Loaded map \"Warren\""));

    // Another connection from this address is no admin, and guesses.
    Restart();
    ASSERT_TRUE(Join());
    EXPECT_TRUE(Answered("/server login guess", "Wrong password."));
    Type("/server login guess again");
    EXPECT_TRUE(Answered("/server login third guess", "no more logins from your address for 10 minutes."));
    EXPECT_TRUE(ConsoleHas("Wrong password, the third in a minute:"));
    EXPECT_TRUE(Answered("/server login open sesame",
                         "Too many wrong passwords from your address: try again in 10 minutes."));
    EXPECT_TRUE(Answered("/server map Arena", "Only an admin may change the map: /server login PASSWORD first."));
}

TEST_F(AdminSession, AKickIsNoBanAndABannedAddressIsToldAndRefusedAtConnect)
{
    dir.WriteFile("bans", "# kept by hand\n"
                          "not an address\n");
    StartServer(Options()); // trusted: the player is on the server's machine
    ASSERT_TRUE(Join());
    // Help names what this player may run, as it is typed in the game.
    EXPECT_TRUE(Answered("/server help", "    let a banned address in again"));
    EXPECT_TRUE(ConsoleHas("/server unban ADDRESS"));
    EXPECT_TRUE(Answered("/server login anything", "This server takes no admin logins."));
    Type("/server kick Pilot");
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_TRUE(ToldBeforeTheEnd("An admin of this server has dropped you from the game."));
    Restart();
    ASSERT_TRUE(Join()) << "a kick is no ban";
    Type("/server ban Pilot 30");
    ASSERT_TRUE(WorkUntil([&] { return client->IsTerminated(); }));
    EXPECT_TRUE(ToldBeforeTheEnd("You are banned from this server."));
    const std::string kept = FileText(dir.Path() + "/bans");
    EXPECT_NE(kept.find("# kept by hand\nnot an address\n127.0.0.1 20"), std::string::npos) << kept;

    // The file is read at the start too (OperatorTest).
    Restart();
    EXPECT_FALSE(JoinHost(name, port));
    EXPECT_TRUE(ConsoleHas("You are banned from this server."));
}

} // namespace
