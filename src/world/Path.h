#pragma once

#include "world/PathNode.h"

#include <memory>
#include <vector>

// The tunnel's path: one node per ring, in ring order. Owns its nodes.
class CPath {
public:
    void AddNode(float x, float y, float z, float forwardX, float forwardY, float forwardZ,
                 float planeOffset, float radius, int index, float angleX, float angleY,
                 float length);
    const CPathNode* GetNode(unsigned index) const; // null when index >= node count
    int GetNodeCount() const { return static_cast<int>(nodes.size()); }
    void Clear();
    void PrintNodeCount() const; // "path: <count> nodes \n" on standard output

private:
    std::vector<std::unique_ptr<CPathNode>> nodes;
};
