include(CheckCXXSourceCompiles)

# Scripts start quillmark-tag once per file, so its start-up counts. Linked
# as one static position-independent executable it needs no loader and no
# shared-library relocations, and keeps address randomisation; only the
# parts of libjpeg and libcrypto it calls are in it.
#
# A target with the property QUILLMARK_STATIC_LINK set gets the static
# archives through quillmark_link_jpeg / quillmark_link_crypto, every other
# target the shared libraries. Without the archives or -static-pie (and
# under the sanitizers) the tool links the C++ runtime alone statically.
find_library(QUILLMARK_STATIC_JPEG NAMES libjpeg.a)
find_library(QUILLMARK_STATIC_CRYPTO NAMES libcrypto.a)
set(CMAKE_REQUIRED_LINK_OPTIONS -static-pie)
check_cxx_source_compiles("int main() { return 0; }" QUILLMARK_HAVE_STATIC_PIE)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(QUILLMARK_STATIC_JPEG AND QUILLMARK_STATIC_CRYPTO AND QUILLMARK_HAVE_STATIC_PIE
   AND NOT QUILLMARK_SANITIZE)
  set(QUILLMARK_CAN_LINK_STATICALLY ON)
else()
  set(QUILLMARK_CAN_LINK_STATICALLY OFF)
endif()

# The library a consumer links: the archive for a static target.
function(quillmark_static_choice Out Archive Shared)
  if(QUILLMARK_CAN_LINK_STATICALLY)
    set(${Out} "$<IF:$<BOOL:$<TARGET_PROPERTY:QUILLMARK_STATIC_LINK>>,${Archive},${Shared}>" PARENT_SCOPE)
  else()
    set(${Out} "${Shared}" PARENT_SCOPE)
  endif()
endfunction()

# WITH_SHARED: the tool also links libraries that exist only shared for it
# (FFmpeg's archives would pull in every codec's own library), so only the
# C++ runtime goes in statically.
function(quillmark_link_tool_statically Target)
  cmake_parse_arguments(ARG "WITH_SHARED" "" "" ${ARGN})
  if(QUILLMARK_CAN_LINK_STATICALLY AND NOT ARG_WITH_SHARED)
    set_target_properties(${Target} PROPERTIES QUILLMARK_STATIC_LINK ON)
    target_link_options(${Target} PRIVATE -static-pie)
  elseif(NOT QUILLMARK_SANITIZE)
    target_link_options(${Target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed)
  endif()
endfunction()
