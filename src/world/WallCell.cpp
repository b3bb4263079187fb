#include "world/WallCell.h"

#include "world/Map.h"

WallCell::WallCell(const Polygon& outline)
{
    AddHullPolygon(&outline);
    SetRadius(kCornerDistance);
    alive = true;
}

void WallCell::MoveTo(const Map& map, int column, int row)
{
    SetPosition(Vector3(column * map.TileWidth() + map.TileWidth() / 2.0,
                        row * map.TileHeight() + map.TileHeight() / 2.0, 0.0));
}
