#pragma once

#include <string>
#include <vector>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// The title screen with the main menu.
class MainMenu : public Singleton<MainMenu>, public Screen {
public:

    void SelectPrevious();
    void SelectNext();
    int Selected() const { return selected; }
    int ItemCount() const { return static_cast<int>(items.size()); }

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<MainMenu>;
    MainMenu();

    std::vector<std::string> items;
    int selected = 1;
};
