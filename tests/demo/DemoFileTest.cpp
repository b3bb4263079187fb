#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "demo/DemoReader.h"
#include "demo/DemoWriter.h"
#include "platform/DemoFolder.h"
#include "platform/WholeFile.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

DemoHeader SomeHeader()
{
    return {.gameVersion = "1.2.3", .mapName = "Arena", .mapChecksum = 0xCAFEF00Du, .playerName = "Vega",
            .shipId = 7, .startSeconds = 1796000000};
}

// Two seconds of a game: 50 payloads a second of 300 bytes each, the keys
// changing every half second, held unchanged in between.
std::string RecordGame(const TempDir& dir, std::uint32_t openAt)
{
    const std::string path = dir.Path() + "/game.qrdemo";
    DemoWriter writer;
    std::vector<std::uint8_t> payload(300);
    for (std::uint32_t ms = 0; ms <= 2000; ms += 20) {
        payload[0] = static_cast<std::uint8_t>(ms / 20);
        writer.Add(DemoRecord::kPayload, 5000 + ms, payload.data(), payload.size());
        const std::int32_t keys[] = {1, static_cast<std::int32_t>(ms / 500)};
        writer.AddControls(5000 + ms, keys, ms >= 500 ? 2 : 1);
        if (ms == openAt) {
            EXPECT_TRUE(writer.Open(path, SomeHeader()));
        }
    }
    writer.Close();
    return path;
}

// Why the reader refuses the file; empty when it reads it.
std::string Refusal(const std::string& path)
{
    DemoReader reader;
    std::string error;
    return reader.ReadFile(path, error) ? std::string() : error;
}

// Bytes this process has read from files so far.
long long BytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return -1;
}

} // namespace

// What a recording writes reads back whole: the header, every payload at
// its time since the first, and the keys only when they change, whether
// the file was opened at once or only after records had come.
TEST(DemoFile, AGameReadsBackAsRecorded)
{
    for (std::uint32_t openAt : {0u, 1500u}) {
        TempDir dir;
        const std::string path = RecordGame(dir, openAt);
        DemoReader reader;
        std::string error;
        ASSERT_TRUE(reader.ReadFile(path, error)) << error;
        EXPECT_FALSE(reader.IsCut());
        const DemoHeader& read = reader.Header();
        EXPECT_EQ(std::tuple(read.mapName, read.mapChecksum, read.playerName, read.shipId, read.startSeconds),
                  std::tuple("Arena", 0xCAFEF00Du, "Vega", 7u, 1796000000));
        int payloads = 0, controls = 0;
        for (const DemoRecord& record : reader.Records()) {
            if (record.kind == DemoRecord::kPayload) {
                EXPECT_EQ(std::tuple(record.size, reader.Bytes(record)[0], record.ms),
                          std::tuple(300u, payloads, static_cast<std::uint32_t>(payloads) * 20));
                ++payloads;
            } else {
                ++controls;
            }
        }
        EXPECT_EQ(std::tuple(payloads, controls, reader.LengthMs()), std::tuple(101, 5, 2000u))
            << "the first keys, then one change each half second";
    }
}

// A file cut anywhere after its header, as a program killed outright
// leaves it, reads to its last whole block; a damaged block ends it too.
TEST(DemoFile, ACutOrDamagedFileReadsToItsLastWholeBlock)
{
    TempDir dir;
    const std::vector<std::uint8_t> whole = *platform::ReadWholeFile(RecordGame(dir, 0), 1 << 20);
    DemoReader full;
    std::string error;
    ASSERT_TRUE(full.Read(whole.data(), whole.size(), error));
    const std::size_t header = SomeHeader().Encode().size();
    std::size_t previous = 0;
    for (std::size_t size = header; size < whole.size(); size += 97) {
        DemoReader cut;
        ASSERT_TRUE(cut.Read(whole.data(), size, error)) << size;
        ASSERT_LE(cut.Records().size(), full.Records().size());
        EXPECT_GE(cut.Records().size(), previous) << "more of the file never reads as less";
        previous = cut.Records().size();
        if (size > header) {
            EXPECT_TRUE(cut.IsCut() || cut.Records().size() == full.Records().size());
        }
    }
    std::vector<std::uint8_t> damaged = whole;
    damaged[damaged.size() - 10] ^= 0x40;
    DemoReader reader;
    ASSERT_TRUE(reader.Read(damaged.data(), damaged.size(), error));
    EXPECT_TRUE(reader.IsCut());
    EXPECT_LT(reader.Records().size(), full.Records().size());
    EXPECT_GT(reader.Records().size(), 0u);
}

