# Tests of the layout designer (included from this folder's CMakeLists.txt).
quillmate_add_test(tst_designergeometry SOURCES tst_designergeometry.cpp)
quillmate_add_test(tst_designer SOURCES tst_designer.cpp)
