#include "gfx/screens/ServerBrowser.h"

#include <GL/gl.h>

#include <memory>

#include "base/TextCopy.h"
#include "gfx/Renderer.h"

bool ServerBrowser::LoadTextures()
{
    // Not drawn here: fetched so that they are loaded before the game starts.
    for (const char* picture : {"Triship.tga", "Twoship.tga", "XShip.tga", "YShip.tga", "CurveShip.tga",
                                "TrekShip.tga", "shield.tga"})
        Acquire(picture);
    return NoteError();
}

void ServerBrowser::ClearHosts()
{
    hosts.clear();
}

void ServerBrowser::AddHost(const char* name, int maxPlayers, int currentPlayers)
{
    if (name)
        hosts.push_back({name, maxPlayers, currentPlayers});
}

void ServerBrowser::SelectPrevious()
{
    if (--selected < 1)
        selected = HostCount();
}

void ServerBrowser::SelectNext()
{
    if (++selected > HostCount())
        selected = 1;
}

void ServerBrowser::SelectedName(char* buffer, int size) const
{
    const bool listed = selected >= 1 && selected <= HostCount();
    CopyText(buffer, size, listed ? hosts[static_cast<std::size_t>(selected - 1)].name.c_str() : nullptr);
}

void ServerBrowser::DrawContent(float, float hh)
{
    Renderer* renderer = Renderer::Instance();
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 60.0f, "Select A Server To Play On");
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (HasHosts()) {
        renderer->DrawText(-285.0f, hh - 132.0f, "%-28s %28s", "Server Name", "Players/Max");
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_LINES);
        glVertex2f(-285.0f, hh - 134.0f);
        glVertex2f(285.0f, hh - 134.0f);
        glEnd();
        glEnable(GL_TEXTURE_2D);
        for (int i = 1; i <= HostCount(); ++i) {
            const HostEntry& host = hosts[static_cast<std::size_t>(i - 1)];
            if (i == selected)
                glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
            else
                glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            renderer->DrawText(-285.0f, hh - 120.0f - 16.0f * static_cast<float>(i + 1), "%-50s  %02d/%02d",
                               host.name.c_str(), host.currentPlayers, host.maxPlayers);
        }
    } else {
        DrawCentred(hh - 132.0f, searching ? "Searching for hosts, please wait..." : "No Servers Found...");
        if (!searching && !problem.empty())
            DrawCentred(hh - 152.0f, problem.c_str());
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentred(-hh + 100.0f, "Up and Down Arrow Moves Between Servers");
    DrawCentred(-hh + 80.0f, "Enter Selects a Server");
    DrawCentred(-hh + 60.0f, "Escape Returns to main menu");
    if (watchKey)
        DrawCentred(-hh + 40.0f, "F6 Watches a Server Without a Ship");
}
