#pragma once

// Renders every texture of the data directory (over a chequerboard, so alpha shows) and a view
// of every mesh with its skin, drawn by OpenGL as the game draws them, onto one PNG for people
// to look at. Needs an X display. False with a message on failure.
bool WriteContactSheet(int argc, char** argv, const char* dataDirectory, const char* pngPath);
