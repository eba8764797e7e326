# Tests of the printer calibration and the designers' background image (included from this
# folder's CMakeLists.txt).
quillmate_add_test(tst_calibration SOURCES tst_calibration.cpp)
target_link_libraries(tst_calibration PRIVATE quillmate_layouttestsupport)
quillmate_add_test(tst_calibrationpanel SOURCES tst_calibrationpanel.cpp)
target_link_libraries(tst_calibrationpanel PRIVATE quillmate_layouttestsupport)
quillmate_add_test(tst_background SOURCES tst_background.cpp)
