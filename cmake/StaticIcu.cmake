# ICU from its static archives: its library names change with every release, so
# a bundle linked against the shared ones loads only where that release is installed.
if(TARGET pulvan_icu)
  return()
endif()
find_path(ICU_INCLUDE_DIR unicode/uversion.h REQUIRED)
foreach(part i18n uc data)
  find_library(ICU_${part}_STATIC_LIBRARY libicu${part}.a REQUIRED)
endforeach()
add_library(pulvan_icu INTERFACE)
target_include_directories(pulvan_icu SYSTEM INTERFACE ${ICU_INCLUDE_DIR})
target_link_libraries(pulvan_icu INTERFACE
  ${ICU_i18n_STATIC_LIBRARY} ${ICU_uc_STATIC_LIBRARY} ${ICU_data_STATIC_LIBRARY} ${CMAKE_DL_LIBS} Threads::Threads)
