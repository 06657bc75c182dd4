#include "menu/GameMenu.h"

#include "app/RenderSettings.h"
#include "base/PlayerName.h"
#include "fx/Hud.h"
#include "game/Game.h"
#include "online/BoardLink.h"
#include "online/BoardSettings.h"
#include "online/Outbox.h"
#include "render/ResolutionScaler.h"
#include "settings/KeyBindings.h"
#include "settings/PlayerSettings.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr std::size_t kCommandColumns = 30; // CONTROLS: what the command does, then its keys
constexpr std::size_t kLongestAddress = 200;

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Chooser(const std::string& caption, const std::string& value) {
    return Padded(caption, 14) + "< " + value + " >";
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
}

bool IsAddressCharacter(char c) {
    return c > ' ' && c < 127;
}

// What a save says: done, or the problem; a damaged file set aside first is saved with a note.
std::string Saved(bool saved, const std::string& problem, const char* done) {
    return saved && problem.empty() ? done : Upper(problem);
}

bool SameLines(const std::vector<CMenu::SLine>& a, const std::vector<CMenu::SLine>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.text == y.text && x.selected == y.selected && x.heading == y.heading;
    });
}
} // namespace

CGameMenu::CGameMenu(CGame& game, CKeyBindings& keys, CPlayerSettings& settings,
                     CRenderSettings& render, CResolutionScaler& resolution, SFiles files,
                     SWorldRanges ranges, SHooks hooks)
    : game(game), keys(keys), settings(settings), render(render), resolution(resolution),
      files(std::move(files)), ranges(ranges), hooks(std::move(hooks)),
      menu([this](bool open) { Opened(open); }) {}

std::vector<std::string> CGameMenu::TitleKeys(const CKeyBindings& keys) {
    using ECommand = CKeyBindings::ECommand;
    const auto first = [&keys](ECommand command) {
        const std::string all = keys.KeysOf(command);
        return Upper(all.substr(0, all.find(' ')));
    };
    const bool arrows = keys.KeysOf(ECommand::Left).find("LEFT") != std::string::npos &&
                        keys.KeysOf(ECommand::Right).find("RIGHT") != std::string::npos &&
                        keys.KeysOf(ECommand::Up).find("UP") != std::string::npos &&
                        keys.KeysOf(ECommand::Down).find("DOWN") != std::string::npos;
    const std::string steer = arrows ? "ARROWS"
                                     : first(ECommand::Left) + first(ECommand::Up) +
                                           first(ECommand::Right) + first(ECommand::Down);
    return {first(ECommand::Accelerate) + " FLY", steer + " STEER", first(ECommand::Fire) + " FIRE",
            first(ECommand::Menu) + " MENU"};
}

std::vector<int> CGameMenu::LengthSteps(int longest) {
    std::vector<int> steps;
    for (int nodes : {60, 120, 250, 500, 1000, 1500, 3000, 10000, 30000}) {
        if (nodes < longest) {
            steps.push_back(nodes);
        }
    }
    steps.push_back(longest);
    return steps;
}

void CGameMenu::Open() {
    menu.Open([this] { return TopPage(); });
}

// The menu pauses as F4 does, and only goes on with a game it paused itself.
void CGameMenu::Opened(bool open) {
    if (open) {
        game.HideTitle();
        pausedByMenu = !game.IsPaused();
        if (pausedByMenu) {
            game.TogglePause();
        }
        return;
    }
    if (pausedByMenu && game.IsPaused()) {
        game.TogglePause();
    }
    pausedByMenu = false;
}

CMenu::EResult CGameMenu::KeyDown(bool special, int code) {
    return menu.KeyDown(special, code);
}

void CGameMenu::Press(CMenu::EKey key) {
    menu.Press(key);
}

