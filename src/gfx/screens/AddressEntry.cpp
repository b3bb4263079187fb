#include "gfx/screens/AddressEntry.h"

#include <GL/gl.h>

#include <memory>

#include "base/TextCopy.h"

void AddressEntry::SetText(const char* newText)
{
    if (newText)
        text = newText;
}

void AddressEntry::GetText(char* buffer, int size) const
{
    CopyText(buffer, size, text.c_str());
}

void AddressEntry::DrawContent(float, float hh)
{
    glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
    DrawCentred(hh - 100.0f, "Enter IP Address or Hostname");
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (!text.empty())
        DrawCentred(hh - 120.0f, text.c_str());
    if (listKey)
        DrawCentred(-hh + 80.0f, "Tab Lists Internet Servers");
    DrawCentred(-hh + 60.0f, "Type To Enter an IP Address or Hostname");
    DrawCentred(-hh + 40.0f, "Enter Confirms the IP Address or Hostname");
    DrawCentred(-hh + 20.0f, "Escape Returns to Main Menu");
}
