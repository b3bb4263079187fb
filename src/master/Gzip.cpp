#include "master/Gzip.h"

#include <zlib.h>

namespace {

// windowBits over 15 asks zlib for gzip's header and trailer, negative for
// bare deflate.
std::string Deflate(std::string_view plain, int windowBits, int memLevel, int flush)
{
    z_stream stream {};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, windowBits, memLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string packed(deflateBound(&stream, static_cast<uLong>(plain.size())) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    const int result = deflate(&stream, flush);
    const bool done = flush == Z_FINISH ? result == Z_STREAM_END : result == Z_OK && stream.avail_in == 0;
    packed.resize(done ? stream.total_out : 0);
    deflateEnd(&stream);
    return packed;
}

void PutLittleEndian(std::string& out, unsigned long value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((value >> shift) & 0xff);
}

} // namespace

std::string Gzip::Whole(std::string_view plain)
{
    return Deflate(plain, 15 + 16, 8, Z_FINISH);
}

Gzip::Piece Gzip::Pack(std::string_view plain)
{
    Piece piece;
    // A full flush ends on a byte boundary with no final block. Pieces are
    // a few KiB: a small window and table are as good and far quicker to set up.
    piece.packed = Deflate(plain, -12, 6, Z_FULL_FLUSH);
    piece.crc = crc32(0L, reinterpret_cast<const Bytef*>(plain.data()), static_cast<uInt>(plain.size()));
    piece.size = plain.size();
    return piece;
}

std::string Gzip::Join(const std::vector<const Piece*>& pieces)
{
    static constexpr char kHeader[] = {'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, 3};
    // An empty final block of fixed codes.
    static constexpr char kLastBlock[] = {3, 0};
    std::size_t packedSize = sizeof kHeader + sizeof kLastBlock + 8;
    for (const Piece* piece : pieces)
        packedSize += piece->packed.size();
    std::string member(kHeader, sizeof kHeader);
    member.reserve(packedSize);
    unsigned long crc = crc32(0L, nullptr, 0);
    unsigned long size = 0;
    for (const Piece* piece : pieces) {
        member += piece->packed;
        crc = crc32_combine(crc, piece->crc, static_cast<z_off_t>(piece->size));
        size += piece->size;
    }
    member.append(kLastBlock, sizeof kLastBlock);
    PutLittleEndian(member, crc);
    PutLittleEndian(member, size);
    return member;
}
