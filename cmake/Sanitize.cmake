# The sanitizer build (scripts/sanitize.sh configures it in build-sanitize/): the game, its tools
# and every test built with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer. Any
# report ends the process with a non-zero code, so a finding fails the test that ran into it.

set(ZELKORA_SANITIZE_FLAGS -fsanitize=address,undefined,float-cast-overflow
    -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${ZELKORA_SANITIZE_FLAGS})
add_link_options(${ZELKORA_SANITIZE_FLAGS})
# Bounds checks in the standard containers' operator[] and friends, which ASan misses while an
# index stays inside the capacity.
add_compile_definitions(_GLIBCXX_ASSERTIONS)
# GCC's flow analysis sees through the sanitizers' checks poorly and then warns about std::regex
# and std::function internals being used uninitialized; they are not.
add_compile_options(-Wno-maybe-uninitialized)

# zelkora_check_leaks_before_glut_exit(<target>...): the leak check of these programs runs
# before freeglut's exit handler unloads the GL driver (see tests/sanitize/GlutExitLeakCheck.cpp).
function(zelkora_check_leaks_before_glut_exit)
    foreach(target ${ARGN})
        if(TARGET ${target})
            target_sources(${target}
                PRIVATE ${PROJECT_SOURCE_DIR}/tests/sanitize/GlutExitLeakCheck.cpp)
            target_link_options(${target} PRIVATE -Wl,--wrap=glutInit)
        endif()
    endforeach()
endfunction()
