// The menu's switcher on a page of every kind of item: how keys move, choose, type, bind, go
// back and close, and what it says it does.

#include "MenuKeys.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr SMenuKey kF1{true, GLUT_KEY_F1};

// GO, a blank line, COUNT (Left/Right, Backspace zeroes it), NAME (a field of letters, at most
// five), FIRE (a key to bind), MORE (a page of its own).
class Menu : public testing::Test {
protected:
    CMenu::SPage Top() {
        CMenu::SItem go;
        go.label = [] { return "GO"; };
        go.choose = [this] { log += "go;"; };
        CMenu::SItem blank;
        CMenu::SItem count;
        count.label = [this] { return "COUNT " + std::to_string(counter); };
        count.adjust = [this](int step) { counter += step; };
        count.erase = [this] { counter = 0; };
        CMenu::SItem name;
        name.field = {"NAME", [this] { return typedName; },
                      [](char c) { return std::isalpha(c) != 0; },
                      [this](const std::string& text) {
                          typedName = text;
                          return text.empty() ? std::string("EMPTY") : std::string();
                      },
                      5};
        CMenu::SItem fire;
        fire.label = [] { return "FIRE"; };
        fire.bind = [this](bool special, int code) {
            log += (special ? "special " : "key ") + std::to_string(code) + ";";
            return code == 'y' ? std::string("Y IS TAKEN") : std::string();
        };
        CMenu::SItem more;
        more.label = [] { return "MORE"; };
        more.choose = [this] { menu.Push([] { return CMenu::SPage{"MORE", {}}; }); };
        return {"TOP", {go, blank, count, name, fire, more}};
    }
    void Press(const MenuKeys& keys) {
        for (const SMenuKey& key : keys) {
            log += menu.KeyDown(key.special, key.code) == CMenu::EResult::Quit ? "quit;" : "";
        }
    }
    std::string Selected() const {
        for (const CMenu::SLine& line : menu.GetLines()) {
            if (line.selected) {
                return line.text;
            }
        }
        return menu.IsOpen() ? menu.GetPage()->title : "closed";
    }

    std::string log;
    int counter = 0;
    std::string typedName = "ANN";
    CMenu menu{[this](bool open) { log += open ? "open;" : "close;"; }};
};

TEST_F(Menu, KeysMoveChooseTypeBindAndGoBack) {
    struct SCase {
        const char* what;
        MenuKeys keys;
        std::string selected; // the selected line afterwards, or the page's title, or "closed"
        std::string log;
        int counter = 0;
        std::string name = "ANN";
    };
    const std::vector<SCase> cases = {
        {"opening selects the first item", {}, "> GO", "open;"},
        {"Enter chooses", {kEnter, kEnter}, "> GO", "open;go;go;"},
        {"Down skips the blank line", {kDown}, "> COUNT 0", "open;"},
        {"Up from the first wraps to the last", {kUp}, "> MORE", "open;"},
        {"Left and Right adjust", {kDown, kRight, kRight, kLeft}, "> COUNT 1", "open;", 1},
        {"Backspace on an item that erases", {kDown, kRight, kBackspace}, "> COUNT 0", "open;"},
        {"Backspace elsewhere closes the top", {kBackspace}, "closed", "open;close;"},
        {"Escape closes the top", {kEscape}, "closed", "open;close;"},
        {"q quits outside a field", {Char('q')}, "> GO", "open;quit;"},
        {"a field takes what it allows, up to its longest, Enter commits",
         {kDown, kDown, kEnter, kBackspace, kBackspace, kBackspace, Char('b'), Char('1'), Char('q'),
          Char('x'), Char('y'), Char('z'), Char('w'), kEnter},
         "> NAME bqxyz",
         "open;",
         0,
         "bqxyz"},
        {"Escape leaves a field unchanged",
         {kDown, kDown, kEnter, Char('x'), kEscape},
         "> NAME ANN",
         "open;"},
        {"an empty field's problem",
         {kDown, kDown, kEnter, kBackspace, kBackspace, kBackspace, kEnter},
         "> NAME ",
         "open;",
         0,
         ""},
        {"a binding takes the next key, special too",
         {kUp, kUp, kEnter, kF1},
         "> FIRE",
         "open;special 1;"},
        {"a field shows its cursor", {kDown, kDown, kEnter, Char('x')}, "> NAME ANNx_", "open;"},
        {"a binding asks for its key", {kUp, kUp, kEnter}, "> FIRE ?", "open;"},
        {"Escape binds nothing", {kUp, kUp, kEnter, kEscape, kEscape}, "closed", "open;close;"},
        {"a page over the top, Escape back to it", {kUp, kEnter, kEscape}, "> MORE", "open;"},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.what);
        log.clear();
        counter = 0;
        typedName = "ANN";
        menu.Close();
        log.clear();
        menu.Open([this] { return Top(); });
        Press(test.keys);
        EXPECT_EQ(Selected(), test.selected);
        EXPECT_EQ(log, test.log);
        EXPECT_EQ(counter, test.counter);
        EXPECT_EQ(typedName, test.name);
    }
}

// The note under the items says why a binding was refused, and a page longer than the panel
// scrolls with the selection.
TEST_F(Menu, LinesShowTheNoteAndScroll) {
    menu.Open([this] { return Top(); });
    Press({kUp, kUp, kEnter, Char('y')});
    EXPECT_EQ(menu.GetLines().back().text, "Y IS TAKEN");
    menu.Close();

    menu.Open([] {
        CMenu::SPage page{"LONG", {}};
        for (int index = 0; index < 40; ++index) {
            CMenu::SItem item;
            item.label = [index] { return std::to_string(index); };
            item.choose = [] {};
            page.items.push_back(item);
        }
        return page;
    });
    for (int move = 0; move < 30; ++move) {
        menu.Press(CMenu::EKey::Down);
    }
    const std::vector<CMenu::SLine> lines = menu.GetLines();
    EXPECT_EQ(lines.size(), 2u + CMenu::kVisibleItems);
    EXPECT_EQ(Selected(), "> 30");
    EXPECT_EQ(lines[2].text, "  " + std::to_string(30 - CMenu::kVisibleItems / 2));
    menu.Press(CMenu::EKey::Close);
    EXPECT_FALSE(menu.IsOpen());
}

} // namespace
