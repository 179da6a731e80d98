ov_add_test(tst_localstorage SOURCES tst_localstorage.cpp DEPENDS ovsdk)
