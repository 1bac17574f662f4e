# velmora_pack_amf(OUTPUT file.amf PICTURES a.png b.png ... [DELAY ms]): packs the pictures, in
# order, into an AMF file at build time with amftool (the imported target Velmora::amftool, of
# the velmora-tools package). OUTPUT is relative to the current build folder, the pictures to
# the current source folder; a target that depends on OUTPUT is rebuilt when a picture changes.
function(velmora_pack_amf)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "OUTPUT;DELAY" "PICTURES")
  if(NOT arg_OUTPUT OR NOT arg_PICTURES)
    message(FATAL_ERROR "velmora_pack_amf: needs OUTPUT file.amf and PICTURES a.png ...")
  endif()
  if(NOT TARGET Velmora::amftool)
    message(FATAL_ERROR "velmora_pack_amf: Velmora::amftool is missing (install the velmora-tools package)")
  endif()
  set(tool Velmora::amftool)
  get_target_property(aliased Velmora::amftool ALIASED_TARGET)
  if(aliased)
    set(tool ${aliased})
  endif()
  get_filename_component(output ${arg_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  get_filename_component(folder ${output} DIRECTORY)
  set(pictures)
  foreach(picture IN LISTS arg_PICTURES)
    get_filename_component(picture ${picture} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND pictures ${picture})
  endforeach()
  set(delay)
  if(DEFINED arg_DELAY)
    set(delay --delay ${arg_DELAY})
  endif()
  # amftool may be a sanitizer build, whose leak check fails on what the graphics drivers keep.
  add_custom_command(OUTPUT ${output} COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:${tool}> pack ${delay}
                             ${output} ${pictures}
                     DEPENDS ${tool} ${pictures} COMMENT "Packing ${arg_OUTPUT}" VERBATIM)
endfunction()
