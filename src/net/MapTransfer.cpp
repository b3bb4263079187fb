#include "net/MapTransfer.h"

#include <algorithm>
#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "net/NetMessage.h"

namespace MapTransfer {

namespace {

void Send(int kind, const ByteWriter& out, NetMessage& message)
{
    message.SetBody(kind, out.Data().data(), out.Data().size());
}

bool ReadHash(ByteReader& in, platform::Sha256& hash)
{
    const std::uint8_t* bytes = in.Bytes(hash.size());
    if (bytes)
        std::memcpy(hash.data(), bytes, hash.size());
    return bytes != nullptr;
}

ByteReader BodyOf(const NetMessage& message, int kind)
{
    const TrackedBuffer& body = message.Body();
    return message.Kind() == kind ? ByteReader(body.Data(), body.Size()) : ByteReader(nullptr, 0);
}

} // namespace

void Write(const Offer& offer, NetMessage& out)
{
    ByteWriter bytes;
    bytes.U32(offer.mapSize);
    bytes.Bytes(offer.mapHash.data(), offer.mapHash.size());
    bytes.U32(offer.radarSize);
    bytes.Bytes(offer.radarHash.data(), offer.radarHash.size());
    bytes.U32(static_cast<std::uint32_t>(offer.name.size()));
    bytes.Bytes(offer.name.data(), offer.name.size());
    Send(kMsgMapOffer, bytes, out);
}

void WriteRequest(const platform::Sha256& mapHash, NetMessage& out)
{
    ByteWriter bytes;
    bytes.Bytes(mapHash.data(), mapHash.size());
    Send(kMsgMapRequest, bytes, out);
}

void Write(const Piece& piece, NetMessage& out)
{
    ByteWriter bytes;
    bytes.U8(static_cast<std::uint8_t>(piece.part));
    bytes.U32(piece.offset);
    bytes.U32(static_cast<std::uint32_t>(piece.bytes.size()));
    bytes.Bytes(piece.bytes.data(), piece.bytes.size());
    Send(kMsgMapPiece, bytes, out);
}

std::optional<Offer> ReadOffer(const NetMessage& message)
{
    ByteReader in = BodyOf(message, kMsgMapOffer);
    Offer offer;
    std::uint32_t length = 0;
    if (!in.U32(offer.mapSize) || !ReadHash(in, offer.mapHash) || !in.U32(offer.radarSize) ||
        !ReadHash(in, offer.radarHash) || !in.U32(length) || length != in.Remaining())
        return std::nullopt;
    offer.name.assign(reinterpret_cast<const char*>(in.Bytes(length)), length);
    return offer;
}

std::optional<platform::Sha256> ReadRequest(const NetMessage& message)
{
    ByteReader in = BodyOf(message, kMsgMapRequest);
    platform::Sha256 hash {};
    if (!ReadHash(in, hash) || in.Remaining() != 0)
        return std::nullopt;
    return hash;
}

std::optional<Piece> ReadPiece(const NetMessage& message)
{
    ByteReader in = BodyOf(message, kMsgMapPiece);
    Piece piece;
    std::uint8_t part = 0;
    std::uint32_t length = 0;
    if (!in.U8(part) || part > static_cast<std::uint8_t>(Part::Radar) || !in.U32(piece.offset) || !in.U32(length) ||
        length != in.Remaining() || length > kPieceBytes)
        return std::nullopt;
    piece.part = static_cast<Part>(part);
    const std::uint8_t* bytes = in.Bytes(length);
    piece.bytes.assign(bytes, bytes + length);
    return piece;
}

} // namespace MapTransfer
