# Debian's hardening for every program and library built here: fortified C library calls,
# the stack protector, position-independent executables, and relocations made read-only and
# resolved at start (-z relro -z now). The flags come from dpkg-buildflags with every hardening
# feature on; where it is missing, the same list is written out. Only the hardening is taken:
# optimisation and debug information stay the build type's. Sanitizer and fuzz builds go
# without: fortification gets in the sanitizers' way.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT QUORVANE_SANITIZE AND NOT QUORVANE_FUZZ)
  find_program(QUORVANE_DPKG_BUILDFLAGS dpkg-buildflags)
  if(QUORVANE_DPKG_BUILDFLAGS)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
      execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                              ${QUORVANE_DPKG_BUILDFLAGS} --get ${kind}
                      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
      separate_arguments(hardening_${kind} UNIX_COMMAND "${flags}")
    endforeach()
  else()
    set(hardening_CPPFLAGS -D_FORTIFY_SOURCE=2)
    set(hardening_CXXFLAGS -fstack-protector-strong -Wformat -Werror=format-security)
    set(hardening_LDFLAGS -Wl,-z,relro -Wl,-z,now)
  endif()
  list(FILTER hardening_CPPFLAGS INCLUDE REGEX "^-D_FORTIFY_SOURCE")
  list(FILTER hardening_CXXFLAGS INCLUDE REGEX "^-f(stack-protector|stack-clash-protection|cf-protection)|^-Wformat|^-Werror=format-security")
  list(FILTER hardening_LDFLAGS INCLUDE REGEX "^-Wl,-z,")
  add_compile_options(${hardening_CXXFLAGS})
  # Fortified calls need optimisation: a Debug build would only be told so by a warning.
  foreach(flag ${hardening_CPPFLAGS})
    add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
  endforeach()
  add_link_options(${hardening_LDFLAGS})
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
  # Every flag applies (fortification needs an optimised build): the package test checks them.
  if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    set(QUORVANE_HARDENED ON)
  endif()
endif()