// Files that hold no demo this game plays say why; one of the wrong size or
// kind is refused from its size and its header alone: a hole of gigabytes
// is not read through first.
TEST(DemoFile, WhatIsNoDemoIsRefusedWithAReasonAndUnread)
{
    const std::vector<std::uint8_t> header = SomeHeader().Encode();
    std::vector<std::uint8_t> newer = header;
    newer[8] = 9;
    std::vector<std::uint8_t> damaged = header;
    damaged[20] ^= 1;
    const std::vector<std::uint8_t> foreign = {'G', 'I', 'F', '8', '9', 'a', 1, 2, 3, 4, 5, 6};
    const std::vector<std::uint8_t> cutHeader(header.begin(), header.begin() + 16);
    const struct {
        const std::vector<std::uint8_t>& bytes;
        const char* reason;
    } cases[] = {
        {{}, "empty"}, {foreign, "not a Quillrock demo"}, {newer, "newer"}, {damaged, "damaged"},
        {cutHeader, "cut short"},
    };
    for (const auto& each : cases) {
        DemoReader reader;
        std::string error;
        EXPECT_FALSE(reader.Read(each.bytes.data(), each.bytes.size(), error)) << each.reason;
        EXPECT_NE(error.find(each.reason), std::string::npos) << error;
    }
    TempDir dir;
    const std::string pipe = dir.Path() + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& [path, reason] : {std::pair{dir.Path() + "/none.qrdemo", "no such file"},
                                       std::pair{dir.Path(), "a folder"}, std::pair{pipe, "not a plain file"}}) {
        EXPECT_NE(Refusal(path).find(reason), std::string::npos) << reason;
    }

    for (const auto& [name, demo, size, reason] : {std::tuple("huge.qrdemo", true, 2LL << 30, "larger than any demo"),
                                                   {"foreign.qrdemo", false, 200LL << 20, "not a Quillrock demo"}}) {
        const std::string path = dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(header.data()), demo ? static_cast<std::streamsize>(header.size()) : 0);
        ASSERT_EQ(::truncate(path.c_str(), size), 0) << std::strerror(errno);
        const long long before = BytesRead();
        EXPECT_NE(Refusal(path).find(reason), std::string::npos) << name;
        EXPECT_LT(BytesRead() - before, 1 << 20) << name;
    }
}

// A disk that fills ends the file at its last whole block, and says so;
// a file that holds none is removed, not left empty.
TEST(DemoFile, AWriteThatFailsClosesTheFileAndTellsWhy)
{
    TempDir dir;
    const std::string path = dir.Path() + "/game.qrdemo";
    const std::vector<std::uint8_t> payload(1000, 7);
    {
        DemoWriter writer;
        writer.Add(DemoRecord::kPayload, 0, payload.data(), payload.size());
        FileSizeLimit limit(16);
        EXPECT_FALSE(writer.Open(path, SomeHeader()));
        EXPECT_EQ(std::tuple(writer.Failed(), writer.Error(), writer.IsOpen()), std::tuple(true, EFBIG, false));
        writer.Add(DemoRecord::kPayload, 10, payload.data(), payload.size());
        EXPECT_FALSE(writer.IsOpen()) << "nothing more is tried";
    }
    EXPECT_FALSE(fs::exists(path)) << "no header alone";

    DemoWriter writer;
    ASSERT_TRUE(writer.Open(path, SomeHeader()));
    writer.Add(DemoRecord::kPayload, 0, payload.data(), payload.size());
    writer.Add(DemoRecord::kPayload, DemoWriter::kBlockMs, payload.data(), payload.size());
    {
        FileSizeLimit limit(fs::file_size(path));
        writer.Add(DemoRecord::kPayload, DemoWriter::kBlockMs + 10, payload.data(), payload.size());
        writer.Close();
    }
    EXPECT_EQ(std::tuple(writer.Failed(), writer.Error()), std::tuple(true, EFBIG)) << "the last block at the end";
    DemoReader reader;
    std::string error;
    ASSERT_TRUE(reader.ReadFile(path, error)) << error;
    EXPECT_EQ(reader.Records().size(), 2u);
}

// The folder keeps the newest demos, at most so many and so many bytes,
// and never deletes the newest or anything that is not a demo. A new demo
// goes only where it is named: a link planted at the next name, even to
// nowhere, is passed over and never written through.
TEST(DemoFile, TheFolderKeepsTheNewestDemosAndANewOneIsNeverWrittenThroughALink)
{
    TempDir dir;
    const auto now = fs::file_time_type::clock::now();
    for (int i = 0; i < 8; ++i) {
        const std::string path = dir.Path() + "/game" + std::to_string(i) + ".qrdemo";
        std::ofstream(path) << std::string(1000, 'x');
        fs::last_write_time(path, now - std::chrono::hours(8 - i));
    }
    std::ofstream(dir.Path() + "/notes.txt") << "mine";
    // At most 5 files keeps game3 on, at most 2500 bytes game6 on, and the
    // newest stays whatever the limit.
    for (const auto& [files, bytes, oldestKept] : {std::tuple(5, 1000000, 3), {50, 2500, 6}, {50, 10, 7}}) {
        platform::DemoFolder::Prune(dir.Path(), files, bytes);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(fs::exists(dir.Path() + "/game" + std::to_string(i) + ".qrdemo"), i >= oldestKept) << i;
    }
    EXPECT_TRUE(fs::exists(dir.Path() + "/notes.txt"));

    const std::string first = platform::DemoFolder::NewFile(dir.Path(), 0, "Big Arena/2");
    EXPECT_NE(first.find("_Big_Arena_2.qrdemo"), std::string::npos) << first;
    std::ofstream(first) << "taken";
    EXPECT_NE(platform::DemoFolder::NewFile(dir.Path(), 0, "Big Arena/2").find("_Big_Arena_2-2.qrdemo"),
              std::string::npos);

    const std::string outside = dir.Path() + "/outside";
    const std::string planted = platform::DemoFolder::NewFile(dir.Path(), 1796000000, "Arena");
    ASSERT_EQ(::symlink(outside.c_str(), planted.c_str()), 0);
    EXPECT_NE(platform::DemoFolder::NewFile(dir.Path(), 1796000000, "Arena"), planted);
    DemoWriter writer;
    EXPECT_FALSE(writer.Open(planted, SomeHeader()));
    EXPECT_EQ(std::tuple(writer.Error(), fs::exists(outside)), std::tuple(EEXIST, false));
}
