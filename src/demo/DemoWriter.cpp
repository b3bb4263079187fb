#include "demo/DemoWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "base/ByteWriter.h"
#include "base/Crc32.h"

void DemoWriter::Add(DemoRecord::Kind kind, std::uint32_t now, const std::uint8_t* bytes, std::size_t size)
{
    if (abandoned || size + DemoRecord::kHeadBytes > DemoRecord::kLongestBlock)
        return;
    if (!started) {
        started = true;
        startTick = blockTick = now;
    }
    if (block.size() + DemoRecord::kHeadBytes + size > DemoRecord::kLongestBlock)
        EndBlock();
    ByteWriter head;
    head.U8(kind);
    head.U32(now - startTick);
    head.U32(static_cast<std::uint32_t>(size));
    block.insert(block.end(), head.Data().begin(), head.Data().end());
    if (size)
        block.insert(block.end(), bytes, bytes + size);
    if (block.size() >= kBlockBytes || now - blockTick >= kBlockMs) {
        EndBlock();
        blockTick = now;
    }
}

void DemoWriter::AddControls(std::uint32_t now, const std::int32_t* codes, int count)
{
    std::vector<std::uint8_t> held;
    for (int i = 0; i < count; ++i) {
        if (codes[i] > 0 && codes[i] < 256)
            held.push_back(static_cast<std::uint8_t>(codes[i]));
    }
    if (lastControls == held)
        return;
    lastControls = held;
    Add(DemoRecord::kControls, now, held.data(), held.size());
}

bool DemoWriter::Open(const std::string& path, const DemoHeader& header)
{
    if (abandoned)
        return false;
    // Made here, never through a link or over a file planted at the name.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno;
        return false;
    }
    made = path;
    file.reset(::fdopen(fd, "wb"));
    if (!file) {
        const int why = errno;
        ::close(fd);
        errno = why;
        Fail();
        return false;
    }
    const std::vector<std::uint8_t> head = header.Encode();
    if (std::fwrite(head.data(), 1, head.size(), file.get()) != head.size())
        Fail();
    const bool blocksKept = !unwritten.empty();
    for (const auto& body : unwritten) {
        if (file)
            Write(body);
    }
    unwritten.clear();
    unwrittenBytes = 0;
    if (file && std::fflush(file.get()) != 0)
        Fail();
    someWritten = file && blocksKept;
    return file != nullptr;
}

void DemoWriter::Close()
{
    if (file)
        EndBlock();
    if (file && std::fclose(file.release()) != 0)
        Fail();
}

void DemoWriter::EndBlock()
{
    if (block.empty())
        return;
    if (file) {
        Write(block);
        if (file && std::fflush(file.get()) != 0)
            Fail();
        someWritten = someWritten || file;
    } else if (unwrittenBytes + block.size() <= kMostUnopened) {
        unwrittenBytes += block.size();
        unwritten.push_back(block);
    } else {
        // Nobody opened a file for this game: nothing more is kept.
        abandoned = true;
        unwritten.clear();
    }
    block.clear();
}

void DemoWriter::Write(const std::vector<std::uint8_t>& body)
{
    ByteWriter frame;
    frame.U32(static_cast<std::uint32_t>(body.size()));
    frame.U32(Crc32(body.data(), body.size()));
    if (std::fwrite(frame.Data().data(), 1, frame.Size(), file.get()) != frame.Size() ||
        std::fwrite(body.data(), 1, body.size(), file.get()) != body.size())
        Fail();
}

void DemoWriter::Fail()
{
    failed = true;
    abandoned = true;
    error = errno;
    file.reset();
    // A file that holds no block holds nothing to play.
    if (!someWritten && !made.empty())
        ::unlink(made.c_str());
}
