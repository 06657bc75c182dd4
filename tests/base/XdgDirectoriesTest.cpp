#include "base/XdgDirectories.h"

#include "EnvironmentVariable.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

// "xdg" spelled "cfg": XDG_CONFIG_HOME differs from XDG_DATA_HOME, so a mix-up of the two shows.
std::optional<std::string> AsConfig(const std::optional<std::string>& xdg) {
    if (!xdg) {
        return xdg;
    }
    std::string config = *xdg;
    const std::string::size_type at = config.find("xdg");
    return at == std::string::npos ? config : config.replace(at, 3, "cfg");
}

TEST(XdgDirectories, FollowTheVariableWhenAbsoluteElseHome) {
    struct SCase {
        std::optional<std::string> xdg; // XDG_DATA_HOME, and through AsConfig XDG_CONFIG_HOME
        std::optional<std::string> home;
        const char* data;
        const char* config;
    };
    const std::nullopt_t unset = std::nullopt;
    const SCase cases[] = {
        {"/xdg", "/home/ann", "/xdg/zelkora", "/cfg/zelkora"},
        {"/xdg//", "/home/ann", "/xdg/zelkora", "/cfg/zelkora"},
        {"/", "/home/ann", "/zelkora", "/zelkora"},
        {"/xdg", unset, "/xdg/zelkora", "/cfg/zelkora"},
        {unset, "/home/ann", "/home/ann/.local/share/zelkora", "/home/ann/.config/zelkora"},
        {"", "/home/ann/", "/home/ann/.local/share/zelkora", "/home/ann/.config/zelkora"},
        {"xdg", "/home/ann", "/home/ann/.local/share/zelkora", "/home/ann/.config/zelkora"},
        {"./xdg", "/", "/.local/share/zelkora", "/.config/zelkora"},
        {unset, unset, "", ""},
        {"", "", "", ""},
        {"xdg", "home/ann", "", ""},
    };
    for (const SCase& c : cases) {
        const CEnvironmentVariable data("XDG_DATA_HOME", c.xdg);
        const CEnvironmentVariable config("XDG_CONFIG_HOME", AsConfig(c.xdg));
        const CEnvironmentVariable home("HOME", c.home);
        const std::string label =
            "XDG " + c.xdg.value_or("(unset)") + ", HOME " + c.home.value_or("(unset)");
        EXPECT_EQ(CXdgDirectories::DataDirectory(), c.data) << label;
        EXPECT_EQ(CXdgDirectories::ConfigDirectory(), c.config) << label;
    }
}

} // namespace
