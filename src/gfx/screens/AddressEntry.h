#pragma once

#include <string>

#include "gfx/screens/Screen.h"

// The player types the host name or address of a server to look for.
class AddressEntry : public Screen {
public:
    static AddressEntry* Instance();

    void SetText(const char* newText);
    void GetText(char* buffer, int size) const;
    const std::string& Text() const { return text; }

protected:
    void DrawContent(float hw, float hh) override;

private:
    AddressEntry() = default;

    std::string text;
};
