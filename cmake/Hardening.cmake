# Debian's hardening flags, as dpkg-buildflags gives them with every
# feature on: fortify, stack protector and clash protection, format checks,
# relro and immediate binding. Optimisation and debug information stay the
# build type's; Debug builds (sanitizers, -O0, with which fortify cannot
# work) and fuzzing builds take none. Paths of the source tree are written
# relative to it, so that builds in different folders give the same bytes.
set(QUILLMARK_HARDEN_DEFAULT ON)
if(QUILLMARK_SANITIZE OR QUILLMARK_FUZZ)
  set(QUILLMARK_HARDEN_DEFAULT OFF)
endif()
option(QUILLMARK_HARDEN "Build with Debian's hardening flags (never in Debug builds)" ${QUILLMARK_HARDEN_DEFAULT})

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(QUILLMARK_HARDEN AND DPKG_BUILDFLAGS)
  set(NotDebug "$<NOT:$<CONFIG:Debug>>")
  foreach(KIND CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${DPKG_BUILDFLAGS} --get ${KIND}
      OUTPUT_VARIABLE Flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(Flags UNIX_COMMAND "${Flags}")
    list(FILTER Flags EXCLUDE REGEX "^(-g|-O[0-9sg]?|-ffile-prefix-map=.*)$")
    foreach(Flag ${Flags})
      if(KIND STREQUAL "LDFLAGS")
        add_link_options("$<${NotDebug}:${Flag}>")
      else()
        add_compile_options("$<$<AND:$<COMPILE_LANGUAGE:CXX>,${NotDebug}>:${Flag}>")
      endif()
    endforeach()
  endforeach()
elseif(QUILLMARK_HARDEN)
  message(WARNING "dpkg-buildflags not found: building without Debian's hardening flags")
endif()
add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=" "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=")
