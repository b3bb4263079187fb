#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "demo/DemoHeader.h"
#include "demo/DemoRecord.h"

// Writes a demo as it happens. Records are gathered into blocks, each
// written whole with its length and checksum once it holds 64 KiB or a
// second, so a frame never waits on the disk for more than one write and
// a program killed outright leaves a file that reads to its last block.
// Records that come before the file is opened are kept for it.
class DemoWriter {
public:
    DemoWriter() = default;
    DemoWriter(const DemoWriter&) = delete;
    DemoWriter& operator=(const DemoWriter&) = delete;
    ~DemoWriter() { Close(); }

    static constexpr std::size_t kBlockBytes = 64 * 1024;
    static constexpr std::uint32_t kBlockMs = 1000;
    // What is kept for a file that is never opened, before it is let go.
    static constexpr std::size_t kMostUnopened = 8 * 1024 * 1024;

    // The tick of the first record is the demo's time zero.
    void Add(DemoRecord::Kind kind, std::uint32_t now, const std::uint8_t* bytes, std::size_t size);
    // The own pilot's keys, when they differ from the last ones added.
    void AddControls(std::uint32_t now, const std::int32_t* codes, int count);
    // Makes a new file at path: never one that is there already, nor
    // through a link.
    bool Open(const std::string& path, const DemoHeader& header);
    bool IsOpen() const { return file != nullptr; }
    // A write did not go through (a full disk, a folder taken away): the
    // file was closed with what it held, or removed when that was not a
    // whole block, and nothing more is kept.
    bool Failed() const { return failed; }
    // Why the file could not be opened or written: an errno, or 0 when
    // it was not the system's doing (more held than is kept unopened).
    int Error() const { return error; }
    // Writes what is gathered and closes the file; Failed() tells whether
    // that went through.
    void Close();

private:
    struct FileCloser {
        void operator()(std::FILE* open) const { std::fclose(open); }
    };
    void EndBlock();
    // Writes a block with its length and checksum; on failure closes the file.
    void Write(const std::vector<std::uint8_t>& body);
    void Fail();

    std::unique_ptr<std::FILE, FileCloser> file;
    std::string made;         // the file Open made, if any
    bool someWritten = false; // a whole block is in it
    bool started = false;
    bool abandoned = false;
    bool failed = false;
    int error = 0;
    std::uint32_t startTick = 0;
    std::uint32_t blockTick = 0;
    std::vector<std::uint8_t> block;
    std::vector<std::vector<std::uint8_t>> unwritten; // whole blocks, before the file
    std::size_t unwrittenBytes = 0;
    std::optional<std::vector<std::uint8_t>> lastControls;
};
