# The VST3 SDK sources that Debian ships, compiled once into a static library.
# The subset lacks the audio-effect base, the factory helper and a few interface
# identifiers; vst3/ supplies those.
if(TARGET pulvan_vst3_sdk)
  return()
endif()

set(PULVAN_VST3_SDK_DIR /usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK
    CACHE PATH "Root of the VST3 SDK sources")
if(NOT EXISTS ${PULVAN_VST3_SDK_DIR}/pluginterfaces/base/funknown.h)
  message(FATAL_ERROR "VST3 SDK not found in ${PULVAN_VST3_SDK_DIR} (install juce-modules-source-data)")
endif()

set(_sdk ${PULVAN_VST3_SDK_DIR})
add_library(pulvan_vst3_sdk STATIC
  ${_sdk}/pluginterfaces/base/coreiids.cpp
  ${_sdk}/pluginterfaces/base/funknown.cpp
  ${_sdk}/pluginterfaces/base/ustring.cpp
  ${_sdk}/pluginterfaces/base/conststringtable.cpp
  ${_sdk}/base/source/baseiids.cpp
  ${_sdk}/base/source/fbuffer.cpp
  ${_sdk}/base/source/fdebug.cpp
  ${_sdk}/base/source/fobject.cpp
  ${_sdk}/base/source/fstreamer.cpp
  ${_sdk}/base/source/fstring.cpp
  ${_sdk}/base/source/updatehandler.cpp
  ${_sdk}/base/thread/source/flock.cpp
  ${_sdk}/public.sdk/source/vst/vstinitiids.cpp
  ${_sdk}/public.sdk/source/vst/vstbus.cpp
  ${_sdk}/public.sdk/source/vst/vstcomponent.cpp
  ${_sdk}/public.sdk/source/vst/vstcomponentbase.cpp
  ${_sdk}/public.sdk/source/vst/vsteditcontroller.cpp
  ${_sdk}/public.sdk/source/vst/vstparameters.cpp
  ${_sdk}/public.sdk/source/common/pluginview.cpp
  ${_sdk}/public.sdk/source/common/memorystream.cpp)
target_include_directories(pulvan_vst3_sdk SYSTEM PUBLIC ${_sdk})
target_compile_definitions(pulvan_vst3_sdk PUBLIC
  $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
# Third-party code: its warnings are not ours to fix.
target_compile_options(pulvan_vst3_sdk PRIVATE -w)
set_target_properties(pulvan_vst3_sdk PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_link_libraries(pulvan_vst3_sdk PUBLIC Threads::Threads)
