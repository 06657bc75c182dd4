#pragma once

// Keys as the keyboard sends them to the menu, and the sequences tests press.

#include "menu/Menu.h"

#include <GL/glut.h>
#include <string>
#include <vector>

struct SMenuKey {
    bool special; // GLUT's special keys
    int code;
};
using MenuKeys = std::vector<SMenuKey>;

inline constexpr SMenuKey kMenuUp{true, GLUT_KEY_UP};
inline constexpr SMenuKey kMenuDown{true, GLUT_KEY_DOWN};
inline constexpr SMenuKey kMenuLeft{true, GLUT_KEY_LEFT};
inline constexpr SMenuKey kMenuRight{true, GLUT_KEY_RIGHT};
inline constexpr SMenuKey kMenuEnter{false, '\r'};
inline constexpr SMenuKey kMenuEscape{false, 27};
inline constexpr SMenuKey kMenuBackspace{false, 8};

inline MenuKeys Typed(const std::string& text) {
    MenuKeys keys;
    for (const char c : text) {
        keys.push_back({false, c});
    }
    return keys;
}

inline MenuKeys operator+(MenuKeys a, const MenuKeys& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Presses each key; true when one of them quit.
inline bool PressKeys(CMenu& menu, const MenuKeys& keys) {
    bool quit = false;
    for (const SMenuKey& key : keys) {
        quit = menu.KeyDown(key.special, key.code) == CMenu::EResult::Quit || quit;
    }
    return quit;
}
