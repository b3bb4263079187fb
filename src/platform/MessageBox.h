#pragma once

namespace platform {

enum class MessageIcon { Stop, Exclamation, Information };

// Tells the player: always on stderr, and in a dialog only when a person is
// there to answer it (never headless, never with QUILLROCK_NO_DIALOGS set).
void ShowMessageBox(const char* text, const char* title, MessageIcon icon);

} // namespace platform
