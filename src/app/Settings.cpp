#include "app/Settings.h"

#include <cstring>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "platform/SettingsStore.h"

Settings g_settings;

namespace {

void QueryNumber(const platform::SettingsStore& key, const char* name, std::int32_t& out)
{
    const auto* value = key.Query(name);
    if (!value || value->size() != 4)
        return;
    ByteReader(value->data(), value->size()).I32(out);
}

void SetNumber(platform::SettingsStore& key, const char* name, std::int32_t number)
{
    ByteWriter bytes;
    bytes.I32(number);
    key.Set(name, bytes.Data().data(), bytes.Data().size());
}

void QueryBindings(const platform::SettingsStore& key, KeyBindings& bindings)
{
    bindings.Reset();
    for (int action = 0; action < KeyBindings::kActions; ++action) {
        if (const auto* value = key.Query(KeyBindings::Action(action).value))
            bindings.Restore(action, false, value->data(), value->size());
        if (const auto* value = key.Query(KeyBindings::Action(action).padValue))
            bindings.Restore(action, true, value->data(), value->size());
    }
    bindings.DropDuplicates();
}

// A list of texts is kept as one value, a line each.
void QueryLines(const platform::SettingsStore& key, const char* name, std::vector<std::string>& out)
{
    const auto* value = key.Query(name);
    if (!value)
        return;
    out.clear();
    std::string line;
    for (const std::uint8_t byte : *value) {
        if (byte != '\n') {
            line += static_cast<char>(byte);
            continue;
        }
        if (!line.empty())
            out.push_back(line);
        line.clear();
    }
    if (!line.empty())
        out.push_back(line);
}

void SetLines(platform::SettingsStore& key, const char* name, const std::vector<std::string>& lines)
{
    std::string value;
    for (const std::string& line : lines)
        value += line + "\n";
    key.Set(name, value.data(), value.size());
}

void SetControls(platform::SettingsStore& key, const Settings& settings)
{
    for (int action = 0; action < KeyBindings::kActions; ++action) {
        key.Set(KeyBindings::Action(action).value, settings.Keys.Keys(action), KeyBindings::kKeysPerAction);
        key.Set(KeyBindings::Action(action).padValue, settings.Keys.Pads(action), KeyBindings::kKeysPerAction);
    }
    SetNumber(key, "Windowed", settings.Windowed);
    SetNumber(key, "WindowWidth", settings.WindowWidth);
    SetNumber(key, "WindowHeight", settings.WindowHeight);
    SetNumber(key, "RecordDemos", settings.RecordDemos);
    SetNumber(key, "ClassicHud", settings.ClassicHud);
    SetLines(key, "Masters", settings.Masters);
    SetLines(key, "Favourites", settings.Favourites);
}

} // namespace

void Settings::SetPlayerName(const char* name)
{
    std::memset(PlayerName, 0, sizeof PlayerName);
    if (name)
        std::strncpy(PlayerName, name, sizeof PlayerName - 1);
}

void LoadSettings(Settings& settings)
{
    platform::SettingsStore key;
    if (!key.OpenForRead())
        return;

    std::memset(settings.PlayerName, 0, sizeof settings.PlayerName);
    if (const auto* name = key.Query("PlayerName"); name && !name->empty() && name->size() < sizeof settings.PlayerName)
        std::memcpy(settings.PlayerName, name->data(), name->size());
    QueryNumber(key, "ShipType", settings.ShipType);
    QueryNumber(key, "ResWidth", settings.ResWidth);
    QueryNumber(key, "ResHeight", settings.ResHeight);
    QueryNumber(key, "ResDepth", settings.ResDepth);
    QueryNumber(key, "ResFreq", settings.ResFreq);
    QueryNumber(key, "Volume", settings.Volume);
    QueryBindings(key, settings.Keys);
    QueryNumber(key, "Windowed", settings.Windowed);
    QueryNumber(key, "WindowWidth", settings.WindowWidth);
    QueryNumber(key, "WindowHeight", settings.WindowHeight);
    QueryNumber(key, "RecordDemos", settings.RecordDemos);
    QueryNumber(key, "ClassicHud", settings.ClassicHud);
    QueryLines(key, "Masters", settings.Masters);
    QueryLines(key, "Favourites", settings.Favourites);
}

bool WriteSettings(const Settings& settings)
{
    platform::SettingsStore key;
    if (!key.OpenForWrite())
        return false;

    key.Set("PlayerName", settings.PlayerName, std::strlen(settings.PlayerName));
    SetNumber(key, "ShipType", settings.ShipType);
    SetNumber(key, "ResWidth", settings.ResWidth);
    SetNumber(key, "ResHeight", settings.ResHeight);
    SetNumber(key, "ResDepth", settings.ResDepth);
    SetNumber(key, "ResFreq", settings.ResFreq);
    SetNumber(key, "Volume", settings.Volume);
    SetControls(key, settings);
    return key.Commit();
}

bool WriteControlSettings(const Settings& settings)
{
    platform::SettingsStore key;
    if (!key.OpenForWrite())
        return false;
    SetControls(key, settings);
    return key.Commit();
}
