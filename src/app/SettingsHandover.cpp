#include "app/SettingsHandover.h"

#include "app/AppState.h"
#include "app/Settings.h"
#include "gfx/screens/OptionsScreen.h"

void HandSettingsToOptions()
{
    OptionsScreen* options = OptionsScreen::Instance();
    options->SetName(g_settings.PlayerName);
    options->SetShipType(g_settings.ShipType);
    options->SelectMode(g_settings.ResWidth, g_settings.ResHeight, g_settings.ResDepth, g_settings.ResFreq);
}

void TakeOptionsForGame()
{
    OptionsScreen* options = OptionsScreen::Instance();
    g_settings.ShipType = options->ShipType();
    char name[kTextBufferSize] = {};
    options->Name(name, sizeof name);
    g_settings.SetPlayerName(name);
}

void SaveSettings()
{
    OptionsScreen* options = OptionsScreen::Instance();
    char name[kTextBufferSize] = {};
    options->Name(name, sizeof name);
    g_settings.SetPlayerName(name);
    g_settings.ShipType = options->ShipType();
    int width = 0, height = 0, bits = 0, refresh = 0;
    if (options->SelectedMode(width, height, bits, refresh)) {
        g_settings.ResWidth = width;
        g_settings.ResHeight = height;
        g_settings.ResDepth = bits;
        g_settings.ResFreq = refresh;
    }
    WriteSettings(g_settings);
}
