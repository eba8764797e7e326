# Export of the register search result.
quillmate_add_test(tst_export SOURCES tst_export.cpp RegisterFixture.h)