void CGameMenu::Update() {
    const std::vector<CMenu::SLine> lines = menu.GetLines();
    if (SameLines(lines, shownLines)) {
        return;
    }
    shownLines = lines;
    std::vector<CHud::SPanelLine> panel;
    for (const CMenu::SLine& line : lines) {
        const CHud::EColour colour = line.selected  ? CHud::EColour::Yellow
                                     : line.heading ? CHud::EColour::Green
                                                    : CHud::EColour::White;
        panel.push_back({line.text, colour, 0.0f});
    }
    game.SetMenuPanel(std::move(panel));
}

// A run being watched ends first: the player's world comes back, then the item acts on it.
void CGameMenu::CloseAnd(const std::function<void()>& action) {
    menu.Close();
    game.StopWatching();
    action();
}

CMenu::SItem CGameMenu::Action(std::string label, std::function<void()> action) {
    CMenu::SItem item;
    item.label = [label] { return label; };
    item.choose = std::move(action);
    return item;
}

CMenu::SItem CGameMenu::Submenu(std::string label, CMenu::SPage (CGameMenu::*page)()) {
    return Action(std::move(label),
                  [this, page] { menu.Push([this, page] { return (this->*page)(); }); });
}

CMenu::SItem CGameMenu::TextLine(std::string text) {
    CMenu::SItem item;
    item.label = [text] { return text; };
    return item;
}

CMenu::SPage CGameMenu::TopPage() {
    return {"ZELKORA",
            {Action("CONTINUE", [this] { menu.Close(); }),
             Action("RESTART", [this] { CloseAnd([this] { game.Restart(); }); }),
             Action("NEW WORLD", [this] { CloseAnd([this] { game.NewWorld(); }); }),
             Action("WORLD OF THE DAY", [this] { CloseAnd(hooks.flyDaily); }),
             Submenu("CHOOSE WORLD", &CGameMenu::ChooseWorldPage),
             Submenu("WATCH", &CGameMenu::WatchPage), Submenu("RECORDS", &CGameMenu::RecordsPage),
             Submenu("BOARD", &CGameMenu::BoardPage), Submenu("CONTROLS", &CGameMenu::ControlsPage),
             Submenu("SOUND", &CGameMenu::SoundPage), Submenu("DISPLAY", &CGameMenu::DisplayPage),
             Action("QUIT", [this] { hooks.quit(); })}};
}

CMenu::SPage CGameMenu::ChooseWorldPage() {
    if (menu.GetPage() == nullptr || menu.GetPage()->title != "CHOOSE WORLD") {
        const CWorldIdentity world = game.GetWorld(); // opened: the world flown now
        chosenDifficulty = world.difficulty;
        chosenLength = world.length;
        chosenSeed = world.seed;
    }
    CMenu::SItem difficulty = TextLine("");
    difficulty.label = [this] { return Chooser("DIFFICULTY", std::to_string(chosenDifficulty)); };
    difficulty.adjust = [this](int step) {
        chosenDifficulty = std::clamp(chosenDifficulty + step, 0, ranges.highestDifficulty);
    };
    CMenu::SItem length = TextLine("");
    length.label = [this] { return Chooser("LENGTH", std::to_string(chosenLength)); };
    length.adjust = [this](int step) {
        const std::vector<int> steps = LengthSteps(ranges.longest);
        const auto next = std::upper_bound(steps.begin(), steps.end(), chosenLength);
        const auto here = std::lower_bound(steps.begin(), steps.end(), chosenLength);
        if (step > 0 && next != steps.end()) {
            chosenLength = *next;
        } else if (step < 0 && here != steps.begin()) {
            chosenLength = *(here - 1);
        }
    };
    CMenu::SItem seed = TextLine("");
    seed.label = [this] { return Chooser("SEED", std::to_string(chosenSeed)); };
    seed.adjust = [this](int step) {
        if (step > 0) {
            chosenSeed = chosenSeed < ranges.highestSeed ? chosenSeed + 1 : 0;
        } else {
            chosenSeed = chosenSeed > 0 ? chosenSeed - 1 : ranges.highestSeed;
        }
    };
    seed.type = [this](char c) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
        const unsigned long long longer = chosenSeed * 10ULL + static_cast<unsigned>(c - '0');
        chosenSeed = longer <= ranges.highestSeed ? static_cast<unsigned>(longer)
                                                  : static_cast<unsigned>(c - '0');
        return true;
    };
    seed.erase = [this] { chosenSeed /= 10; };
    return {"CHOOSE WORLD",
            {difficulty, length, seed, TextLine(""), Action("FLY", [this] {
                 CloseAnd([this] { game.FlyWorld(chosenDifficulty, chosenLength, chosenSeed); });
             })}};
}

