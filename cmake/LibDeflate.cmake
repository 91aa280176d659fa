# libdeflate's compressor, built from Debian's source package as a static library of this build's
# compiler. The sources are fetched into build/third_party on first configure and shared by all
# build folders; point KAVLOR_LIBDEFLATE_SOURCE_DIR at an unpacked tree to use another copy.
set(KAVLOR_LIBDEFLATE_SOURCE_DIR "" CACHE PATH "Unpacked libdeflate sources (fetched when empty)")
include(${CMAKE_CURRENT_LIST_DIR}/FetchSource.cmake)
kavlor_fetch_source(KAVLOR_LIBDEFLATE_SOURCE_DIR libdeflate libdeflate.h)

# Only what writes zlib streams and checksums: the decompressors and gzip are not needed.
set(deflateDir ${KAVLOR_LIBDEFLATE_SOURCE_DIR}/lib)
add_library(kavlor_libdeflate STATIC
    ${deflateDir}/adler32.c ${deflateDir}/crc32.c ${deflateDir}/deflate_compress.c ${deflateDir}/utils.c
    ${deflateDir}/zlib_compress.c ${deflateDir}/x86/cpu_features.c ${deflateDir}/arm/cpu_features.c)
target_include_directories(kavlor_libdeflate SYSTEM PUBLIC ${KAVLOR_LIBDEFLATE_SOURCE_DIR})
set_target_properties(kavlor_libdeflate PROPERTIES C_STANDARD 99 POSITION_INDEPENDENT_CODE ON)
if(NOT MSVC)
    # The sources may lie outside the project: keep their path out of the library too.
    target_compile_options(kavlor_libdeflate PRIVATE -ffile-prefix-map=${KAVLOR_LIBDEFLATE_SOURCE_DIR}/=libdeflate/)
endif()
