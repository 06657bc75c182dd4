#pragma once

#include "MeshBuilder.h"

// Every mesh the game loads. All are closed, flat-faced and mapped into the skin
// atlas, so any skin fits any craft.
CMeshBuilder BuildPlayerMesh();          // nose toward -z, about 5.5 units across
CMeshBuilder BuildLaserMesh();           // a bolt along z, 6 units long, with the bolt texture
CMeshBuilder BuildEnemyMesh(int number); // 1 to 9, each a different craft, 6 to 9 units radius
