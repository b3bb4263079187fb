#include "gfx/screens/InternetServers.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "gfx/Renderer.h"

namespace {

constexpr float kLeft = -425.0f;
constexpr float kRight = 425.0f;
constexpr float kRowHeight = 16.0f;
constexpr float kTopSpace = 152.0f;    // from the top to the first row
constexpr float kBottomSpace = 140.0f; // the help lines below the rows

constexpr const char* kColumnNames[ServerTable::kColumns] = {"Name", "Map", "Mode", "People", "Robots", "Seats",
                                                             "Ping"};

std::string PingText(int ms)
{
    if (ms == ServerTable::kNoPing)
        return "?";
    return ms < 0 ? "-" : std::to_string(ms);
}

std::string HiddenText(int hidden)
{
    std::string text;
    if (hidden & ServerTable::kHideFull)
        text += " full,";
    if (hidden & ServerTable::kHideEmpty)
        text += " empty,";
    if (hidden & ServerTable::kHideRobotsOnly)
        text += " robots only,";
    if (text.empty())
        return "";
    text.pop_back();
    return "   Hiding" + text;
}

} // namespace

std::string InternetServers::HeaderText(const ServerTable& table)
{
    std::string names[ServerTable::kColumns];
    for (int column = 0; column < ServerTable::kColumns; ++column) {
        names[column] = kColumnNames[column];
        if (column == table.SortColumn())
            names[column] += table.Descending() ? "-" : "+";
    }
    char line[256];
    std::snprintf(line, sizeof line, "  %-32s %-14s %-6s %7s %7s %6s %5s", names[0].c_str(), names[1].c_str(),
                  names[2].c_str(), names[3].c_str(), names[4].c_str(), names[5].c_str(), names[6].c_str());
    return line;
}

std::string InternetServers::RowText(const ServerTable& table, const ServerTable::Row& row)
{
    const ListedServer& server = *row.server;
    char line[256];
    if (!row.listed) {
        std::snprintf(line, sizeof line, "+ %-32.32s %-14s %-6s %7s %7s %6s %5s", server.name.c_str(), "unlisted", "",
                      "", "", "", PingText(table.PingOf(server.address)).c_str());
        return line;
    }
    std::snprintf(line, sizeof line, "%s %-32.32s %-14.14s %-6.6s %7d %7d %6d %5s", row.favourite ? "+" : " ",
                  server.name.c_str(), server.map.c_str(), server.mode.c_str(), server.people, server.robots,
                  server.seats, PingText(table.PingOf(server.address)).c_str());
    return line;
}

int InternetServers::VisibleRows() const
{
    return std::max(1, static_cast<int>((height - kTopSpace - kBottomSpace) / kRowHeight));
}

std::size_t InternetServers::FirstShown() const
{
    const auto fits = static_cast<std::size_t>(VisibleRows());
    const std::size_t selected = table.Selected();
    return selected < fits ? 0 : selected + 1 - fits;
}

void InternetServers::DrawRows(float hh) const
{
    Renderer* renderer = Renderer::Instance();
    const auto& rows = table.Rows();
    const std::size_t first = FirstShown();
    const std::size_t last = std::min(rows.size(), first + static_cast<std::size_t>(VisibleRows()));
    if (rows.empty() && (table.ListedCount() > 0 || !table.Favourites().empty())) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawCentred(hh - kTopSpace, "No server shown matches the filter: Backspace or F2 to F4 show more");
    }
    for (std::size_t i = first; i < last; ++i) {
        if (i == table.Selected())
            glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
        else
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        const float y = hh - kTopSpace - kRowHeight * static_cast<float>(i - first);
        renderer->DrawText(kLeft, y, "%s", RowText(table, rows[i]).c_str());
    }
}

void InternetServers::DrawContent(float, float hh)
{
    Renderer* renderer = Renderer::Instance();
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 60.0f, "Internet Servers");
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentred(hh - 84.0f, notice.c_str());
    const std::string filterLine = "Filter: " + table.Filter() + HiddenText(table.Hidden());
    renderer->DrawText(kLeft, hh - 108.0f, "%s", filterLine.c_str());
    renderer->DrawText(kLeft, hh - 132.0f, "%s", HeaderText(table).c_str());
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    glVertex2f(kLeft, hh - 134.0f);
    glVertex2f(kRight, hh - 134.0f);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    DrawRows(hh);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentred(-hh + 120.0f, "Up and Down Arrow Moves Between Servers, Enter Joins");
    DrawCentred(-hh + 100.0f, "Type To Filter, Left and Right Arrow Sort, Tab Reverses");
    DrawCentred(-hh + 80.0f, "F1 Favourite   F2 Hide Full   F3 Hide Empty   F4 Hide Robots Only");
    DrawCentred(-hh + 60.0f, "F5 Fetches the List Again and Pings Every Server Shown");
    DrawCentred(-hh + 40.0f, "Escape Returns to the Address");
    DrawCentred(-hh + 20.0f, "F6 Watches the Selected Server Without a Ship");
}
