# The login gate, the password hash and the password panel.
quillmate_add_test(tst_login SOURCES tst_login.cpp)
quillmate_add_test(tst_password SOURCES tst_password.cpp)
