// The one file of the reference host that knows the plug-in's control ids.
#include "refhost/driver/DialogAnswers.h"

#include <commctrl.h>
#include <cstdlib>

#include "refhost/driver/ModalDriver.h"
#include "ui/resource.h"

namespace refhost {

namespace {

enum class FieldKind
{
    Text,
    YesNo,
    Hotkey,      // pressed into the capture field, then assigned
    ListedAction // selected in the grid's list of actions
};

struct AnswerField
{
    const char *caption;
    const char *name;
    FieldKind kind;
    int id;
};

const AnswerField kFields[] = {
    {"Action Properties", "name", FieldKind::Text, IDC_TP_NAME},
    {"Action Properties", "repeat", FieldKind::Text, IDC_TP_REPEAT},
    {"Action Properties", "global", FieldKind::YesNo, IDC_TP_GLOBAL},
    {"Action Properties", "menu", FieldKind::YesNo, IDC_TP_MENU},
    {"Action Properties", "hotkey", FieldKind::Hotkey, IDC_TP_NEW},
    {"Player Settings", "action", FieldKind::ListedAction, 0},
    {"Player Settings", "repeat", FieldKind::Text, IDC_PS_REPEAT},
    {"Record", "dont-show", FieldKind::YesNo, IDC_RECORD_DONTSHOW},
};

const AnswerField *FindField(const std::string &caption, const std::string &name)
{
    for (const AnswerField &f : kFields)
        if (caption == f.caption && name == f.name)
            return &f;
    return nullptr;
}

bool IsYes(const std::string &value, bool &yes)
{
    if (value == "yes" || value == "1" || value == "on")
        yes = true;
    else if (value == "no" || value == "0" || value == "off")
        yes = false;
    else
        return false;
    return true;
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

void SetCheck(ModalWindow &w, int id, bool checked)
{
    if (w.IsChecked(id) != checked)
        w.Click(id);
}

// Player Settings lists the actions in the grid's list view, the action's name in the second column.
bool SelectAction(ModalWindow &w, const std::string &name)
{
    HWND list = w.FindChild(WC_LISTVIEWA);
    if (!list)
        return false;
    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        char text[MAX_PATH] = "";
        LVITEMA item = {};
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (_stricmp(text, name.c_str()) == 0)
        {
            LVITEMA select = {};
            select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&select));
            return true;
        }
    }
    return false;
}

void Fill(const AnswerField &field, const std::string &value, ModalWindow &w, std::vector<std::string> &failures)
{
    bool yes = false;
    switch (field.kind)
    {
    case FieldKind::Text:
        w.SetText(field.id, value);
        break;
    case FieldKind::YesNo:
        SetCheck(w, field.id, IsYes(value, yes) && yes);
        break;
    case FieldKind::Hotkey:
    {
        KeyChord chord;
        ParseKeyChord(value, chord);
        w.PressKey(field.id, chord.vk, chord.ctrl, chord.alt, chord.shift);
        if (!w.IsEnabled(IDC_TP_ASSIGN))
        {
            std::string taken = w.Text(IDC_TP_ASSIGNED);
            taken.erase(0, taken.find_first_not_of("\r\n"));
            failures.push_back("the hotkey " + value + " cannot be assigned: " + taken);
        }
        else
            w.Click(IDC_TP_ASSIGN);
        break;
    }
    case FieldKind::ListedAction:
        if (!SelectAction(w, value))
            failures.push_back(std::string(field.caption) + " lists no action \"" + value + "\"");
        break;
    }
}

} // namespace

bool ParseWindowAnswer(const std::vector<std::string> &words, WindowAnswer &answer, std::string &error)
{
    if (words.size() < 2)
    {
        error = "answer needs the window's caption";
        return false;
    }
    answer = WindowAnswer();
    answer.caption = words[1];
    for (size_t i = 2; i < words.size(); ++i)
    {
        const size_t eq = words[i].find('=');
        if (eq == std::string::npos)
        {
            if (i + 1 != words.size())
            {
                error = "the button (" + words[i] + ") comes last in an answer";
                return false;
            }
            answer.button = words[i];
            continue;
        }
        const std::string name = words[i].substr(0, eq), value = words[i].substr(eq + 1);
        const AnswerField *field = FindField(answer.caption, name);
        bool yes;
        KeyChord chord;
        if (!field)
            error = "\"" + answer.caption + "\" has no field " + name;
        else if (field->kind == FieldKind::YesNo && !IsYes(value, yes))
            error = name + " takes yes or no, not \"" + value + "\"";
        else if (field->kind == FieldKind::Hotkey && !ParseKeyChord(value, chord))
            error = NotAHotkey(value);
        else
        {
            answer.fields.emplace_back(name, value);
            continue;
        }
        return false;
    }
    return true;
}

void AnswerWindow(const WindowAnswer &answer, ModalWindow &w, std::vector<std::string> &failures,
                  const std::function<void(const std::string &)> &say)
{
    std::string said = "  [" + answer.caption + "]";
    const std::string message = w.MessageText();
    if (!message.empty())
        said += " " + message;
    for (const auto &field : answer.fields)
    {
        said += " " + field.first + "=" + field.second;
        Fill(*FindField(answer.caption, field.first), field.second, w, failures);
    }
    say(said + " -> " + answer.button);
    w.ClickButton(answer.button);
}

std::string AnswerFieldsHelp()
{
    std::string help;
    const char *caption = nullptr;
    for (const AnswerField &f : kFields)
    {
        const bool same = caption && std::string(caption) == f.caption;
        help += same ? ", " : std::string(caption ? "; " : "") + f.caption + ": ";
        help += f.name;
        if (f.kind == FieldKind::YesNo)
            help += " (yes or no)";
        caption = f.caption;
    }
    return help;
}

bool ParseKeyChord(const std::string &text, KeyChord &chord)
{
    chord = KeyChord();
    size_t start = 0;
    for (;;)
    {
        size_t plus = text.find('+', start);
        // A last "+" that ends the text is the key itself.
        if (plus == std::string::npos || plus + 1 == text.size())
            break;
        const std::string modifier = Lower(text.substr(start, plus - start));
        if (modifier == "ctrl" || modifier == "control")
            chord.ctrl = true;
        else if (modifier == "alt")
            chord.alt = true;
        else if (modifier == "shift")
            chord.shift = true;
        else
            return false;
        start = plus + 1;
    }
    const std::string key = text.substr(start);
    if (key.size() == 1 && ::isalnum(static_cast<unsigned char>(key[0])))
        chord.vk = static_cast<UINT>(::toupper(static_cast<unsigned char>(key[0])));
    else if (key.size() >= 2 && (key[0] == 'F' || key[0] == 'f') && key.find_first_not_of("0123456789", 1) == std::string::npos &&
             std::atoi(key.c_str() + 1) >= 1 && std::atoi(key.c_str() + 1) <= 24)
        chord.vk = VK_F1 + static_cast<UINT>(std::atoi(key.c_str() + 1) - 1);
    else
        return false;
    return true;
}

std::string NotAHotkey(const std::string &text)
{
    return "\"" + text + "\" is not a hotkey (write it as Ctrl+1, Ctrl+Shift+K, Alt+F5)";
}

} // namespace refhost
