#pragma once

// Draws every texture (over a chequerboard, so alpha shows) and views of every mesh with its
// skin, rendered by OpenGL the way the game draws them (texture replacing colour, back faces
// culled), onto one PNG for people to look at. Needs an X display. False with a message.
bool WriteContactSheet(int argc, char** argv, const char* pngPath);
