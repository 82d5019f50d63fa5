# pulvan_test(<name> SOURCES ... [LIBS ...] [THREADED] [SERIAL] [NEEDS jack|pipewire|x11|wm ...] [EACH_WINDOW_MANAGER]
#             [LOCKS <resource> ...])
#
# THREADED tests are the ones that also run under ThreadSanitizer; a build with
# PULVAN_SANITIZE=thread builds only those. NEEDS attaches the CTest fixture that
# starts a private JACK server, PipeWire session (whose libjack the test then loads) or Xvfb display for this
# build tree; <manager>_wm is a display of its
# own with that window manager on it, and wm openbox's. EACH_WINDOW_MANAGER runs every case once under each of
# PULVAN_TEST_WINDOW_MANAGERS, on its display, named "<manager>/<case>". LOCKS keeps tests
# that share one outside resource (the X clipboard, say) from running at the same time.
# SERIAL tests run alone. Tests that need JACK always do: a JACK server without real-time
# priority misses its cycles on a busy machine, and every client sees every other's ports.
find_package(GTest REQUIRED)
include(GoogleTest)

string(MD5 _pulvan_tree_hash "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${_pulvan_tree_hash}" 0 3 _pulvan_tree_hex)
math(EXPR PULVAN_TEST_DISPLAY "0x${_pulvan_tree_hex} % 800 + 100")
# Where they differ in how they focus: openbox on the host's focus window, icewm on the bare top-level, metacity and
# mutter (GNOME's, on X11) on the top-level after making it active, inactive and active again for a title-bar click.
# Each has a display of its own; `NEEDS wm` is openbox's.
set(PULVAN_TEST_WINDOW_MANAGERS openbox icewm metacity mutter)
set(_pulvan_display_offset 800)
foreach(manager IN LISTS PULVAN_TEST_WINDOW_MANAGERS)
  math(EXPR PULVAN_TEST_${manager}_DISPLAY "${PULVAN_TEST_DISPLAY} + ${_pulvan_display_offset}")
  math(EXPR _pulvan_display_offset "${_pulvan_display_offset} + 800")
endforeach()
set(PULVAN_TEST_JACK_SERVER "pulvan-test-${_pulvan_tree_hex}")
# The private PipeWire session's name, and where PipeWire's libjack is (as pw-jack finds it), for the
# tests that run JACK programs through PipeWire.
set(PULVAN_TEST_PIPEWIRE "pulvan-test-${_pulvan_tree_hex}")
find_path(PULVAN_PIPEWIRE_JACK_DIR libjack.so.0 NO_DEFAULT_PATH
  PATHS /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/pipewire-0.3/jack /usr/lib64/pipewire-0.3/jack /usr/lib/pipewire-0.3/jack)
set(PULVAN_FIXTURE_DIR ${CMAKE_SOURCE_DIR}/tests/fixtures)

if(NOT TARGET pulvan_threaded_tests)
  add_custom_target(pulvan_threaded_tests)
endif()

function(pulvan_test name)
  cmake_parse_arguments(T "THREADED;SERIAL;EACH_WINDOW_MANAGER" "" "SOURCES;LIBS;NEEDS;LOCKS" ${ARGN})
  if(PULVAN_SANITIZE STREQUAL "thread" AND NOT T_THREADED)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  # The name every JACK server a test starts begins with: one of this build tree's, the same in every run, so
  # that a server killed before it signed off leaves its place in JACK's registry to the next of its name.
  target_compile_definitions(${name} PRIVATE PULVAN_TEST_JACK_SERVER="${PULVAN_TEST_JACK_SERVER}")
  if(T_EACH_WINDOW_MANAGER)
    foreach(manager IN LISTS PULVAN_TEST_WINDOW_MANAGERS)
      set(needs ${T_NEEDS} ${manager}_wm)
      set(flags "")
      foreach(flag IN ITEMS THREADED SERIAL)
        if(T_${flag})
          list(APPEND flags ${flag})
        endif()
      endforeach()
      _pulvan_discover_tests(${name} "${manager}/" ${flags} NEEDS ${needs} LOCKS ${T_LOCKS}
        ENVIRONMENT PULVAN_TEST_WINDOW_MANAGER=${manager})
    endforeach()
    return()
  endif()
  _pulvan_discover_tests(${name} "" ${ARGN})
endfunction()

