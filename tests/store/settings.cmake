# The settings readers, the payer file and the organisation panel.
quillmate_add_test(tst_settings SOURCES tst_settings.cpp)
# A small program that prints the payer details it finds, run from another folder by tst_settings.
add_executable(tst_settings_probe tst_settings_probe.cpp)
target_link_libraries(tst_settings_probe PRIVATE quillmate_core)
add_dependencies(tst_settings tst_settings_probe)
target_compile_definitions(tst_settings PRIVATE QUILLMATE_PAYER_PROBE="$<TARGET_FILE:tst_settings_probe>")
quillmate_add_test(tst_orgpanel SOURCES tst_orgpanel.cpp)
