// A slow disk for benchmarks, without root: preloaded, it makes every fsync and fdatasync wait
// ZELKORA_FSYNC_DELAY_MS milliseconds (default 200) before doing its work, as a busy spinning
// disk or a network file system does.
//   export LD_PRELOAD=build/bench/libzelkora_slow_fsync.so
//   build/bench/zelkora_bench --benchmark_filter=FinishFrame
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>

namespace {

void WaitLikeASlowDisk() {
    const char* setting = std::getenv("ZELKORA_FSYNC_DELAY_MS");
    const long milliseconds = setting != nullptr ? std::atol(setting) : 200;
    timespec delay = {milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&delay, &delay) != 0) {
    }
}

} // namespace

extern "C" {

int fsync(int descriptor) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    WaitLikeASlowDisk();
    return real(descriptor);
}

int fdatasync(int descriptor) {
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fdatasync"));
    WaitLikeASlowDisk();
    return real(descriptor);
}

} // extern "C"
