# Installs Pulvan.vst3 where Linux VST3 hosts look. Runs at install time, so the
# prefix given to `cmake --install --prefix` decides: under the home folder (a
# user install) the bundle goes to ~/.vst3, otherwise to <prefix>/lib/vst3.
# PULVAN_VST3_INSTALL_DIR, when set, names the folder outright.
# Expects PULVAN_VST3_BUNDLE_DIR and PULVAN_VST3_INSTALL_DIR.
set(_vst3_dir "${PULVAN_VST3_INSTALL_DIR}")
if(_vst3_dir AND NOT IS_ABSOLUTE "${_vst3_dir}")
  set(_vst3_dir "${CMAKE_INSTALL_PREFIX}/${_vst3_dir}")
elseif(NOT _vst3_dir)
  set(_vst3_dir "${CMAKE_INSTALL_PREFIX}/lib/vst3")
  if(DEFINED ENV{HOME} AND NOT "$ENV{HOME}" STREQUAL "/")
    string(FIND "${CMAKE_INSTALL_PREFIX}/" "$ENV{HOME}/" _at)
    if(_at EQUAL 0)
      set(_vst3_dir "$ENV{HOME}/.vst3")
    endif()
  endif()
endif()
file(INSTALL "${PULVAN_VST3_BUNDLE_DIR}" DESTINATION "${_vst3_dir}" USE_SOURCE_PERMISSIONS)
