#pragma once

#include <string>
#include <vector>

#include "base/Singleton.h"
#include "gfx/screens/Screen.h"

// Each bindable action with its keys and controller inputs, one line each,
// and a line below them saying what the last choice did.
class ControlsScreen : public Singleton<ControlsScreen>, public Screen {
public:
    struct Row {
        std::string label;
        std::string keys;
        std::string pads;
    };

    // Sets line row, adding lines up to it.
    void SetRow(int row, const Row& line);
    int RowCount() const { return static_cast<int>(rows.size()); }
    const Row& RowAt(int row) const { return rows[static_cast<std::size_t>(row)]; }

    // The selection wraps at both ends.
    void SelectPrevious();
    void SelectNext();
    int Selected() const { return selected; }

    // While waiting, the next key goes to the selected line.
    void SetWaiting(bool waiting) { waitingForKey = waiting; }
    bool Waiting() const { return waitingForKey; }
    void SetNotice(const std::string& text) { notice = text; }
    const std::string& Notice() const { return notice; }

protected:
    void DrawContent(float hw, float hh) override;

private:
    friend class Singleton<ControlsScreen>;
    ControlsScreen() = default;

    std::vector<Row> rows;
    std::string notice;
    int selected = 0;
    bool waitingForKey = false;
};
