#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/MapTransfer.h"

class NetMessage;

// One map coming from the server, piece by piece: the map file first, then
// the radar picture, each in order. It trusts nothing: an offer over the
// limits, a piece out of order or beyond the size, a hash that does not
// match or a map file that does not read ends it with the reason, and
// nothing it took is kept.
class MapDownload {
public:
    enum class State { Receiving, Complete, Failed };
    // A download that hears nothing for this long ends.
    static constexpr std::uint32_t kStallMs = 10000;

    MapDownload(const MapTransfer::Offer& offer, std::uint32_t now);

    void Take(const MapTransfer::Piece& piece, std::uint32_t now);
    // A piece message as it came; one that does not read ends the download.
    void Take(const NetMessage& message, std::uint32_t now);
    // Ends a download the server stopped sending.
    void Check(std::uint32_t now);

    State Status() const { return state; }
    const MapTransfer::Offer& Offered() const { return offer; }
    // 0 to 1, counting both files.
    double Done() const;
    // Why it failed, as the player is told.
    const std::string& Problem() const { return problem; }
    const std::vector<std::uint8_t>& MapFile() const { return mapFile; }
    const std::vector<std::uint8_t>& Radar() const { return radar; }
    // A picture this game cannot read is not kept: the map goes without.
    void DropRadar() { radar = {}; }
    // Cells a map of the offered size could have at most: two bytes each.
    std::size_t MostCells() const { return offer.mapSize / 2; }
    // Whether a map of the offered size could have a cell there.
    bool MayHaveCell(int column, int row) const;

private:
    void Fail(std::string why);
    void Finish();

    MapTransfer::Offer offer;
    State state = State::Receiving;
    std::string problem;
    std::vector<std::uint8_t> mapFile;
    std::vector<std::uint8_t> radar;
    std::uint32_t heardAt = 0;
};
