#pragma once

#include <string>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// The player types the host name or address of a server to look for.
class AddressEntry : public Singleton<AddressEntry>, public Screen {
public:

    void SetText(const char* newText);
    void GetText(char* buffer, int size) const;
    const std::string& Text() const { return text; }
    // Whether the line naming the key to the internet list shows; the
    // designed screen has none.
    void ShowListKey(bool show) { listKey = show; }

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<AddressEntry>;
    AddressEntry() = default;

    std::string text;
    bool listKey = true;
};