# The cases of a test program for CTest, with the fixtures, environment and labels its needs ask for.
function(_pulvan_discover_tests name prefix)
  cmake_parse_arguments(T "THREADED;SERIAL" "" "SOURCES;LIBS;NEEDS;LOCKS;ENVIRONMENT" ${ARGN})
  set(list_name ${name}_TESTS)
  if(prefix)
    string(MAKE_C_IDENTIFIER "${name}_${prefix}TESTS" list_name)
  endif()
  list(TRANSFORM T_NEEDS REPLACE "^wm$" "openbox_wm")
  set(labels "")
  set(fixtures "")
  set(env ${T_ENVIRONMENT})
  if(T_THREADED)
    list(APPEND labels threaded)
    add_dependencies(pulvan_threaded_tests ${name})
  endif()
  foreach(need IN LISTS T_NEEDS)
    list(APPEND labels ${need})
    list(APPEND fixtures ${need}_server)
  endforeach()
  if("jack" IN_LIST T_NEEDS)
    set(T_SERIAL TRUE)
    list(APPEND env "JACK_DEFAULT_SERVER=${PULVAN_TEST_JACK_SERVER}" "JACK_NO_START_SERVER=1")
  endif()
  if("pipewire" IN_LIST T_NEEDS)
    set(T_SERIAL TRUE)
    list(APPEND env "XDG_RUNTIME_DIR=/tmp/pulvan-pipewire-${PULVAN_TEST_PIPEWIRE}")
    if(PULVAN_PIPEWIRE_JACK_DIR)
      list(APPEND env "LD_LIBRARY_PATH=${PULVAN_PIPEWIRE_JACK_DIR}")
    endif()
  endif()
  if("x11" IN_LIST T_NEEDS)
    list(APPEND env "DISPLAY=:${PULVAN_TEST_DISPLAY}")
  endif()
  foreach(manager IN LISTS PULVAN_TEST_WINDOW_MANAGERS)
    if("${manager}_wm" IN_LIST T_NEEDS)
      list(APPEND env "DISPLAY=:${PULVAN_TEST_${manager}_DISPLAY}")
    endif()
  endforeach()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "${prefix}" TEST_LIST ${list_name})

  # List-valued properties do not survive gtest_discover_tests' PROPERTIES, so they are
  # applied by a script that CTest runs after the discovered tests are defined.
  set(props "")
  foreach(prop IN ITEMS LABELS FIXTURES_REQUIRED ENVIRONMENT RESOURCE_LOCK)
    if(prop STREQUAL "LABELS")
      set(values "${labels}")
    elseif(prop STREQUAL "FIXTURES_REQUIRED")
      set(values "${fixtures}")
    elseif(prop STREQUAL "ENVIRONMENT")
      set(values "${env}")
    else()
      set(values "${T_LOCKS}")
    endif()
    if(values)
      string(APPEND props " ${prop} [[${values}]]")
    endif()
  endforeach()
  if(T_SERIAL)
    string(APPEND props " RUN_SERIAL TRUE")
  endif()
  if(props)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${list_name}_properties.cmake)
    file(WRITE ${script} "if(${list_name})\n  set_tests_properties(\${${list_name}} PROPERTIES${props})\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()

# Fixtures: started once per ctest run, shared by every test that needs them.
add_test(NAME jack_server_start COMMAND ${PULVAN_FIXTURE_DIR}/jack.sh start ${PULVAN_TEST_JACK_SERVER})
add_test(NAME jack_server_stop COMMAND ${PULVAN_FIXTURE_DIR}/jack.sh stop ${PULVAN_TEST_JACK_SERVER})
# After the check that a registry left full by killed servers does not stop a start, which needs no JACK
# program running (tests/platform/midi).
set_tests_properties(jack_server_start PROPERTIES FIXTURES_SETUP jack_server LABELS "jack;threaded"
  DEPENDS JackRegistry.TheFixtureStartsAServerThoughKilledServersTookEveryPlace)
set_tests_properties(jack_server_stop PROPERTIES FIXTURES_CLEANUP jack_server LABELS "jack;threaded")
add_test(NAME pipewire_server_start COMMAND ${PULVAN_FIXTURE_DIR}/pipewire.sh start ${PULVAN_TEST_PIPEWIRE})
add_test(NAME pipewire_server_stop COMMAND ${PULVAN_FIXTURE_DIR}/pipewire.sh stop ${PULVAN_TEST_PIPEWIRE})
set_tests_properties(pipewire_server_start PROPERTIES FIXTURES_SETUP pipewire_server LABELS pipewire)
set_tests_properties(pipewire_server_stop PROPERTIES FIXTURES_CLEANUP pipewire_server LABELS pipewire)
add_test(NAME x11_server_start COMMAND ${PULVAN_FIXTURE_DIR}/xvfb.sh start ${PULVAN_TEST_DISPLAY})
add_test(NAME x11_server_stop COMMAND ${PULVAN_FIXTURE_DIR}/xvfb.sh stop ${PULVAN_TEST_DISPLAY})
set_tests_properties(x11_server_start PROPERTIES FIXTURES_SETUP x11_server LABELS "x11;threaded")
set_tests_properties(x11_server_stop PROPERTIES FIXTURES_CLEANUP x11_server LABELS "x11;threaded")
foreach(manager IN LISTS PULVAN_TEST_WINDOW_MANAGERS)
  set(display ${PULVAN_TEST_${manager}_DISPLAY})
  add_test(NAME ${manager}_wm_server_start COMMAND ${PULVAN_FIXTURE_DIR}/xvfb.sh start ${display} ${manager})
  add_test(NAME ${manager}_wm_server_stop COMMAND ${PULVAN_FIXTURE_DIR}/xvfb.sh stop ${display})
  set_tests_properties(${manager}_wm_server_start PROPERTIES FIXTURES_SETUP ${manager}_wm_server LABELS "${manager}_wm;threaded")
  set_tests_properties(${manager}_wm_server_stop PROPERTIES FIXTURES_CLEANUP ${manager}_wm_server LABELS "${manager}_wm;threaded")
endforeach()

# pulvan_golden_images(<name>): the golden-image helper for the tests of the calling folder; it compares
# with golden/<image>.png there and keeps rendered images that differ in golden_failures/.
function(pulvan_golden_images name)
  add_library(${name} STATIC ${PROJECT_SOURCE_DIR}/tests/platform/ui/golden.cpp)
  target_link_libraries(${name} PUBLIC pulvan_ui GTest::gtest)
  target_compile_definitions(${name} PRIVATE
    PULVAN_GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden"
    PULVAN_GOLDEN_FAILURE_DIR="${CMAKE_CURRENT_BINARY_DIR}/golden_failures")
  # Compiled into each test program that draws text: fontconfig's process-wide configuration is no leak.
  target_sources(${name} INTERFACE ${PROJECT_SOURCE_DIR}/tests/platform/ui/leak_suppressions.cpp)
endfunction()
