# The editor's root views: the root, the content with its layout, overlays and choosers, the hosted resize grip.
add_library(pulvan_views_root STATIC
  ${CMAKE_CURRENT_LIST_DIR}/hosted_resize_handle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kez_content.cpp
  ${CMAKE_CURRENT_LIST_DIR}/kez_root_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/modal_contents.cpp)
target_include_directories(pulvan_views_root PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(pulvan_views_root PUBLIC pulvan_views_shell pulvan_views_main pulvan_views_modals pulvan_views_notespool pulvan_store pulvan_library pulvan_ui)
