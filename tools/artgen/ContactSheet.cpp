#include "ContactSheet.h"

#include <cstdio>

bool WriteContactSheet(int, char**, const char*, const char*) {
    std::printf("artgen: contact sheet not built yet\n");
    return false;
}
