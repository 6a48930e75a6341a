# cmake -DMAP=<census map> -DSCRIPT=<census linker script> -DOUT=<script> -P prune-unwind-script.cmake
# cmake -DCHECK=<map of the link with that script> -DOUT=<script> -P prune-unwind-script.cmake
#
# Writes the census link's script with a /DISCARD/ rule, ahead of every other
# rule, for the unwind tables (.pdata<name>, .xdata<name>) of each code section
# (.text<name>) the census link discarded, named by the file it came from: a
# local function of one object may share its section name with a live one of
# another. The check fails the build when a code section the link kept has its
# table discarded: a function without one cannot be unwound through.

# A file as the map names it, as a pattern of the script: "*<file>" or, for an
# archive member, "*<archive>:<member>"; characters the script would read
# otherwise stand as "?".
function(file_pattern file out)
  if(file MATCHES "^(.*)\\(([^()]+)\\)$")
    get_filename_component(archive "${CMAKE_MATCH_1}" NAME)
    set(name "${archive}:${CMAKE_MATCH_2}")
  else()
    get_filename_component(name "${file}" NAME)
    # The program's own code comes out of whole-program optimisation in a
    # temporary object whose name changes from one link to the next.
    if(name MATCHES "\\.ltrans\\.o$")
      set(name "ltrans.o")
    endif()
  endif()
  string(REGEX REPLACE "[^A-Za-z0-9_.:-]" "?" name "${name}")
  set(${out} "*${name}" PARENT_SCOPE)
endfunction()

# Calls on_section(<name> <file>) for each code section of non-zero size the
# map lists between the line <from> and the line <to>.
macro(walk_code_sections map from to)
  file(STRINGS "${map}" lines)
  set(inside FALSE)
  set(pending "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "${from}")
      set(inside TRUE)
      continue()
    endif()
    if(NOT inside)
      continue()
    endif()
    if(line STREQUAL "${to}")
      break()
    endif()
    if(NOT pending STREQUAL "")
      # A long section name stands alone; its address, size and file follow.
      if(line MATCHES "^ +0x[0-9a-f]+ +(0x[0-9a-f]+) +(.+)$" AND NOT CMAKE_MATCH_1 STREQUAL "0x0")
        on_section("${pending}" "${CMAKE_MATCH_2}")
      endif()
      set(pending "")
    endif()
    if(line MATCHES "^ (\\.text([.$][^ ]*)?) +0x[0-9a-f]+ +(0x[0-9a-f]+) +(.+)$")
      if(NOT CMAKE_MATCH_3 STREQUAL "0x0")
        on_section("${CMAKE_MATCH_1}" "${CMAKE_MATCH_4}")
      endif()
    elseif(line MATCHES "^ (\\.text([.$][^ ]*)?)$")
      set(pending "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endmacro()

# The rule that discards the tables of one code section.
function(table_rule section file out)
  string(SUBSTRING "${section}" 5 -1 suffix)
  file_pattern("${file}" pattern)
  set(${out} "    ${pattern}(.pdata${suffix} .xdata${suffix})\n" PARENT_SCOPE)
endfunction()

if(DEFINED CHECK)
  file(READ "${OUT}" script)
  set(wrong "")
  macro(on_section section file)
    table_rule("${section}" "${file}" rule)
    string(FIND "${script}" "${rule}" at)
    if(NOT at EQUAL -1)
      string(APPEND wrong "  ${section} of ${file}\n")
    endif()
  endmacro()
  walk_code_sections("${CHECK}" "Linker script and memory map" "(end of map)")
  if(NOT wrong STREQUAL "")
    message(FATAL_ERROR "kept code whose unwind tables ${OUT} discards:\n${wrong}")
  endif()
  return()
endif()

set(rules "")
set(count 0)
macro(on_section section file)
  table_rule("${section}" "${file}" rule)
  string(APPEND rules "${rule}")
  math(EXPR count "${count} + 1")
endmacro()
walk_code_sections("${MAP}" "Discarded input sections" "Memory Configuration")

if(count EQUAL 0)
  message(FATAL_ERROR "${MAP} lists no discarded code: its format is not what this script reads")
endif()

file(READ "${SCRIPT}" script)
string(FIND "${script}" "SECTIONS\n{\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} has no SECTIONS block")
endif()
math(EXPR at "${at} + 11")
string(SUBSTRING "${script}" 0 ${at} head)
string(SUBSTRING "${script}" ${at} -1 tail)
file(WRITE "${OUT}" "${head}  /* The unwind tables of ${count} code sections nothing calls. */\n  /DISCARD/ :\n  {\n${rules}  }\n${tail}")
