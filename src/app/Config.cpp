#include "app/Config.h"

#include <fstream>

namespace {
// Stores the value only when it was read: a failed extraction would otherwise write 0 or the
// type's limit over the default.
bool ExtractInto(std::istream& in, int& target) {
    int value = 0;
    if (!(in >> value)) {
        return false;
    }
    target = value;
    return true;
}
} // namespace

void CConfig::Read(std::istream& in) {
    ExtractInto(in, difficulty) && ExtractInto(in, tunnelLength) && ExtractInto(in, displayMode);
}

void CConfig::Load(const char* path) {
    std::ifstream file(path);
    if (file) {
        Read(file);
    }
}

int CConfig::GetTunnelNodeCount() const {
    switch (tunnelLength) {
    case 1:
        return 500;
    case 2:
        return 1000;
    case 3:
        return 1500;
    default:
        return tunnelLength;
    }
}
