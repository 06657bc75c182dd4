// The game's menu over a real game with its HUD: what each item does to the game and to the
// player's files, walked by keys as the keyboard sends them.

#include "../game/GameGl.h"
#include "FileBytes.h"
#include "MenuKeys.h"
#include "app/KeyHandler.h"
#include "menu/GameMenu.h"
#include "online/BoardSettings.h"
#include "render/ResolutionScaler.h"
#include "runs/ReplayPlayback.h"
#include "settings/KeyBindings.h"
#include "settings/PlayerSettings.h"

namespace {

// The top page's items, in their order.
enum EItem {
    kContinue,
    kRestart,
    kNewWorld,
    kDaily,
    kChoose,
    kWatch,
    kRecords,
    kBoard,
    kControls,
    kSound,
    kDisplay,
    kQuit
};

MenuKeys To(int item) { // from the top page's first item, chosen
    MenuKeys keys(static_cast<std::size_t>(item), kDown);
    keys.push_back(kEnter);
    return keys;
}

class GameMenuGl : public GameGl {
protected:
    void SetUp() override {
        GameGl::SetUp();
        if (IsSkipped()) {
            return;
        }
        Make(0, 120, FixedSeed, 4);
        const std::string home = data->GetPath();
        files = {home + "/keys.txt", home + "/settings.txt", home + "/board.txt", home};
        CGameMenu::SHooks hooks;
        hooks.flyDaily = [this] { log += "daily;"; };
        hooks.watch = [this](CGameMenu::EWatch) {
            if (game->GetLastRun() == nullptr) {
                return std::string("NO SUCH RUN YET");
            }
            game->Watch(std::make_unique<CReplayPlayback>(*game->GetLastRun()));
            return std::string();
        };
        hooks.quit = [this] { log += "quit;"; };
        hooks.isFullScreen = [this] { return fullScreen; };
        hooks.setFullScreen = [this](bool full) { fullScreen = full; };
        hooks.boardSaved = [this] { log += "board;"; };
        menu = std::make_unique<CGameMenu>(*game, keys, playerSettings, settings, resolution, files,
                                           CGameMenu::SWorldRanges{8, 100000, 999999}, hooks);
    }
    void TearDown() override {
        menu.reset();
        GameGl::TearDown();
    }

    // Enter through the key handler, as the game's keyboard callback does, then the keys.
    void Menu(const MenuKeys& keysPressed) {
        ASSERT_EQ(CKeyHandler(game.get(), &input, &settings, keys).KeyDown('\r', 0, 0),
                  CKeyHandler::EAction::OpenMenu);
        menu->Open();
        for (const SMenuKey& key : keysPressed) {
            menu->KeyDown(key.special, key.code);
        }
        menu->Update();
        Frames(1);
    }
    std::vector<std::string> Panel() const { return game->GetHud()->GetPanel(); }
    std::string Note() const { // the line under the menu's items
        const std::vector<CMenu::SLine> lines = menu->GetMenu().GetLines();
        return lines.empty() ? "closed" : lines.back().text;
    }

