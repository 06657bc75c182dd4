# shellcheck shell=bash
# Sourced by the scripts that run sanitized programs (sanitize.sh, timedemo.sh): any report ends
# the process that made it with exit code 23, and leaks are reported from our own code only (the
# suppressions name the system's libraries). Programs built without the sanitizers ignore these.
sanitizer_options=(halt_on_error=1 exitcode=23 detect_leaks=1 check_initialization_order=1
    detect_stack_use_after_return=1 strict_string_checks=1)
ASAN_OPTIONS=$(IFS=:; echo "${sanitizer_options[*]}")
export ASAN_OPTIONS
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=23
sanitizer_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export LSAN_OPTIONS=suppressions=$sanitizer_scripts/lsan-suppressions.txt:print_suppressions=0
