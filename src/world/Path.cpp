#include "world/Path.h"

#include <cstdio>

void CPath::AddNode(float x, float y, float z, float forwardX, float forwardY, float forwardZ,
                    float planeOffset, float radius, int index, float angleX, float angleY,
                    float length) {
    nodes.push_back(std::make_unique<CPathNode>(
        CPathNode{CVector3(x, y, z), CVector3(forwardX, forwardY, forwardZ), planeOffset, radius,
                  index, angleX, angleY, length}));
}

const CPathNode* CPath::GetNode(unsigned index) const {
    return index < nodes.size() ? nodes[index].get() : nullptr;
}

void CPath::Clear() {
    nodes.clear();
}

void CPath::PrintNodeCount() const {
    std::printf("path: %d nodes \n", GetNodeCount());
    std::fflush(stdout);
}
