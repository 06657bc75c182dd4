// The game as a player gets it: this build installed into a scratch prefix (cmake --install) or
// unpacked from its Debian package (dpkg-deb -x into a scratch root), started through the
// installed launcher from some other directory, with HOME pointing into the scratch directory.

#include "GameRun.h"
#include "ToneFiles.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#if !defined(ZELKORA_BUILD_DIR) || !defined(ZELKORA_CMAKE) || !defined(ZELKORA_CPACK)
#error "ZELKORA_BUILD_DIR, ZELKORA_CMAKE and ZELKORA_CPACK must name the build and its tools"
#endif

namespace fs = std::filesystem;

namespace {

constexpr double kInstallTimeout = 120.0; // seconds for cmake --install or cpack
constexpr double kToolTimeout = 30.0;     // seconds for dpkg-deb, objdump, dpkg -S, the launcher
constexpr double kStartTimeout = 20.0;    // seconds until the window must be up
constexpr double kExitTimeout = 30.0;     // seconds from the quit key to the exit
constexpr double kLintTimeout = 150.0;    // seconds for lintian, which unpacks and reads it all
constexpr double kReplayTimeout = 60.0;   // seconds for the test's replay to play to its end

const char* const kReplayType = "application/x-zelkora-replay\n";
const char* const kReplayFile = ZELKORA_SOURCE_DIR "/tests/data/scripted-default-world.zrp";

std::string ReadWhole(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteWhole(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs a command with standard error folded into its output, so that messages can be checked.
SCommandResult RunMerged(std::vector<std::string> argv, double timeout = kToolTimeout) {
    argv.insert(argv.begin(), {"sh", "-c", "exec \"$@\" 2>&1", "sh"});
    return RunCommand(argv, timeout);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Starts an installed launcher the way a desktop would: from elsewhere (the run's directory),
// with its own HOME.
void StartLauncher(CGameRun& run, const fs::path& launcher, const fs::path& home,
                   const std::string& configHome, const std::vector<std::string>& arguments = {}) {
    fs::create_directories(home);
    run.SetEnvironment("HOME", home.string());
    run.SetEnvironment("XDG_CONFIG_HOME", configHome);
    ASSERT_TRUE(run.StartProgram(launcher.string(), run.GetDirectory(), arguments));
    ASSERT_TRUE(run.WaitForWindow(kStartTimeout)) << run.ReadStdout() << run.ReadStderr();
    EXPECT_EQ(run.GetWindowName(), "Zelkora");
}

void QuitWithQ(CGameRun& run) {
    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStdout() << run.ReadStderr();
}

// This build installed under scratch/prefix, a prefix that is not /usr.
class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        // By component, so that the build's install_manifest.txt (the player's list of what
        // to remove) is not overwritten with these scratch paths.
        const SCommandResult install =
            RunMerged({ZELKORA_CMAKE, "--install", ZELKORA_BUILD_DIR, "--component", "game",
                       "--prefix", prefix.string()},
                      kInstallTimeout);
        ASSERT_EQ(install.exitCode, 0) << install.output;
    }

    fs::path Scratch(const std::string& relative) const { return fs::path(scratch.Join(relative)); }

    CScratchDirectory scratch;
    const fs::path prefix = Scratch("prefix");
    const fs::path launcher = prefix / "games/zelkora";
    const fs::path dataDir = prefix / "share/games/zelkora";
};

TEST_F(Installed, PutsEachFileWhereDesktopsAndDebianLookForIt) {
    for (const char* file :
         {"games/zelkora", "lib/games/zelkora/zelkora", "share/games/zelkora/zelkora.ini",
          "share/games/zelkora/texture/segment1.tga", "share/games/zelkora/mesh/player.obj",
          "share/games/zelkora/sounds/title_sound_1.mp3", "share/applications/zelkora.desktop",
          "share/icons/hicolor/48x48/apps/zelkora.png",
          "share/icons/hicolor/256x256/apps/zelkora.png", "share/man/man6/zelkora.6.gz",
          "share/mime/packages/zelkora.xml"}) {
        EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;
    }
    const std::string entry = ReadWhole(prefix / "share/applications/zelkora.desktop");
    EXPECT_NE(entry.find("\nExec=zelkora %f\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nMimeType=application/x-zelkora-replay;\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=zelkora\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nCategories=Game;ArcadeGame;\n"), std::string::npos) << entry;
    const SCommandResult size =
        RunCommand({"identify", "-format", "%w %h",
                    (prefix / "share/icons/hicolor/128x128/apps/zelkora.png").string()},
                   kToolTimeout);
    EXPECT_EQ(size.output, "128 128");

    // The program itself, started from elsewhere without a display, finds the installed data
    // to check a run with.
    const SCommandResult checked =
        RunMerged({"env", "-C", scratch.GetPath(), "-u", "DISPLAY",
                   (prefix / "lib/games/zelkora/zelkora").string(), "--verify", kReplayFile});
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    EXPECT_NE(checked.output.find(", matches\n"), std::string::npos) << checked.output;
}

TEST_F(Installed, LauncherRunsTheGameFromAnyDirectoryAndKeepsTheEditedIni) {
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
    }
    const fs::path home = Scratch("home");
    const fs::path ini = home / ".config/zelkora/zelkora.ini";
    {
        CGameRun first;
        StartLauncher(first, launcher, home, ""); // empty: the default, ~/.config
        QuitWithQ(first);
    }
    ASSERT_TRUE(fs::is_regular_file(ini));
    EXPECT_EQ(ReadWhole(ini), ReadWhole(dataDir / "zelkora.ini"));

    // A replay named alone, relative to where the launcher was started, plays to its verdict.
    {
        CGameRun watch;
        watch.WriteFile("replays/run.zrp", ReadWhole(kReplayFile));
        StartLauncher(watch, launcher, home, "", {"replays/run.zrp"});
        EXPECT_TRUE(
            watch.WaitForOutput("replay: replays/run.zrp: no finish, state ", kReplayTimeout))
            << watch.ReadStdout() << watch.ReadStderr();
        EXPECT_TRUE(watch.WaitForOutput(", matches\n", kReplayTimeout)) << watch.ReadStdout();
        QuitWithQ(watch);
    }

    // Display mode 0 asks for full screen, which only this per-user copy says.
    WriteWhole(ini, "3 500 0\n");
    CGameRun second;
    StartLauncher(second, launcher, home, "");
    const CGameRun::SGeometry screen = CGameRun::GetScreenGeometry();
    CGameRun::SGeometry geometry = second.GetWindowGeometry();
    for (int tries = 0; tries < 50 && geometry.width != screen.width; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        geometry = second.GetWindowGeometry();
    }
    EXPECT_EQ(geometry.width, screen.width) << "the game did not read the edited zelkora.ini";
    QuitWithQ(second);
    EXPECT_EQ(ReadWhole(ini), "3 500 0\n");
}

// The launcher's own work, with the program replaced by a stand-in that says where it runs, what
// it was given and where the player started it (for file names relative to there).
class Launcher : public Installed {
protected:
    void SetUp() override {
        Installed::SetUp();
        const fs::path program = prefix / "lib/games/zelkora/zelkora";
        WriteWhole(program, "#!/bin/sh\npwd -P\necho \"$*\"\necho \"$ZELKORA_CALLER_DIRECTORY\"\n");
        fs::permissions(program, fs::perms::owner_all);
        fs::create_directories(Scratch("elsewhere"));
    }

    SCommandResult Launch(const std::vector<std::string>& environment,
                          const fs::path& through) const {
        std::vector<std::string> argv{
            "env", "-C", Scratch("elsewhere").string(), "-u", "HOME", "-u", "XDG_CONFIG_HOME"};
        argv.insert(argv.end(), environment.begin(), environment.end());
        argv.insert(argv.end(), {through.string(), "--first", "second"});
        return RunMerged(argv);
    }
};

TEST_F(Launcher, PreparesTheRunDirectoryUnderXdgConfigHomeAndPassesArguments) {
    const fs::path runDir = Scratch("config/zelkora");
    // The player's own textures stay; a link left from an earlier install is renewed.
    fs::create_directories(runDir / "texture");
    WriteWhole(runDir / "texture/mine.tga", "mine");
    fs::create_directory_symlink("/nonexistent/mesh", runDir / "mesh");
    // Started through a link elsewhere, as from a PATH directory of the player's.
    fs::create_directories(Scratch("bin"));
    fs::create_symlink(launcher, Scratch("bin/zelkora"));

    const SCommandResult run =
        Launch({"XDG_CONFIG_HOME=" + Scratch("config").string()}, Scratch("bin/zelkora"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<std::string> lines = Lines(run.output);
    ASSERT_EQ(lines.size(), 3u) << run.output;
    EXPECT_EQ(lines[0], fs::canonical(runDir).string());
    EXPECT_EQ(lines[1], "--first second");
    EXPECT_EQ(fs::canonical(lines[2]), fs::canonical(Scratch("elsewhere")));

    EXPECT_EQ(ReadWhole(runDir / "zelkora.ini"), ReadWhole(dataDir / "zelkora.ini"));
    EXPECT_FALSE(fs::is_symlink(runDir / "texture"));
    EXPECT_EQ(ReadWhole(runDir / "texture/mine.tga"), "mine");
    for (const char* folder : {"mesh", "sounds"}) {
        ASSERT_TRUE(fs::is_symlink(runDir / folder)) << folder;
        EXPECT_EQ(fs::canonical(runDir / folder), fs::canonical(dataDir / folder)) << folder;
    }
}

TEST_F(Launcher, TakesHomeWhenXdgConfigHomeIsRelativeAndSaysWhatIsMissing) {
    const fs::path home = Scratch("home");
    fs::create_directories(home);
    const SCommandResult relative =
        Launch({"HOME=" + home.string(), "XDG_CONFIG_HOME=relative/config"}, launcher);
    ASSERT_EQ(relative.exitCode, 0) << relative.output;
    EXPECT_EQ(Lines(relative.output).at(0), fs::canonical(home / ".config/zelkora").string());
    EXPECT_FALSE(fs::exists(Scratch("elsewhere/relative")));

    const SCommandResult homeless = Launch({}, launcher);
    EXPECT_EQ(homeless.exitCode, 1);
    EXPECT_EQ(homeless.output, "zelkora: neither XDG_CONFIG_HOME nor HOME is set\n");

    fs::remove_all(dataDir);
    const SCommandResult dataless = Launch({"HOME=" + home.string()}, launcher);
    EXPECT_EQ(dataless.exitCode, 1);
    EXPECT_EQ(dataless.output, "zelkora: the game data in " +
                                   fs::weakly_canonical(dataDir).string() + " is missing\n");
}

// The Debian packages, made from this build with cpack into a scratch directory: the game's and
// the board's, which checks runs with it.
class DebianPackage : public ::testing::Test {
protected:
    void SetUp() override {
        const SCommandResult pack = RunMerged(
            {ZELKORA_CPACK, "-G", "DEB", "--config",
             std::string(ZELKORA_BUILD_DIR) + "/CPackConfig.cmake", "-B", scratch.GetPath()},
            kInstallTimeout);
        ASSERT_EQ(pack.exitCode, 0) << pack.output;
        for (const fs::directory_entry& entry : fs::directory_iterator(scratch.GetPath())) {
            const std::string file = entry.path().filename().string();
            if (entry.path().extension() == ".deb") {
                packages[file.substr(0, file.find('_'))] = entry.path().string();
            }
        }
        ASSERT_EQ(packages.size(), 2u) << pack.output;
    }

    std::string Field(const std::string& package, const std::string& name) const {
        return RunCommand({"dpkg-deb", "--field", packages.at(package), name}, kToolTimeout).output;
    }

    // The package's files under scratch/root, where the game's are unpacked too.
    std::string Unpack(const std::string& package) const {
        const std::string root = scratch.Join("root");
        EXPECT_EQ(RunCommand({"dpkg-deb", "-x", packages.at(package), root}, kToolTimeout).exitCode,
                  0);
        return root;
    }

    CScratchDirectory scratch;
    std::map<std::string, std::string> packages; // the .deb files by package name
};

struct SPackage {
    std::string name;
    std::string describedAs; // a word of its Description
    std::string program;     // the packaged program, whose every library it must depend on
    std::string alsoDepends; // besides the libraries: "" or "name (= version)"
    std::vector<std::string> files;
    int gameData[3]; // files under the game's texture/, mesh/ and sounds/
};

const std::vector<SPackage> kPackages = {
    {"zelkora",
     "tunnel",
     "/usr/lib/games/zelkora/zelkora",
     "",
     {"/usr/games/zelkora", "/usr/share/games/zelkora/zelkora.ini",
      "/usr/share/applications/zelkora.desktop", "/usr/share/icons/hicolor/64x64/apps/zelkora.png",
      "/usr/share/man/man6/zelkora.6.gz", "/usr/share/mime/packages/zelkora.xml"},
     {43, 11, 14}},
    {"zelkora-board",
     "replays",
     "/usr/sbin/zelkora-board",
     "zelkora (= 1.3.0)",
     {"/usr/lib/systemd/system/zelkora-board.service",
      "/usr/lib/systemd/system/zelkora-board-backup.service",
      "/usr/lib/systemd/system/zelkora-board-backup.timer",
      "/usr/share/man/man8/zelkora-board.8.gz", "/usr/share/doc/zelkora-board/copyright"},
     {0, 0, 0}},
};

TEST_F(DebianPackage, EachIsForUsrAndDependsOnEveryLibraryItsProgramLinks) {
    for (const SPackage& expected : kPackages) {
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(Field(expected.name, "Package"), expected.name + "\n");
        EXPECT_EQ(Field(expected.name, "Section"), "games\n");
        const std::string maintainer = Field(expected.name, "Maintainer");
        EXPECT_NE(maintainer.find(" <"), std::string::npos) << maintainer;
        EXPECT_EQ(maintainer.find("@example."), std::string::npos)
            << "a placeholder: " << maintainer;
        EXPECT_NE(Field(expected.name, "Description").find(expected.describedAs),
                  std::string::npos);

        const std::string contents =
            RunCommand({"dpkg-deb", "--contents", packages.at(expected.name)}, kToolTimeout).output;
        const char* const dataFolders[] = {"texture/", "mesh/", "sounds/"};
        for (int folder = 0; folder < 3; ++folder) {
            const std::string under =
                std::string("./usr/share/games/zelkora/") + dataFolders[folder];
            int files = 0;
            for (const std::string& line : Lines(contents)) {
                files += line.find(under) != std::string::npos && line.back() != '/';
            }
            EXPECT_EQ(files, expected.gameData[folder]) << under;
        }
        // Its own files, and none of the other package's.
        for (const SPackage& other : kPackages) {
            std::vector<std::string> files = other.files;
            files.push_back(other.program);
            for (const std::string& file : files) {
                EXPECT_EQ(contents.find(" ." + file + "\n") != std::string::npos,
                          other.name == expected.name)
                    << file;
            }
        }

        // Each library the packaged program needs must come from a package it depends on.
        const std::string dynamic =
            RunCommand({"objdump", "-p", Unpack(expected.name) + expected.program}, kToolTimeout)
                .output;
        const std::string depends = ", " + Lines(Field(expected.name, "Depends")).at(0) + ",";
        if (!expected.alsoDepends.empty()) {
            EXPECT_NE(depends.find(", " + expected.alsoDepends + ","), std::string::npos)
                << depends;
        }
        int needed = 0;
        for (const std::string& line : Lines(dynamic)) {
            std::istringstream words(line);
            std::string tag;
            std::string library;
            if (!(words >> tag >> library) || tag != "NEEDED") {
                continue;
            }
            ++needed;
            const std::string owners =
                RunCommand({"dpkg", "-S", "*/" + library}, kToolTimeout).output;
            bool listed = false;
            for (const std::string& owner : Lines(owners)) {
                const std::string name = owner.substr(0, owner.find_first_of(":,"));
                listed = listed || depends.find(", " + name + " ") != std::string::npos ||
                         depends.find(", " + name + ",") != std::string::npos;
            }
            EXPECT_TRUE(listed) << library << " from " << owners << " is not in " << depends;
        }
        EXPECT_GE(needed, 6);
    }
}

// The unpacked game's desktop entry is valid, and with its file types in a scratch database the
// desktop knows a replay by its ending and, renamed without it, by its first bytes.
void ExpectTheDesktopKnowsReplays(const fs::path& root, const fs::path& scratch) {
    const SCommandResult entry = RunMerged(
        {"desktop-file-validate", (root / "usr/share/applications/zelkora.desktop").string()});
    EXPECT_EQ(entry.exitCode, 0) << entry.output;
    EXPECT_EQ(entry.output, "");
    const fs::path share = root / "usr/share";
    const std::string dataDirs = "XDG_DATA_DIRS=" + share.string() + ":/usr/share";
    const SCommandResult database =
        RunMerged({"env", dataDirs, "update-mime-database", (share / "mime").string()});
    ASSERT_EQ(database.exitCode, 0) << database.output;
    fs::create_directories(scratch / "files");
    fs::copy_file(kReplayFile, scratch / "files/run.zrp");
    fs::copy_file(kReplayFile, scratch / "files/downloaded");
    WriteWhole(scratch / "files/notes", "ZRP and no replay\n");
    const struct {
        const char* file;
        bool replay;
    } files[] = {{"run.zrp", true}, {"downloaded", true}, {"notes", false}};
    for (const auto& file : files) {
        // GNOME's way, through GIO, which reads the shared MIME database as file managers do.
        const SCommandResult type = RunMerged(
            {"env", "XDG_CURRENT_DESKTOP=GNOME", "XDG_DATA_HOME=" + (scratch / "empty").string(),
             dataDirs, "xdg-mime", "query", "filetype", (scratch / "files" / file.file).string()});
        EXPECT_EQ(type.output == kReplayType, file.replay) << file.file << ": " << type.output;
    }
}

TEST_F(DebianPackage, EachPassesLintianAndItsOwnChecker) {
    // Errors and warnings fail; lintian's informational tags do not.
    const SCommandResult lint =
        RunMerged({"lintian", "--fail-on", "error,warning", "--no-tag-display-limit",
                   packages.at("zelkora"), packages.at("zelkora-board")},
                  kLintTimeout);
    EXPECT_EQ(lint.exitCode, 0) << lint.output;
    const std::string tags = "\n" + lint.output;
    EXPECT_EQ(tags.find("\nE: "), std::string::npos) << lint.output;
    EXPECT_EQ(tags.find("\nW: "), std::string::npos) << lint.output;

    const std::string gameRoot = Unpack("zelkora");
    const std::string metainfo = gameRoot + "/usr/share/metainfo/io.github.zelkora.metainfo.xml";
    const SCommandResult valid = RunMerged({"appstreamcli", "validate", "--no-net", metainfo});
    EXPECT_EQ(valid.exitCode, 0) << valid.output;
    EXPECT_NE(ReadWhole(metainfo).find("<launchable type=\"desktop-id\">zelkora.desktop<"),
              std::string::npos);
    ExpectTheDesktopKnowsReplays(gameRoot, scratch.Join("mime"));

    // The board's unit starts the packaged program, systemd knows every key of it and of the
    // backup's, and each rates the sandbox 1.5 or lower (0 is shut tight, 10 wide open; the
    // board rates 1.2, the backup 0.2).
    const std::string root = Unpack("zelkora-board");
    const std::string units = root + "/usr/lib/systemd/system/";
    std::string program;
    for (const std::string& line : Lines(ReadWhole(units + "zelkora-board.service"))) {
        if (line.compare(0, 10, "ExecStart=") == 0) {
            program = line.substr(10, line.find(' ') - 10);
        }
    }
    EXPECT_TRUE(fs::is_regular_file(root + program)) << "ExecStart=" << program;
    for (const char* unit : {"zelkora-board.service", "zelkora-board-backup.service"}) {
        const SCommandResult rated = RunMerged(
            {"systemd-analyze", "security", "--offline=true", "--threshold=15", units + unit});
        EXPECT_EQ(rated.exitCode, 0) << rated.output;
        EXPECT_EQ(rated.output.find("ignoring"), std::string::npos) << rated.output;
    }
}

TEST_F(DebianPackage, UnpackedIntoAScratchRootItStartsAndQuits) {
    if (!HasDisplay()) {
        GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
    }
    const fs::path root = Unpack("zelkora");
    const fs::path config = scratch.Join("config");
    CGameRun run;
    StartLauncher(run, root / "usr/games/zelkora", scratch.Join("home"), config.string());
    QuitWithQ(run);
    EXPECT_EQ(ReadWhole(config / "zelkora/zelkora.ini"),
              ReadWhole(root / "usr/share/games/zelkora/zelkora.ini"));
    EXPECT_FALSE(fs::exists(scratch.Join("home/.config")));
}

} // namespace
