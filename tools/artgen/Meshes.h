#pragma once

#include <string>

// The OBJ text of every mesh the game loads. All are closed, flat-faced and mapped into the skin
// atlas, so any skin fits any craft.
std::string BuildPlayerMesh();          // nose toward -z, about 5.5 units across
std::string BuildLaserMesh();           // a bolt along z, 6 units long, with the bolt texture
std::string BuildEnemyMesh(int number); // 1 to 9, each a different craft, 6 to 9 units radius
