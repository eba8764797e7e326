# Backup and restore of the database.
quillmate_add_test(tst_backup SOURCES tst_backup.cpp)
