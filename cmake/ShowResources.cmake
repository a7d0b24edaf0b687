# The show's default resource set, built from content/ and the generators under tools/.
#
# Everything lands in <build>/show/resources/{shaders,graphics,objects,sound,tracks}/
# and is packed into <build>/show/resources.7z by the target show_resources.
#
# A generator declares what it writes with
#   pulsvek_show_resource(OUTPUTS <paths below resources/> COMMAND <command...>
#                         [DEPENDS <absolute paths or targets>] [DEPFILE <absolute path>])
# A command with a DEPFILE writes there, as a make rule, the further files it read.
# The command runs in <build>/show/resources. All commands are created in the top
# directory by pulsvek_show_build(), so that one target sees every output.

set(PULSVEK_SHOW_DIR ${PROJECT_BINARY_DIR}/show)
set(PULSVEK_SHOW_RESOURCES ${PULSVEK_SHOW_DIR}/resources)
foreach(folder shaders graphics objects sound tracks)
  file(MAKE_DIRECTORY ${PULSVEK_SHOW_RESOURCES}/${folder})
endforeach()

# Debian's interpreter, which has python3-pil and python3-numpy.
find_program(PULSVEK_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
find_program(PULSVEK_7Z 7z REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/GeneratorChecks.cmake)
set(PULSVEK_FONT_DIR /usr/share/fonts CACHE PATH "Where the generators find their fonts")
pulsvek_check_generators(${PULSVEK_PYTHON} ${PULSVEK_FONT_DIR})

function(pulsvek_show_resource)
  cmake_parse_arguments(PARSE_ARGV 0 R "" "DEPFILE" "OUTPUTS;COMMAND;DEPENDS")
  # (A variable called "n" would not do: if() takes N as the false constant.)
  get_property(count GLOBAL PROPERTY PULSVEK_SHOW_COUNT)
  if(NOT count)
    set(count 0)
  endif()
  math(EXPR count "${count} + 1")
  set_property(GLOBAL PROPERTY PULSVEK_SHOW_COUNT ${count})
  set_property(GLOBAL PROPERTY PULSVEK_SHOW_OUT_${count} ${R_OUTPUTS})
  set_property(GLOBAL PROPERTY PULSVEK_SHOW_CMD_${count} ${R_COMMAND})
  set_property(GLOBAL PROPERTY PULSVEK_SHOW_DEP_${count} ${R_DEPENDS})
  set_property(GLOBAL PROPERTY PULSVEK_SHOW_DEPFILE_${count} ${R_DEPFILE})
endfunction()

# A Python generator: tools/<folder>/<script>.py --out <resources folder> [args].
function(pulsvek_show_python script)
  cmake_parse_arguments(PARSE_ARGV 1 P "" "" "OUTPUTS;ARGS;DEPENDS")
  pulsvek_show_resource(OUTPUTS ${P_OUTPUTS}
    COMMAND ${PULSVEK_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/${script} --out ${PULSVEK_SHOW_RESOURCES} ${P_ARGS}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${script} ${P_DEPENDS})
endfunction()

function(pulsvek_show_build)
  set(all_files)
  # Shaders ship as they stand in content/shaders.
  file(GLOB shader_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/content/shaders/*)
  foreach(src ${shader_sources})
    get_filename_component(name ${src} NAME)
    if(name MATCHES "\\.(vert|frag|geo|glsl)$")
      add_custom_command(OUTPUT ${PULSVEK_SHOW_RESOURCES}/shaders/${name}
        COMMAND ${CMAKE_COMMAND} -E copy ${src} ${PULSVEK_SHOW_RESOURCES}/shaders/${name}
        DEPENDS ${src} VERBATIM)
      list(APPEND all_files shaders/${name})
    endif()
  endforeach()

  get_property(count GLOBAL PROPERTY PULSVEK_SHOW_COUNT)
  if(count)
    foreach(i RANGE 1 ${count})
      get_property(outs GLOBAL PROPERTY PULSVEK_SHOW_OUT_${i})
      get_property(cmd GLOBAL PROPERTY PULSVEK_SHOW_CMD_${i})
      get_property(deps GLOBAL PROPERTY PULSVEK_SHOW_DEP_${i})
      get_property(depfile GLOBAL PROPERTY PULSVEK_SHOW_DEPFILE_${i})
      set(depfile_args)
      if(depfile)
        set(depfile_args DEPFILE ${depfile})
      endif()
      set(abs)
      foreach(o ${outs})
        list(APPEND abs ${PULSVEK_SHOW_RESOURCES}/${o})
      endforeach()
      add_custom_command(OUTPUT ${abs} COMMAND ${cmd} DEPENDS ${deps} ${depfile_args}
        WORKING_DIRECTORY ${PULSVEK_SHOW_RESOURCES} VERBATIM)
      list(APPEND all_files ${outs})
    endforeach()
  endif()

  if(NOT all_files)
    return()
  endif()
  set(members)
  set(abs_files)
  foreach(f ${all_files})
    list(APPEND members resources/${f})
    list(APPEND abs_files ${PULSVEK_SHOW_RESOURCES}/${f})
  endforeach()
  # Packed with the archiver options of the development packing script.
  add_custom_command(OUTPUT ${PULSVEK_SHOW_DIR}/resources.7z
    COMMAND ${CMAKE_COMMAND} -E rm -f resources.7z
    COMMAND ${PULSVEK_7Z} a -ms=off -mx=9 -bd -bso0 -bsp0 resources.7z ${members}
    DEPENDS ${abs_files}
    WORKING_DIRECTORY ${PULSVEK_SHOW_DIR} VERBATIM)
  add_custom_target(show_resources ALL DEPENDS ${PULSVEK_SHOW_DIR}/resources.7z)
  # The list of files, for the completeness tests.
  string(REPLACE ";" "\n" listing "${all_files}")
  file(WRITE ${PULSVEK_SHOW_DIR}/resources.list "${listing}\n")
endfunction()
