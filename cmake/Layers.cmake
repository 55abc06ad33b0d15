# Keeps the layers apart. Every library of src/ names the folders its sources
# may include from; the build stops when a source includes a header of any
# other folder of ours (a layer above it, or a sibling it must not know).
# Only quoted includes with a folder are ours: system and Qt headers use <>.
# These calls are the one definition of the layers: each is also recorded for
# the check that STYLE.md's layer table and README's layout tell the same.

set(QUILLMARK_LAYER_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckLayer.cmake)

# quillmark_layer(Target FOLDER f ALLOW a b ...): the sources of Target in
# folder f (relative to src/) may include from f and the folders allowed.
function(quillmark_layer Target)
  cmake_parse_arguments(ARG "" "FOLDER" "ALLOW" ${ARGN})
  get_target_property(Sources ${Target} SOURCES)
  get_target_property(SourceDir ${Target} SOURCE_DIR)
  set(Checked)
  foreach(Source ${Sources})
    if(NOT IS_ABSOLUTE ${Source})
      set(Source ${SourceDir}/${Source})
    endif()
    get_filename_component(Dir ${Source} DIRECTORY)
    file(RELATIVE_PATH Rel ${PROJECT_SOURCE_DIR}/src ${Dir})
    if(Rel STREQUAL ARG_FOLDER AND Source MATCHES "\\.(cpp|h)$")
      list(APPEND Checked ${Source})
    endif()
  endforeach()
  string(REPLACE ";" "," AllowText "${ARG_ALLOW}")
  set_property(GLOBAL APPEND PROPERTY QUILLMARK_LAYERS "${ARG_FOLDER}|${Target}|${AllowText}")
  string(REPLACE "/" "_" Tag ${ARG_FOLDER})
  set(Stamp ${CMAKE_CURRENT_BINARY_DIR}/${Target}_${Tag}.layer)
  add_custom_command(OUTPUT ${Stamp}
    COMMAND ${CMAKE_COMMAND} "-DFOLDER=${ARG_FOLDER}" "-DALLOW=${ARG_ALLOW}"
      "-DSOURCES=${Checked}" "-DSTAMP=${Stamp}" -P ${QUILLMARK_LAYER_SCRIPT}
    DEPENDS ${Checked} ${QUILLMARK_LAYER_SCRIPT}
    COMMENT "Checking the includes of src/${ARG_FOLDER}" VERBATIM)
  add_custom_target(${Target}_${Tag}_layer DEPENDS ${Stamp})
  add_dependencies(${Target} ${Target}_${Tag}_layer)
endfunction()

# A test that compares STYLE.md's layer table and README's layout with the
# layers recorded above; call it once every layer is defined.
function(quillmark_layer_docs_test)
  get_property(Layers GLOBAL PROPERTY QUILLMARK_LAYERS)
  set(LayersFile ${PROJECT_BINARY_DIR}/layers.cmake)
  file(WRITE ${LayersFile} "set(LAYERS \"${Layers}\")\n")
  add_test(NAME docs.layers COMMAND ${CMAKE_COMMAND} -DLAYERS_FILE=${LayersFile}
    -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckLayerDocs.cmake)
  set_tests_properties(docs.layers PROPERTIES TIMEOUT 30)
endfunction()
