# zlib for the Windows builds, compiled from Debian's own source (fetched by
# scripts/install-deps.sh into build/deps/zlib) for size: only the files the
# store's calls reach, no gzip wrapper (the store writes and reads the zlib
# format only), and the CRC tables computed at first use instead of stored in
# the program. The compressed bytes do not depend on any of this.
set(PEL_ZLIB_SOURCE "${CMAKE_SOURCE_DIR}/build/deps/zlib" CACHE PATH "Debian's zlib source")
if(NOT EXISTS "${PEL_ZLIB_SOURCE}/deflate.c")
  message(FATAL_ERROR "Debian's zlib source is not in ${PEL_ZLIB_SOURCE}: run scripts/install-deps.sh")
endif()
add_library(pel_zlib STATIC
  ${PEL_ZLIB_SOURCE}/adler32.c ${PEL_ZLIB_SOURCE}/crc32.c ${PEL_ZLIB_SOURCE}/deflate.c
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
