# The private print system of the tests: a CUPS daemon of our own with two cups-pdf queues
# (tests/cups/cups-server.sh), started by the CTest test cups_start before the tests that print
# through it and stopped by cups_stop after them. Its folder is short (a unix socket path is
# limited to 108 bytes) and one per build tree.
string(MD5 _quillmate_build_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_quillmate_build_hash}" 0 12 _quillmate_build_hash)
set(QUILLMATE_CUPS_DIR "/tmp/quillmate-cups-${_quillmate_build_hash}")
# The throwaway PostgreSQL cluster of the shared-register tests (tests/pg/pg-cluster.sh), started by
# pg_start and stopped by pg_stop whether the tests pass or fail; reached on its unix socket only.
set(QUILLMATE_PG_DIR "/tmp/quillmate-pg-${_quillmate_build_hash}")

# quillmate_add_test(<name> [CUPS] [PG] [SCREENS <file>] SOURCES <files...>)
# Builds one QtTest executable linked to the program library and the test support library, and
# registers it with CTest. Every test runs offscreen, in its own folder, with its own HOME and
# XDG config folder, so it never touches a real user's settings or database. No test sees the
# machine's print system: CUPS_SERVER points at a socket that never exists, or, for a CUPS test,
# at the private daemon, which such tests hold one at a time. A PG test gets the cluster's socket
# folder and superuser in QUILLMATE_PG_HOST and QUILLMATE_PG_SUPERUSER. SCREENS names a JSON file
# of the offscreen platform (its "screens": name, x, y, width, height) that gives the test those
# screens instead of the one screen of 800 x 600.
function(quillmate_add_test name)
    cmake_parse_arguments(ARG "CUPS;PG" "SCREENS" "SOURCES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quillmate_core quillmate_testsupport Qt6::Test)
    set(home ${CMAKE_CURRENT_BINARY_DIR}/${name}.home)
    file(MAKE_DIRECTORY ${home}/config ${home}/work)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${home}/work)
    set(platform "offscreen")
    if(ARG_SCREENS)
        get_filename_component(screens "${ARG_SCREENS}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        set(platform "offscreen:configfile=${screens}")
    endif()
    set(env "QT_QPA_PLATFORM=${platform};HOME=${home};XDG_CONFIG_HOME=${home}/config;QT_LOGGING_RULES=qt.qpa.*=false;QUILLMATE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
    if(ARG_CUPS)
        set(env "${env};CUPS_SERVER=${QUILLMATE_CUPS_DIR}/cups.sock;QUILLMATE_CUPS_DIR=${QUILLMATE_CUPS_DIR}")
        set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED cups)
        set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK cups)
    else()
        set(env "${env};CUPS_SERVER=${QUILLMATE_CUPS_DIR}/none.sock")
    endif()
    if(ARG_PG)
        set(env "${env};QUILLMATE_PG_HOST=${QUILLMATE_PG_DIR};QUILLMATE_PG_SUPERUSER=quillmate_test")
        set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED pg)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
endfunction()
