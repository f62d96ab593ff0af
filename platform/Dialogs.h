#pragma once
// The start-up question and the error boxes, drawn with Xlib on a connection
// of their own. Each stands on the game's monitor (where the game's surface is
// or will be); over a full-screen surface it gets the keyboard for as long as
// it is up and hands it back when it goes.

// Opens the boxes' connection to the display named by DISPLAY, kept for the
// whole run; false when the display cannot be reached.
bool displayReachable();

// A modal question with the buttons Yes and No, shown before the game's
// window exists. Returns true only when the player answers Yes.
bool askYesNo(const char* caption, const char* text);

// A modal message with a single OK button; returns once the player has
// dismissed it. A trailing line feed in the text is not shown as a blank line.
void showErrorBox(const char* caption, const char* text);
// The caption of every error box the game shows.
constexpr const char* ERROR_CAPTION = "Error";
