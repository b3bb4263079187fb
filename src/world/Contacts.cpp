#include "world/Contacts.h"

#include <algorithm>

const ContactRow* ContactOf(int type)
{
    for (const ContactRow& row : kContacts) {
        if (row.with == type)
            return &row;
    }
    return nullptr;
}

bool HitsItsOwnShip(double flown, int worldWidth, int worldHeight)
{
    // The height of the smallest display offered; two cells clear the
    // ship's nose and the widest touch.
    constexpr double kAboutAScreen = 768.0;
    constexpr int kShortOfALap = 64;
    return flown <= std::min(kAboutAScreen, static_cast<double>(std::min(worldWidth, worldHeight) - kShortOfALap));
}
