#pragma once

#include <functional>
#include <string>
#include <vector>

// The menu's switcher: a stack of pages, each a table of items, and the one item that has the
// keys. It knows nothing of the game: each item says what it shows and what it does. Keys come
// as GLUT gives them (KeyDown) or as the pads' few buttons (Press); what to draw comes out as
// lines. Three modes: moving between items, typing into a text field, and waiting for the next
// key to bind.
class CMenu {
public:
    enum class EKey { Up, Down, Left, Right, Choose, Back, Erase, Close };
    enum class EResult { Stay, Quit }; // Quit: q pressed outside a text field

    // A text field: what it holds, which characters it takes, and what Enter does with the text
    // (an empty problem: taken).
    struct SField {
        std::string caption; // shown before the text: "NAME"
        std::function<std::string()> get;
        std::function<bool(char)> takes;
        std::function<std::string(const std::string&)> commit; // returns the problem, or ""
        std::size_t longest = 40;
    };
    struct SItem {
        std::function<std::string()> label; // what the line shows now
        std::function<void()> choose;       // Enter; null with no field or binding: a line of text
        std::function<void(int step)> adjust; // Left -1, Right +1; null: none
        std::function<bool(char)> type;       // a character typed on the line (digits of a seed)
        std::function<void()> erase;          // Backspace on the line; null: Backspace goes back
        SField field;                         // a text field when field.get is set
        // A key to bind: Enter waits for the next key, which goes here; returns the problem or "".
        std::function<std::string(bool special, int code)> bind;
        bool IsSelectable() const { return choose || adjust || field.get || bind; }
    };
    struct SPage {
        std::string title;
        std::vector<SItem> items;
    };
    struct SLine {
        std::string text;
        bool selected = false; // the item the keys act on
        bool heading = false;  // the page's title, or the note under the items
    };
    using PageMaker = std::function<SPage()>; // pages are made when opened, so they show what is

    // The items shown at once; a longer page scrolls with the selection.
    static constexpr int kVisibleItems = 14;

    // opened(true) when the menu opens, opened(false) when it closes.
    explicit CMenu(std::function<void(bool)> opened = {});

    void Open(PageMaker top);
    void Close();
    bool IsOpen() const { return !stack.empty(); }
    void Push(PageMaker page); // a page over the current one; Back returns
    void Refresh();            // the current page made again: what it shows has changed
    void SetNote(std::string note) { this->note = std::move(note); } // one line under the items

    // A key from the keyboard while the menu is open: special for GLUT's special keys.
    EResult KeyDown(bool special, int code);
    void Press(EKey key); // from the pads

    bool IsTyping() const { return typing; }
    bool IsBinding() const { return binding; }
    std::vector<SLine> GetLines() const;
    const SPage* GetPage() const; // null when closed
    int GetSelection() const;     // the selected item's index on the current page

private:
    struct SLevel {
        PageMaker maker;
        SPage page;
        int selection = 0;
    };
    SItem* Selected();
    void Move(int step);
    void SelectFirst();
    void Choose();
    void Back();
    void Erase();
    void TypeCharacter(char c);
    void KeyInField(bool special, int code);
    static bool ToMenuKey(bool special, int code, EKey& key);

    std::function<void(bool)> opened;
    std::vector<SLevel> stack;
    std::string note;
    bool typing = false;
    std::string typed; // the text field's text while typing
    bool binding = false;
};
