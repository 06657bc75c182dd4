// Linked into the sanitizer build's programs that open a GL window (see cmake/Sanitize.cmake),
// which wraps their calls to glutInit with this one.
//
// freeglut closes the X display in an exit handler of its own, and Mesa unloads its driver
// then; LeakSanitizer's check runs after that and can no longer name the driver in the stacks
// of the driver's allocations, so they could not be told apart from ours. The check is run
// instead from an exit handler registered right after glutInit's, which runs just before it.

#include <cstdlib>
#include <sanitizer/lsan_interface.h>

extern "C" {

void __real_glutInit(int* argumentCount, char** arguments);

void __wrap_glutInit(int* argumentCount, char** arguments) {
    __real_glutInit(argumentCount, arguments);
    std::atexit([] { __lsan_do_leak_check(); }); // a later check at exit is then skipped
}

} // extern "C"