    CKeyBindings keys;
    CPlayerSettings playerSettings;
    CResolutionScaler resolution;
    CGameMenu::SFiles files;
    std::unique_ptr<CGameMenu> menu;
    std::string log;
    bool fullScreen = false;
};

// Each item's effect, the menu closed again between cases.
TEST_F(GameMenuGl, EachItemDoesWhatItSays) {
    struct SCase {
        const char* what;
        MenuKeys keys;
        std::function<void()> check;
    };
    const std::vector<SCase> cases = {
        {"opened, the game pauses and the panel shows the top page",
         {},
         [this] {
             EXPECT_TRUE(game->IsPaused());
             ASSERT_GE(Panel().size(), 3u);
             EXPECT_EQ(Panel()[0], "ZELKORA");
             EXPECT_EQ(Panel()[2], "> CONTINUE");
         }},
        {"WATCH without a run says so", To(kWatch) + MenuKeys{kEnter},
         [this] { EXPECT_EQ(Note(), "NO SUCH RUN YET"); }},
        {"CONTINUE goes on", To(kContinue),
         [this] {
             EXPECT_FALSE(game->IsPaused());
             EXPECT_FALSE(menu->IsOpen());
         }},
        {"RECORDS shows the Tab table's lines", To(kRecords),
         [this] { EXPECT_EQ(Panel().at(0), "RECORDS"); }},
        {"CHOOSE WORLD flies the world chosen",
         To(kChoose) + MenuKeys{kRight, kDown, kRight, kRight, kDown, kBackspace} + Typed("42") +
             MenuKeys{kDown, kEnter},
         [this] {
             EXPECT_EQ(game->GetWorld().difficulty, 1);
             EXPECT_EQ(game->GetWorld().length, 500);
             EXPECT_EQ(game->GetSeed(), 42u);
             EXPECT_FALSE(game->IsPaused());
         }},
        {"SOUND keeps the music's volume", To(kSound) + MenuKeys{kLeft, kLeft},
         [this] {
             std::vector<std::string> problems;
             EXPECT_EQ(CPlayerSettings::Load(files.settings, problems).GetMusicVolume(), 8);
         }},
        {"CONTROLS binds a free key, names a used one, Backspace gives the default back",
         To(kControls) + MenuKeys(5, kDown) + MenuKeys{kEnter} + Typed("x"),
         [this] {
             std::vector<std::string> problems;
             const CKeyBindings saved = CKeyBindings::Load(files.keys, problems);
             EXPECT_EQ(saved.ForKey('x'), CKeyBindings::ECommand::Fire);
             EXPECT_EQ(saved.ForKey('y'), CKeyBindings::ECommand::None);
             menu->KeyDown(false, '\r');
             menu->KeyDown(false, 'g');
             menu->Update();
             EXPECT_NE(Note().find("DOWN"), std::string::npos);
             menu->KeyDown(false, 8);
             EXPECT_EQ(CKeyBindings::Load(files.keys, problems).ForKey('y'),
                       CKeyBindings::ECommand::Fire);
         }},
        {"BOARD keeps the name typed in board.txt",
         To(kBoard) + MenuKeys{kEnter} + Typed("Ann") + MenuKeys{kEnter},
         [this] {
             std::vector<std::string> problems;
             EXPECT_EQ(CBoardSettings::Load(files.board, problems).GetName(), "Ann");
             EXPECT_EQ(log, "board;");
         }},
        {"DISPLAY flips the frame rate and the screen",
         To(kDisplay) + MenuKeys{kEnter, kDown, kDown, kEnter},
         [this] {
             EXPECT_TRUE(fullScreen);
             EXPECT_EQ(settings.GetHideFps(), 1);
             std::vector<std::string> problems;
             const CPlayerSettings saved = CPlayerSettings::Load(files.settings, problems);
             EXPECT_EQ(saved.GetFullScreen(), std::optional<bool>(true));
             EXPECT_EQ(saved.GetFrameRateShown(), std::optional<bool>(false));
         }},
        {"WORLD OF THE DAY goes to the program", To(kDaily), [this] { EXPECT_EQ(log, "daily;"); }},
        {"QUIT goes to the program", To(kQuit), [this] { EXPECT_EQ(log, "quit;"); }},
        {"Escape goes back a page", To(kSound) + MenuKeys{kEscape},
         [this] { EXPECT_EQ(Panel().at(0), "ZELKORA"); }},
        {"a game paused by F4 stays paused after the menu",
         {kEscape},
         [this] {
             EXPECT_FALSE(game->IsPaused());
             game->TogglePause();
             Menu({kEscape});
             EXPECT_TRUE(game->IsPaused());
             game->TogglePause();
         }},
    };
    for (const SCase& test : cases) {
        SCOPED_TRACE(test.what);
        log.clear();
        Menu(test.keys);
        test.check();
        while (menu->IsOpen()) {
            menu->KeyDown(false, 27);
        }
    }
}

// A run with the menu opened in it is flown as if paused by F4: watched from the menu, it plays
// to the same finish and says so; Escape's StopWatching brings the player's world back.
TEST_F(GameMenuGl, ARunFlownAroundTheMenuPlaysToItsVerdictWhenWatched) {
    input.KeyDown(' ', 0, 0);
    Frames(20);
    Menu({});
    Frames(30);
    Menu({kEscape});
    ASSERT_TRUE(FlyToTheFinish());
    game->Restart();
    Menu(To(kWatch) + MenuKeys{kEnter});
    EXPECT_TRUE(game->IsWatching());
    for (int frame = 0; frame < 5000 && Message() != "RUN MATCHES"; ++frame) {
        Frames(1);
    }
    EXPECT_EQ(Message(), "RUN MATCHES");
    game->StopWatching();
    EXPECT_FALSE(game->IsReplaying());
    EXPECT_EQ(game->GetSeed(), 4u);
}

} // namespace
