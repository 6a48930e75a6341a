# Unused functions out of the exe, with the unwind tables that name them.
#
# The linker's default script for this target KEEPs every .pdata section (the
# function tables of 64-bit Windows), and each of those refers to its function,
# so --gc-sections keeps every function of every object it pulls in. Without
# that KEEP the linker does collect the functions nothing calls, but it still
# keeps every .pdata, which then names code that is gone. So the program is
# linked twice, with one script:
#   1. a census link (<target>_census): the default script without the KEEP of
#      .pdata; its map lists the code sections it discarded;
#   2. the real link: the same script and a /DISCARD/ rule for exactly those
#      sections' tables (.pdata, .xdata; cmake/prune-unwind-script.cmake).
# Both links start from the same roots, so they keep the same code. A check on
# the real link's map fails the build if a code section it kept has its table
# discarded, and a test reads the shipped exe's table (app/unwind_table_test.py).
# Last, the entries of leaf functions, which need none, leave the table
# (cmake/drop-leaf-function-entries.py).

# The linker's own default script, as it prints it.
function(pel_default_linker_script out)
  execute_process(COMMAND ${CMAKE_LINKER} --verbose OUTPUT_VARIABLE verbose RESULT_VARIABLE rc)
  string(FIND "${verbose}" "==================================================" first)
  string(FIND "${verbose}" "==================================================" last REVERSE)
  if(NOT rc EQUAL 0 OR first EQUAL -1 OR last EQUAL first)
    message(FATAL_ERROR "${CMAKE_LINKER} --verbose printed no default linker script")
  endif()
  math(EXPR start "${first} + 50")
  math(EXPR length "${last} - ${start}")
  string(SUBSTRING "${verbose}" ${start} ${length} script)
  set(${out} "${script}" PARENT_SCOPE)
endfunction()

# Where the output section <name> ("  .<name> BLOCK(...) :\n  {\n...\n  }\n")
# stands in script: its first character, its first rule's, and the line
# break before its closing brace.
function(pel_output_section_span script name at_var body_var end_var)
  set(head "  .${name} BLOCK(__section_alignment__) :\n  {\n")
  string(FIND "${script}" "${head}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the default linker script has no output section .${name}")
  endif()
  string(LENGTH "${head}" head_length)
  math(EXPR body "${at} + ${head_length}")
  string(SUBSTRING "${script}" ${body} -1 rest)
  string(FIND "${rest}" "\n  }\n" end)
  math(EXPR end "${body} + ${end}")
  set(${at_var} ${at} PARENT_SCOPE)
  set(${body_var} ${body} PARENT_SCOPE)
  set(${end_var} ${end} PARENT_SCOPE)
endfunction()

# Cuts the output section <name> out of script; body gets its rules.
function(pel_cut_output_section script_var name body_var)
  set(script "${${script_var}}")
  pel_output_section_span("${script}" ${name} at body end)
  math(EXPR length "${end} - ${body}")
  string(SUBSTRING "${script}" ${body} ${length} rules)
  math(EXPR after "${end} + 5")
  string(SUBSTRING "${script}" 0 ${at} front)
  string(SUBSTRING "${script}" ${after} -1 tail)
  set(${script_var} "${front}${tail}" PARENT_SCOPE)
  set(${body_var} "${rules}" PARENT_SCOPE)
endfunction()

# Puts rules at the end of the output section <name>.
function(pel_append_to_output_section script_var name rules)
  set(script "${${script_var}}")
  pel_output_section_span("${script}" ${name} at body end)
  string(SUBSTRING "${script}" 0 ${end} front)
  string(SUBSTRING "${script}" ${end} -1 tail)
  set(${script_var} "${front}\n${rules}${tail}" PARENT_SCOPE)
endfunction()

function(pel_prune_unwind_tables target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR})
  pel_default_linker_script(script)
  string(REGEX REPLACE "KEEP *\\(\\*\\((\\.pdata)\\*\\)\\)" "*(\\1*)" census_script "${script}")
  if(census_script STREQUAL script)
    message(FATAL_ERROR "the default linker script of ${CMAKE_LINKER} no longer KEEPs .pdata")
  endif()
  # Each output section takes at least one 512-byte block of the file. The
  # run-time initialiser tables (.CRT, a few pointers) go to the end of .data,
  # the unwind data (.xdata, found through .pdata's addresses) to the end of
  # .rdata; .pdata stays a section of its own, which the exception directory
  # names.
  pel_cut_output_section(census_script CRT crt_rules)
  pel_append_to_output_section(census_script data "    KEEP (*(SORT(.CRT$XD*)))\n${crt_rules}")
  # The unwind data comes before the pseudo-relocation list, whose symbols
  # after .rdata take that list to end where the section ends.
  pel_cut_output_section(census_script xdata xdata_rules)
  set(psrelocs "    . = ALIGN(4);\n    __rt_psrelocs_start = .;\n")
  string(FIND "${census_script}" "${psrelocs}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the default linker script's .rdata no longer ends with the pseudo-relocation list")
  endif()
  string(REPLACE "${psrelocs}" "    . = ALIGN(4);\n${xdata_rules}\n${psrelocs}" census_script "${census_script}")
  file(WRITE ${dir}/${target}-census.x "${census_script}")

  get_target_property(sources ${target} SOURCES)
  get_target_property(libs ${target} LINK_LIBRARIES)
  get_target_property(includes ${target} INCLUDE_DIRECTORIES)
  add_executable(${target}_census WIN32 EXCLUDE_FROM_ALL ${sources})
  target_include_directories(${target}_census PRIVATE ${includes})
  target_link_libraries(${target}_census PRIVATE ${libs})
  target_link_options(${target}_census PRIVATE -Wl,-T,${dir}/${target}-census.x
    -Wl,-Map=${dir}/${target}-census.map)
  set_property(TARGET ${target}_census APPEND PROPERTY LINK_DEPENDS ${dir}/${target}-census.x)

  add_custom_command(OUTPUT ${dir}/${target}-pruned.x
    COMMAND ${CMAKE_COMMAND} -DMAP=${dir}/${target}-census.map -DSCRIPT=${dir}/${target}-census.x
            -DOUT=${dir}/${target}-pruned.x -P ${CMAKE_SOURCE_DIR}/cmake/prune-unwind-script.cmake
    DEPENDS ${target}_census ${dir}/${target}-census.x ${CMAKE_SOURCE_DIR}/cmake/prune-unwind-script.cmake
    COMMENT "Listing the unwind tables of functions nothing calls"
    VERBATIM)
  add_custom_target(${target}_pruned_script DEPENDS ${dir}/${target}-pruned.x)
  add_dependencies(${target} ${target}_pruned_script)
  target_link_options(${target} PRIVATE -Wl,-T,${dir}/${target}-pruned.x)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${dir}/${target}-pruned.x)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DCHECK=${dir}/${target}.map -DOUT=${dir}/${target}-pruned.x
            -P ${CMAKE_SOURCE_DIR}/cmake/prune-unwind-script.cmake
    COMMAND python3 ${CMAKE_SOURCE_DIR}/cmake/drop-leaf-function-entries.py $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
