# zlib for the Windows builds, compiled from Debian's own source (fetched by
# scripts/install-deps.sh into build/deps/zlib) for size: only the files the
# store's calls reach, no gzip wrapper (the store writes and reads the zlib
# format only), and the CRC tables computed at first use instead of stored in
# the program. The compressed bytes do not depend on any of this.
set(PEL_ZLIB_SOURCE "${CMAKE_SOURCE_DIR}/build/deps/zlib" CACHE PATH "Debian's zlib source")
if(NOT EXISTS "${PEL_ZLIB_SOURCE}/deflate.c")
  message(FATAL_ERROR "Debian's zlib source is not in ${PEL_ZLIB_SOURCE}: run scripts/install-deps.sh")
endif()
# The store compresses at one level (the default, 6) with the default
# strategy, which is deflate's lazy matcher. The other compressors (stored
# blocks for level 0, the fast matcher for 1 to 3, Huffman only, run
# lengths) are never reached, yet the level table keeps them in the program.
# deflate.c is compiled from a copy that keeps the lazy matcher alone and
# refuses the levels and strategies that needed the others, so that a later
# caller asking for them gets Z_STREAM_ERROR, never other bytes.
set(pel_deflate_c "${CMAKE_BINARY_DIR}/zlib-for-store/deflate.c")
file(READ "${PEL_ZLIB_SOURCE}/deflate.c" pel_deflate)
function(pel_patch_deflate from to)
  string(FIND "${pel_deflate}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "zlib's deflate.c no longer reads as expected: ${from}")
  endif()
  string(REPLACE "${from}" "${to}" patched "${pel_deflate}")
  set(pel_deflate "${patched}" PARENT_SCOPE)
endfunction()
pel_patch_deflate("        bstate = s->level == 0 ? deflate_stored(s, flush) :
                 s->strategy == Z_HUFFMAN_ONLY ? deflate_huff(s, flush) :
                 s->strategy == Z_RLE ? deflate_rle(s, flush) :
                 (*(configuration_table[s->level].func))(s, flush);"
  "        bstate = deflate_slow(s, flush);")
pel_patch_deflate("deflate_stored}" "deflate_slow}")
pel_patch_deflate("deflate_fast}" "deflate_slow}")
pel_patch_deflate("strategy < 0 || strategy > Z_FIXED || (windowBits == 8 && wrap != 1)) {"
  "strategy < 0 || strategy > Z_FIXED || (windowBits == 8 && wrap != 1) ||
        level < 4 || strategy == Z_HUFFMAN_ONLY || strategy == Z_RLE) {")
pel_patch_deflate("if (level < 0 || level > 9 || strategy < 0 || strategy > Z_FIXED) {"
  "if (level < 4 || level > 9 || strategy < 0 || strategy > Z_FIXED ||
        strategy == Z_HUFFMAN_ONLY || strategy == Z_RLE) {")
# Written only when it changes, so that a new configure rebuilds nothing.
file(WRITE "${pel_deflate_c}.new" "${pel_deflate}")
configure_file("${pel_deflate_c}.new" "${pel_deflate_c}" COPYONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PEL_ZLIB_SOURCE}/deflate.c")

add_library(pel_zlib STATIC
  ${PEL_ZLIB_SOURCE}/adler32.c ${PEL_ZLIB_SOURCE}/crc32.c ${pel_deflate_c}
  ${PEL_ZLIB_SOURCE}/inflate.c ${PEL_ZLIB_SOURCE}/inffast.c ${PEL_ZLIB_SOURCE}/inftrees.c
  ${PEL_ZLIB_SOURCE}/trees.c ${PEL_ZLIB_SOURCE}/zutil.c)
target_include_directories(pel_zlib SYSTEM PUBLIC ${PEL_ZLIB_SOURCE})
target_compile_definitions(pel_zlib PRIVATE NO_GZIP DYNAMIC_CRC_TABLE)
# The shipped program has one thread, so inflate may build its fixed Huffman
# tables at first use rather than carry them; the test builds, which have
# threads, keep the stored tables. The bytes inflated are the same.
if(PEL_SMALL_EXE)
  target_compile_definitions(pel_zlib PRIVATE BUILDFIXED)
endif()
# Someone else's code: its warnings are not ours to mend. zlib calls nothing
# that throws (the store leaves its allocator to malloc), so no exception ever
# unwinds through it and its functions need no unwind tables.
target_compile_options(pel_zlib PRIVATE -Os -w -fno-asynchronous-unwind-tables)
add_library(ZLIB::ZLIB ALIAS pel_zlib)
