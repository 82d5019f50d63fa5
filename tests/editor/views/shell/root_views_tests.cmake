pulvan_test(views_root_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/root_views_test.cpp ${PROJECT_SOURCE_DIR}/tests/platform/ui/leak_suppressions.cpp
  LIBS pulvan_views_root pulvan_test_support)
