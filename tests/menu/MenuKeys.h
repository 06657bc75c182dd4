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

inline constexpr SMenuKey kUp{true, GLUT_KEY_UP};
inline constexpr SMenuKey kDown{true, GLUT_KEY_DOWN};
inline constexpr SMenuKey kLeft{true, GLUT_KEY_LEFT};
inline constexpr SMenuKey kRight{true, GLUT_KEY_RIGHT};
inline constexpr SMenuKey kEnter{false, '\r'};
inline constexpr SMenuKey kEscape{false, 27};
inline constexpr SMenuKey kBackspace{false, 8};

inline constexpr SMenuKey Char(char c) {
    return {false, c};
}

inline MenuKeys Typed(const std::string& text) {
    MenuKeys keys;
    for (const char c : text) {
        keys.push_back(Char(c));
    }
    return keys;
}

inline MenuKeys operator+(MenuKeys a, const MenuKeys& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
