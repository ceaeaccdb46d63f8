// How a scripted run answers the plug-in's windows: an answer names the
// window's caption, the fields to fill in and the button to press. The fields
// each window takes are known here, so that a wrong one is found when the
// answer is read rather than when the window shows.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace refhost {

class ModalWindow;

struct WindowAnswer
{
    std::string caption;
    std::vector<std::pair<std::string, std::string>> fields;
    std::string button = "OK";
    int line = 0; // where the scenario gave it
};

// Reads "answer CAPTION [FIELD=VALUE]... [BUTTON]" from its words, the first
// being "answer"; false with the reason.
bool ParseWindowAnswer(const std::vector<std::string> &words, WindowAnswer &answer, std::string &error);

// Fills in the window's fields, says what it does, then presses the button.
// What cannot be done as asked goes to failures.
void AnswerWindow(const WindowAnswer &answer, ModalWindow &w, std::vector<std::string> &failures,
                  const std::function<void(const std::string &)> &say);

// The fields each window takes, for the help: "Action Properties: name, ...; Record: ...".
std::string AnswerFieldsHelp();

// "Ctrl+Shift+K" as a virtual key and its modifiers; false for text that names no key.
struct KeyChord
{
    UINT vk = 0;
    bool ctrl = false, alt = false, shift = false;
};
bool ParseKeyChord(const std::string &text, KeyChord &chord);
// What is said of text that names no key.
std::string NotAHotkey(const std::string &text);

} // namespace refhost
