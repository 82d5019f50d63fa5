# pulvan_portable_binary(<target>): what the bundle and the application need to
# load on any x86_64 desktop with glibc 2.34 or newer. The C++ runtime goes in
# statically (the bundle's version script keeps it private to the bundle); the
# GCC unwinder stays the system's libgcc_s.so.1, which every glibc system has,
# because the static one calls a glibc 2.35 function to find unwind tables.
# Sanitizer builds keep the shared runtime, which the sanitizers' own libraries expect.
function(pulvan_portable_binary target)
  if(NOT PULVAN_SANITIZE)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/portable/glibc_2_34.c)
    target_link_options(${target} PRIVATE -static-libstdc++)
  endif()
endfunction()
