# ICU from its static archives: its library names change with every release, so
# a bundle linked against the shared ones loads only where that release is
# installed. Its data library holds every locale and converter (30 MB); what is
# linked instead is a package of the few items Pulvan uses (icu_data_items.txt),
# made at build time with ICU's own packaging tool.
if(TARGET pulvan_icu)
  return()
endif()
enable_language(ASM)
find_path(ICU_INCLUDE_DIR unicode/uvernum.h REQUIRED)
foreach(part i18n uc data)
  find_library(ICU_${part}_STATIC_LIBRARY libicu${part}.a REQUIRED)
endforeach()
find_program(ICU_PKG icupkg PATHS /usr/sbin REQUIRED)
file(STRINGS ${ICU_INCLUDE_DIR}/unicode/uvernum.h _icu_major REGEX "^#define U_ICU_VERSION_MAJOR_NUM [0-9]+")
string(REGEX MATCH "[0-9]+$" _icu_major "${_icu_major}")

set(ICU_DATA_SYMBOL icudt${_icu_major}_dat)
set(ICU_DATA_PACKAGE ${CMAKE_BINARY_DIR}/icu/icudt${_icu_major}l.dat)
add_custom_command(OUTPUT ${ICU_DATA_PACKAGE}
  COMMAND ${CMAKE_COMMAND} -DARCHIVE=${ICU_data_STATIC_LIBRARY} -DITEMS=${CMAKE_CURRENT_LIST_DIR}/icu_data_items.txt
          -DWORK=${CMAKE_BINARY_DIR}/icu/work -DOUTPUT=${ICU_DATA_PACKAGE} -P ${CMAKE_CURRENT_LIST_DIR}/TrimIcuData.cmake
  DEPENDS ${ICU_data_STATIC_LIBRARY} ${CMAKE_CURRENT_LIST_DIR}/icu_data_items.txt ${CMAKE_CURRENT_LIST_DIR}/TrimIcuData.cmake
  COMMENT "Trimming ICU's data")
configure_file(${CMAKE_CURRENT_LIST_DIR}/icu_data.S.in ${CMAKE_BINARY_DIR}/icu/icu_data.S @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/icu/icu_data.S PROPERTIES OBJECT_DEPENDS ${ICU_DATA_PACKAGE})

add_library(pulvan_icu_data STATIC ${CMAKE_BINARY_DIR}/icu/icu_data.S ${ICU_DATA_PACKAGE})

# The data comes after the libraries that read it, so the linker picks it up.
add_library(pulvan_icu INTERFACE)
target_include_directories(pulvan_icu SYSTEM INTERFACE ${ICU_INCLUDE_DIR})
target_link_libraries(pulvan_icu INTERFACE
  ${ICU_i18n_STATIC_LIBRARY} ${ICU_uc_STATIC_LIBRARY} pulvan_icu_data ${CMAKE_DL_LIBS} Threads::Threads)
