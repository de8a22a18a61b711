# tslc_add_resource(<target> <resource name> <file>)
# Embeds the bytes of <file> in <target> as a raw-data resource that LoadResourceData finds by
# name: two exported symbols, tslc_rsrc_<id>_data and tslc_rsrc_<id>_size, <id> being the name
# made a C identifier. An executable target must be built with ENABLE_EXPORTS so that dlsym sees
# them.
function(tslc_add_resource target name file)
  get_filename_component(file "${file}" ABSOLUTE)
  string(MAKE_C_IDENTIFIER "${name}" id)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/tslc_rsrc_${id}.cpp")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" hexlen)
  math(EXPR size "${hexlen} / 2")
  if(size EQUAL 0)
    set(bytes "0")
  else()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  endif()
  file(CONFIGURE OUTPUT "${out}" CONTENT
"// Generated from ${file}; do not edit.
#include <cstddef>
extern \"C\" {
__attribute__((visibility(\"default\"), used)) extern const unsigned char tslc_rsrc_${id}_data[] = {${bytes}};
__attribute__((visibility(\"default\"), used)) extern const std::size_t tslc_rsrc_${id}_size = ${size};
}
" @ONLY)
  target_sources(${target} PRIVATE "${out}")
endfunction()