CMenu::SPage CGameMenu::WatchPage() {
    const auto watch = [this](EWatch which) {
        return [this, which] {
            const std::string problem = hooks.watch(which);
            if (problem.empty()) {
                menu.Close();
            } else {
                menu.SetNote(problem);
            }
        };
    };
    CMenu::SPage page{"WATCH",
                      {Action("YOUR LAST RUN", watch(EWatch::LastRun)),
                       Action("YOUR BEST OF THIS WORLD", watch(EWatch::Best))}};
    if (board != nullptr) {
        page.items.push_back(Action("THE BOARD'S BEST OF THIS WORLD", watch(EWatch::BoardBest)));
    }
    page.items.push_back(TextLine(""));
    page.items.push_back(TextLine("ESC ENDS WATCHING"));
    return page;
}

CMenu::SPage CGameMenu::RecordsPage() {
    CMenu::SPage page{"RECORDS", {}};
    for (const std::string& line : game.GetRecordsTableLines()) {
        page.items.push_back(TextLine(line));
    }
    return page;
}

std::string CGameMenu::BoardStatus() const {
    if (board == nullptr) {
        return boardUrl.empty() ? "NO BOARD SET" : "FROM THE NEXT START";
    }
    using EState = CBoardLink::SStanding::EState;
    const CBoardLink::SStanding standing = board->GetStanding();
    std::string status;
    if (standing.state == EState::Loading) {
        status = "ASKING";
    } else if (standing.state == EState::Offline) {
        status = "OFFLINE";
    } else if (standing.board.ownRank > 0) {
        status = "#" + std::to_string(standing.board.ownRank) + " OF " +
                 std::to_string(standing.board.players);
    } else {
        status = "NOT ON THE BOARD";
    }
    const std::size_t waiting = COutbox(files.data).List().size();
    if (waiting > 0) {
        status +=
            "  " + std::to_string(waiting) + (waiting == 1 ? " RUN WAITING" : " RUNS WAITING");
    }
    return status;
}

void CGameMenu::ReadBoardFile() {
    std::vector<std::string> problems; // named at the start already
    const CBoardSettings file = CBoardSettings::Load(files.board, problems);
    boardName = file.GetName();
    boardUrl = file.GetFileUrl();
}

std::string CGameMenu::SaveBoard(const std::string& name, const std::string& url) {
    std::string problem;
    if (!CBoardSettings::Save(files.board, name, url, problem)) {
        return Upper(problem);
    }
    const std::string said = Saved(true, problem, "SAVED");
    ReadBoardFile();
    if (hooks.boardSaved) {
        hooks.boardSaved();
    }
    return said;
}

CMenu::SPage CGameMenu::BoardPage() {
    ReadBoardFile();
    CMenu::SItem name;
    name.field = {"NAME", [this] { return boardName; }, IsNameCharacter,
                  [this](const std::string& typed) { return SaveBoard(typed, boardUrl); },
                  CPlayerName::kLongestName};
    CMenu::SItem address;
    address.field = {"ADDRESS", [this] { return boardUrl; }, IsAddressCharacter,
                     [this](const std::string& typed) { return SaveBoard(boardName, typed); },
                     kLongestAddress};
    return {"BOARD", {name, address, TextLine(""), TextLine(BoardStatus())}};
}

