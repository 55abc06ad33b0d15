# Warnings for the project's own targets: quillmark_warnings(target [STRICT]).
# STRICT adds the conversion warnings, used by the header engine where every
# size comes from an untrusted file.
function(quillmark_warnings TARGET)
  target_compile_options(${TARGET} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough)
  if("STRICT" IN_LIST ARGN)
    target_compile_options(${TARGET} PRIVATE -Wconversion -Wsign-conversion
      -Wold-style-cast)
  endif()
  if(QUILLMARK_WERROR)
    target_compile_options(${TARGET} PRIVATE -Werror)
  endif()
endfunction()
