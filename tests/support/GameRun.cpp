#include "GameRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <thread>

#if !defined(ZELKORA_BINARY) || !defined(ZELKORA_GAME_DIR)
#error "ZELKORA_BINARY and ZELKORA_GAME_DIR must name the game binary and its data directory"
#endif

namespace fs = std::filesystem;

namespace {

constexpr double kToolTimeout = 30.0; // seconds for one xdotool or screenshot command

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

int ReadField(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

// The game windows that runs of this process have taken, by X window id.
std::map<std::string, CGameRun*>& WindowOwners() {
    static std::map<std::string, CGameRun*> owners;
    return owners;
}

} // namespace

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

CGameRun::CGameRun() {
    std::string pattern = (fs::temp_directory_path() / "zelkora-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        directory = pattern;
    }
    // Best times and screenshots stay inside the run, never in the tester's own home, and the
    // tester's own keys.txt and pad mappings stay out of it.
    SetEnvironment("XDG_DATA_HOME", directory + "/data");
    SetEnvironment("XDG_CONFIG_HOME", directory + "/config");
}

std::string CGameRun::GetDataDirectory() const {
    return directory + "/data/zelkora";
}

CGameRun::~CGameRun() {
    if (game.IsRunning()) {
        game.WaitForExit(0.0);
    }
    const auto claim = WindowOwners().find(windowId);
    if (claim != WindowOwners().end() && claim->second == this) {
        WindowOwners().erase(claim);
    }
    if (!directory.empty()) {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }
}

void CGameRun::WriteFile(const std::string& relativePath, const std::string& contents) {
    const fs::path path = fs::path(directory) / relativePath;
    fs::create_directories(path.parent_path());
    std::error_code ignored;
    fs::remove(path, ignored);
    std::ofstream(path, std::ios::binary) << contents;
}

void CGameRun::SetEnvironment(const std::string& name, const std::string& value) {
    for (auto& entry : environment) {
        if (entry.first == name) {
            entry.second = value;
            return;
        }
    }
    environment.emplace_back(name, value);
}

// Preloaded into the game itself rather than through the faketime wrapper, which forks, so that
// the run's process stays the game and a kill on timeout reaches it.
void CGameRun::SetWallClock(const std::string& date) {
    SetEnvironment("LD_PRELOAD", "/usr/$LIB/faketime/libfaketime.so.1"); // ld.so expands $LIB
    SetEnvironment("FAKETIME", "@" + date);
    SetEnvironment("FAKETIME_DONT_FAKE_MONOTONIC", "1");
    SetEnvironment("TZ", "UTC");
    // In the sanitizer build the preloaded library comes before the sanitizer's runtime.
    const char* asanOptions = std::getenv("ASAN_OPTIONS");
    SetEnvironment("ASAN_OPTIONS", std::string(asanOptions != nullptr ? asanOptions : "") +
                                       ":verify_asan_link_order=0");
}

bool CGameRun::Start(const std::vector<std::string>& arguments) {
    const std::string binary = (fs::path(directory) / "zelkora").string();
    std::error_code error;
    fs::copy_file(ZELKORA_BINARY, binary, fs::copy_options::overwrite_existing, error);
    return !error && StartProgram(binary, directory, arguments);
}

bool CGameRun::StartProgram(const std::string& program, const std::string& workingDirectory,
                            const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return game.Start(argv, workingDirectory, directory + "/stdout.txt", directory + "/stderr.txt",
                      environment);
}

bool CGameRun::StartPlaying(const std::vector<std::string>& arguments, double seconds,
                            std::string& whatItSaid) {
    // The start-up lines are flushed: "start MainLoop..." means keys are read from now on.
    const bool playing =
        Start(arguments) && WaitForWindow(seconds) && WaitForOutput("start MainLoop...\n", seconds);
    whatItSaid = ReadStdout() + ReadStderr();
    return playing;
}

bool CGameRun::WaitForWindow(double seconds) {
    if (!windowId.empty()) {
        return game.IsRunning();
    }
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() <
           seconds) {
        if (!game.IsRunning()) {
            return false;
        }
        // Mapped, not just created: focus cannot go to a window that is not viewable yet, and
        // a slow build (the sanitizers') shows the gap.
        const SCommandResult found =
            RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^Zelkora$"}, kToolTimeout);
        std::istringstream ids(found.output);
        for (std::string id; ids >> id;) {
            if (Claim(id)) {
                windowId = id;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool CGameRun::Claim(const std::string& id) {
    // freeglut sets no _NET_WM_PID, so a window cannot be traced to its process: games that run
    // side by side must be started one after another, each one's window waited for before the
    // next starts. A window whose game has ended leaves its id (X reuses ids) free.
    std::map<std::string, CGameRun*>& owners = WindowOwners();
    for (auto owner = owners.begin(); owner != owners.end();) {
        owner = owner->second->IsRunning() ? std::next(owner) : owners.erase(owner);
    }
    return owners.emplace(id, this).second;
}

CGameRun::SGeometry CGameRun::GetWindowGeometry() const {
    const std::string info = RunCommand({"xwininfo", "-id", windowId}, kToolTimeout).output;
    SGeometry geometry;
    geometry.x = ReadField(info, "Absolute upper-left X:");
    geometry.y = ReadField(info, "Absolute upper-left Y:");
    geometry.width = ReadField(info, "Width:");
    geometry.height = ReadField(info, "Height:");
    return geometry;
}

CGameRun::SGeometry CGameRun::GetScreenGeometry() {
    const std::string info = RunCommand({"xwininfo", "-root"}, kToolTimeout).output;
    SGeometry geometry;
    geometry.width = ReadField(info, "Width:");
    geometry.height = ReadField(info, "Height:");
    return geometry;
}

std::string CGameRun::GetWindowName() const {
    return Trimmed(RunCommand({"xdotool", "getwindowname", windowId}, kToolTimeout).output);
}

bool CGameRun::Focus() {
    return RunCommand({"xdotool", "windowfocus", "--sync", windowId}, kToolTimeout).exitCode == 0;
}

bool CGameRun::KeyDown(const std::string& keysym) {
    return Focus() && RunCommand({"xdotool", "keydown", keysym}, kToolTimeout).exitCode == 0;
}

bool CGameRun::KeyUp(const std::string& keysym) {
    // Released even when the window is gone, so that no key stays held for the next run.
    const bool focused = Focus();
    return RunCommand({"xdotool", "keyup", keysym}, kToolTimeout).exitCode == 0 && focused;
}

bool CGameRun::PressKey(const std::string& keysym) {
    if (!KeyDown(keysym)) {
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The game may already be gone (q, ESC); a key-up then has no window to reach.
    return RunCommand({"xdotool", "keyup", keysym}, kToolTimeout).exitCode == 0;
}

bool CGameRun::Screenshot(const std::string& pngPath) const {
    // The root window's picture holds what the GL window shows; reading the window itself
    // can come back black.
    const SGeometry g = GetWindowGeometry();
    const std::string crop = std::to_string(g.width) + "x" + std::to_string(g.height) + "+" +
                             std::to_string(g.x) + "+" + std::to_string(g.y);
    const std::string command =
        "xwd -root -silent | convert xwd:- -crop " + crop + " +repage png:'" + pngPath + "'";
    return RunCommand({"sh", "-c", command}, kToolTimeout).exitCode == 0;
}

CGameRun::SImage CGameRun::Capture() const {
    const SGeometry g = GetWindowGeometry();
    const std::string crop = std::to_string(g.width) + "x" + std::to_string(g.height) + "+" +
                             std::to_string(g.x) + "+" + std::to_string(g.y);
    const std::string path = directory + "/capture.ppm";
    const std::string command =
        "xwd -root -silent | convert xwd:- -crop " + crop + " +repage -depth 8 ppm:'" + path + "'";
    if (RunCommand({"sh", "-c", command}, kToolTimeout).exitCode != 0) {
        return SImage();
    }
    return ReadPpm(path);
}

CGameRun::SImage CGameRun::LoadImage(const std::string& imagePath) const {
    const std::string path = directory + "/loaded.ppm";
    if (RunCommand({"convert", imagePath, "-depth", "8", "ppm:" + path}, kToolTimeout).exitCode !=
        0) {
        return SImage();
    }
    return ReadPpm(path);
}

CGameRun::SImage CGameRun::ReadPpm(const std::string& path) {
    // Binary PPM: "P6", width, height, maximum value, one white-space byte, then the pixels.
    std::ifstream in(path, std::ios::binary);
    const auto nextField = [&in]() {
        std::string field;
        while (in >> field && field[0] == '#') {
            std::getline(in, field); // a comment runs to the end of its line
        }
        return field;
    };
    SImage image;
    const std::string magic = nextField();
    image.width = std::atoi(nextField().c_str());
    image.height = std::atoi(nextField().c_str());
    const int maximum = std::atoi(nextField().c_str());
    in.get();
    if (magic != "P6" || maximum != 255 || image.width <= 0 || image.height <= 0) {
        return SImage();
    }
    image.rgb.resize(static_cast<size_t>(3 * image.width * image.height));
    in.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
    return in ? image : SImage();
}

double CGameRun::SImage::Share(int x0, int y0, int x1, int y1, int low, int high) const {
    int inside = 0;
    int total = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x, ++total) {
            const unsigned char* p = At(x, y);
            inside += (p[0] >= low && p[0] <= high && p[1] >= low && p[1] <= high && p[2] >= low &&
                       p[2] <= high);
        }
    }
    return total == 0 ? 0.0 : static_cast<double>(inside) / total;
}

double CGameRun::SImage::DifferenceFrom(const SImage& other, int x0, int y0, int x1, int y1) const {
    double sum = 0.0;
    int count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            for (int c = 0; c < 3; ++c, ++count) {
                sum += std::abs(At(x, y)[c] - other.At(x, y)[c]);
            }
        }
    }
    return count == 0 ? 0.0 : sum / count;
}

int CGameRun::SImage::CountChanged(const SImage& other, int x0, int y0, int x1, int y1,
                                   int threshold) const {
    int changed = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            bool differs = false;
            for (int c = 0; c < 3; ++c) {
                differs = differs || std::abs(At(x, y)[c] - other.At(x, y)[c]) > threshold;
            }
            changed += differs;
        }
    }
    return changed;
}

