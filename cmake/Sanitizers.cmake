# AddressSanitizer and UndefinedBehaviorSanitizer for every target of the build (program, tests,
# benchmarks). Included from the root CMakeLists.txt before any target is made, when
# QUILLMATE_SANITIZE is ON. Qt's own libraries are not instrumented; only our code is.
#
# Tests run with ASAN_OPTIONS and UBSAN_OPTIONS set by scripts/test.sh: any finding stops the test
# with a stack trace, so a test passes only when it ran clean.
add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_link_options(-fsanitize=address,undefined)
