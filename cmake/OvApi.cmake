# Small helpers that give every library, plug-in, program and test the same settings.

include(GenerateExportHeader)

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)
set(CMAKE_AUTORCC ON)

set(OV_QT_DEFINES
  QT_NO_FOREACH
  QT_USE_QSTRINGBUILDER
  QT_STRICT_ITERATORS
  QT_DEPRECATED_WARNINGS)

function(_ov_common_settings target)
  target_compile_definitions(${target} PRIVATE ${OV_QT_DEFINES})
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# ov_add_library(name SOURCES ... DEPENDS ... PUBLIC_DEPENDS ...)
# A shared library with hidden visibility; <name>_export.h gives the export macro.
function(ov_add_library name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS;PUBLIC_DEPENDS" ${ARGN})
  add_library(${name} SHARED ${arg_SOURCES})
  _ov_common_settings(${name})
  generate_export_header(${name} BASE_NAME ${name}
    EXPORT_FILE_NAME "${CMAKE_CURRENT_BINARY_DIR}/${name}_export.h")
  target_include_directories(${name} PUBLIC
    "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_BINARY_DIR}")
  target_link_libraries(${name} PUBLIC ${arg_PUBLIC_DEPENDS} PRIVATE ${arg_DEPENDS})
endfunction()

# ov_add_plugin(name SOURCES ... DEPENDS ...)
# A Qt plug-in module placed in bin/plugins, where the planner looks by default.
function(ov_add_plugin name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} MODULE ${arg_SOURCES})
  _ov_common_settings(${name})
  target_compile_definitions(${name} PRIVATE QT_PLUGIN QT_SHARED)
  target_include_directories(${name} PRIVATE "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS})
  set_target_properties(${name} PROPERTIES
    PREFIX "lib"
    LIBRARY_OUTPUT_DIRECTORY "${OV_PLUGIN_OUTPUT_DIRECTORY}")
endfunction()

# ov_add_executable(name SOURCES ... DEPENDS ...)
function(ov_add_executable name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  _ov_common_settings(${name})
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS})
endfunction()

# ov_add_test(name SOURCES ... DEPENDS ... [LABELS ...])
# A Qt Test executable run by CTest offscreen; warnings fail it (see tests/support).
function(ov_add_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  _ov_common_settings(${name})
  target_link_libraries(${name} PRIVATE Qt5::Test ovtestsupport ${arg_DEPENDS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OV_PLUGIN_DIR=${OV_PLUGIN_OUTPUT_DIRECTORY}"
    TIMEOUT 120)
  if(arg_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}")
  endif()
endfunction()

# ov_add_benchmark(name SOURCES ... DEPENDS ...): built, never run by CTest.
function(ov_add_benchmark name)
  cmake_parse_arguments(arg "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  _ov_common_settings(${name})
  target_link_libraries(${name} PRIVATE ${arg_DEPENDS})
endfunction()