std::string CGameRun::GetScreenshotDirectory() {
    const fs::path folder = fs::path(ZELKORA_GAME_DIR).parent_path() / "screenshots";
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return folder.string();
}

bool CGameRun::CopyGameData() {
    std::error_code error;
    for (const char* folder : {"texture", "mesh", "sounds"}) {
        fs::copy(fs::path(ZELKORA_GAME_DIR) / folder, fs::path(directory) / folder,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
        if (error) {
            return false;
        }
    }
    return true;
}

bool CGameRun::LinkGameData() {
    for (const char* folder : {"texture", "mesh", "sounds"}) {
        std::error_code error;
        fs::create_directories(fs::path(directory) / folder, error);
        for (const std::string& file : ListGameData(folder)) {
            fs::create_symlink(fs::path(ZELKORA_GAME_DIR) / file, fs::path(directory) / file,
                               error);
            if (error) {
                return false;
            }
        }
    }
    return true;
}

std::vector<std::string> CGameRun::ListGameData(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(ZELKORA_GAME_DIR) / folder, error)) {
        files.push_back(folder + "/" + entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool CGameRun::IsRunning() {
    return game.IsRunning();
}

int CGameRun::WaitForExit(double seconds) {
    return game.WaitForExit(seconds);
}

bool CGameRun::WaitForOutput(const std::string& text, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (ReadStdout().find(text) == std::string::npos) {
        const double waited =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!game.IsRunning() || waited > seconds) {
            return ReadStdout().find(text) != std::string::npos;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string CGameRun::ReadStdout() const {
    return ReadWholeFile(directory + "/stdout.txt");
}

std::string CGameRun::ReadStderr() const {
    return ReadWholeFile(directory + "/stderr.txt");
}
