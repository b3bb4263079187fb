#pragma once

// The settings meet the options screen here: at start-up the saved values
// are shown on it, and Enter on it saves what it shows.
void HandSettingsToOptions();

// A game starts with the options screen's ship and name (at most 127
// characters), saved or not.
void TakeOptionsForGame();

// Takes the options screen's name (at most 127 characters), ship and
// selected display mode into the settings and writes all six. Without a
// listed mode the display values stay as they were.
void SaveSettings();
