#include "base/Version.h"

const char* GetGameVersion() {
    return ZELKORA_VERSION;
}