CMenu::SPage CGameMenu::ControlsPage() {
    CMenu::SPage page{"CONTROLS  ENTER THEN A KEY  BACKSPACE DEFAULT", {}};
    for (const CKeyBindings::SCommandRow& row : CKeyBindings::CommandTable()) {
        const CKeyBindings::ECommand command = row.command;
        CMenu::SItem item;
        item.label = [this, command] {
            return Padded(Upper(CKeyBindings::Summary(command)), kCommandColumns) +
                   keys.KeysOf(command);
        };
        item.bind = [this, command](bool special, int code) {
            std::string problem;
            if (!keys.SetKey(command, special, code, problem)) {
                return Upper(problem);
            }
            game.SetTitleKeys(TitleKeys(keys));
            const bool saved = keys.Save(files.keys, problem);
            return Saved(saved, problem, "SAVED");
        };
        item.erase = [this, command] {
            keys.RestoreDefault(command);
            game.SetTitleKeys(TitleKeys(keys));
            std::string problem;
            const bool saved = keys.Save(files.keys, problem);
            menu.SetNote(Saved(saved, problem, "DEFAULT KEYS"));
        };
        page.items.push_back(item);
    }
    return page;
}

std::string CGameMenu::SaveSettings() {
    std::string problem;
    const bool saved = settings.Save(files.settings, problem);
    return Saved(saved, problem, "");
}

CMenu::SPage CGameMenu::SoundPage() {
    const auto volume = [this](const char* caption, int (CPlayerSettings::*get)() const,
                               void (CPlayerSettings::*set)(int)) {
        CMenu::SItem item;
        item.label = [this, caption, get] {
            return Chooser(caption, std::to_string((settings.*get)()));
        };
        item.adjust = [this, get, set](int step) {
            (settings.*set)((settings.*get)() + step);
            game.SetVolumes(settings.GetMusicVolume(), settings.GetEffectsVolume());
            menu.SetNote(SaveSettings());
        };
        return item;
    };
    return {
        "SOUND",
        {volume("MUSIC", &CPlayerSettings::GetMusicVolume, &CPlayerSettings::SetMusicVolume),
         volume("EFFECTS", &CPlayerSettings::GetEffectsVolume, &CPlayerSettings::SetEffectsVolume),
         TextLine(""), TextLine("M MUTES EVERY SOUND")}};
}

CMenu::SPage CGameMenu::DisplayPage() {
    CMenu::SItem screen;
    screen.label = [this] { return Chooser("SCREEN", hooks.isFullScreen() ? "FULL" : "WINDOW"); };
    screen.adjust = [this](int) {
        const bool full = !hooks.isFullScreen();
        settings.SetFullScreen(full);
        hooks.setFullScreen(full);
        menu.SetNote(SaveSettings());
    };
    CMenu::SItem scale;
    scale.label = [this] {
        return Chooser("RESOLUTION", resolution.IsAutomatic() ? "AUTOMATIC" : "FULL");
    };
    scale.adjust = [this](int) {
        resolution.SetAutomatic(!resolution.IsAutomatic());
        settings.SetAutomaticResolution(resolution.IsAutomatic());
        menu.SetNote(SaveSettings());
    };
    CMenu::SItem frameRate;
    frameRate.label = [this] {
        return Chooser("FRAME RATE", render.GetHideFps() ? "HIDDEN" : "SHOWN");
    };
    frameRate.adjust = [this](int) {
        render.SetHideFps(render.GetHideFps() ? 0 : 1);
        settings.SetFrameRateShown(render.GetHideFps() == 0);
        menu.SetNote(SaveSettings());
    };
    for (CMenu::SItem* item : {&screen, &scale, &frameRate}) {
        item->choose = [adjust = item->adjust] { adjust(1); };
    }
    return {"DISPLAY", {screen, scale, frameRate}};
}
