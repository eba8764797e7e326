# The last check of the amount before printing (included from this folder's CMakeLists.txt).
quillmate_add_test(tst_amountcheck SOURCES tst_amountcheck.cpp)
