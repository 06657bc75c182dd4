#pragma once

#include "menu/Menu.h"

#include <functional>
#include <string>
#include <vector>

class CBoardLink;
class CGame;
class CKeyBindings;
class CPlayerSettings;
class CRenderSettings;
class CResolutionScaler;

// The game's menu: the table of its pages and what each item does. It opens over the live
// scene and pauses the game the one way the game pauses (F4); closing it goes on unless the
// player had paused before. Everything it changes is kept at once in the player's files:
// settings.txt, keys.txt and board.txt. What only the program's entry point can do (the world
// of the day, watching a replay, the screen, quitting) it asks of the hooks.
class CGameMenu {
public:
    enum class EWatch { LastRun, Best, BoardBest };
    struct SHooks {
        std::function<void()> flyDaily;
        std::function<std::string(EWatch)> watch; // "" when it plays, else why not
        std::function<void()> quit;
        std::function<bool()> isFullScreen;
        std::function<void(bool fullScreen)> setFullScreen;
        std::function<void()> boardSaved; // board.txt changed: the board is read again
    };
    struct SFiles {
        std::string keys;     // keys.txt
        std::string settings; // settings.txt
        std::string board;    // board.txt
        std::string data;     // the data directory, whose outbox the BOARD page counts
    };
    // Ranges of CHOOSE WORLD, as the command line takes them.
    struct SWorldRanges {
        int highestDifficulty;
        int longest;
        unsigned highestSeed;
    };

    // Every reference is kept, not owned; the board may be set later (SetBoard).
    CGameMenu(CGame& game, CKeyBindings& keys, CPlayerSettings& settings, CRenderSettings& render,
              CResolutionScaler& resolution, SFiles files, SWorldRanges ranges, SHooks hooks);

    void SetBoard(const CBoardLink* link) { board = link; }
    void Open();
    bool IsOpen() const { return menu.IsOpen(); }
    CMenu::EResult KeyDown(bool special, int code);
    void Press(CMenu::EKey key);
    // Once a frame: the menu's lines to the game's panel when they changed, none once closed.
    void Update();
    const CMenu& GetMenu() const { return menu; }

    // The title's key lines for the keys in force: fly, steer, fire and the menu's.
    static std::vector<std::string> TitleKeys(const CKeyBindings& keys);
    // The lengths CHOOSE WORLD steps through, nodes; the command line's longest ends the list.
    static std::vector<int> LengthSteps(int longest);

private:
    void Opened(bool open);
    CMenu::SPage TopPage();
    CMenu::SPage ChooseWorldPage();
    CMenu::SPage WatchPage();
    CMenu::SPage RecordsPage();
    CMenu::SPage BoardPage();
    CMenu::SPage ControlsPage();
    CMenu::SPage SoundPage();
    CMenu::SPage DisplayPage();
    CMenu::SItem Action(std::string label, std::function<void()> action);
    CMenu::SItem Submenu(std::string label, CMenu::SPage (CGameMenu::*page)());
    CMenu::SItem TextLine(std::string text);
    std::string BoardStatus() const;
    std::string SaveSettings();
    std::string SaveBoard(const std::string& name, const std::string& url);
    void ReadBoardFile();
    void CloseAnd(const std::function<void()>& action);

    CGame& game;
    CKeyBindings& keys;
    CPlayerSettings& settings;
    CRenderSettings& render;
    CResolutionScaler& resolution;
    SFiles files;
    SWorldRanges ranges;
    SHooks hooks;
    const CBoardLink* board = nullptr;
    CMenu menu;
    bool pausedByMenu = false;
    int chosenDifficulty = 1;
    int chosenLength = 120;
    unsigned chosenSeed = 0;
    std::string boardName; // as board.txt has them
    std::string boardUrl;
    std::vector<CMenu::SLine> shownLines;
};
