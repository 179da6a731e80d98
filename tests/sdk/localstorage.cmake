ov_add_test(tst_localstorage SOURCES tst_localstorage.cpp DEPENDS ovsdk)
ov_add_test(tst_data SOURCES tst_data.cpp DEPENDS ovsdk)
