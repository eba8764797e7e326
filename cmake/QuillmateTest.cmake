# quillmate_add_test(<name> SOURCES <files...>)
# Builds one QtTest executable linked to the program library and the test support library, and
# registers it with CTest. Every test runs offscreen, in its own folder, with its own HOME and
# XDG config folder, so it never touches a real user's settings or database.
function(quillmate_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quillmate_core quillmate_testsupport Qt6::Test)
    set(home ${CMAKE_CURRENT_BINARY_DIR}/${name}.home)
    file(MAKE_DIRECTORY ${home}/config ${home}/work)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${home}/work)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/config;QT_LOGGING_RULES=qt.qpa.*=false;QUILLMATE_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
