# libjpeg-turbo, built from Debian's source package as a static library with its SIMD code
# (nasm), once per build folder, for whichever compiler this build uses. The sources are
# fetched into build/third_party on first configure and shared by all build folders; point
# KAVLOR_LIBJPEG_TURBO_SOURCE_DIR at an unpacked tree to use another copy.
include(ExternalProject)

set(KAVLOR_LIBJPEG_TURBO_SOURCE_DIR "" CACHE PATH "Unpacked libjpeg-turbo sources (fetched when empty)")
include(${CMAKE_CURRENT_LIST_DIR}/FetchSource.cmake)
kavlor_fetch_source(KAVLOR_LIBJPEG_TURBO_SOURCE_DIR libjpeg-turbo jpeglib.h)

set(jpegBinaryDir ${CMAKE_BINARY_DIR}/third_party/libjpeg-turbo)
if(MSVC)
    set(jpegLibrary ${jpegBinaryDir}/jpeg-static.lib)
else()
    set(jpegLibrary ${jpegBinaryDir}/libjpeg.a)
endif()
set(jpegCFlags "${CMAKE_C_FLAGS}")
if(NOT MSVC)
    # The sources may lie outside the project: keep their path out of the library too.
    string(APPEND jpegCFlags " -ffile-prefix-map=${KAVLOR_LIBJPEG_TURBO_SOURCE_DIR}/=libjpeg-turbo/")
endif()
set(jpegArgs
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
    "-DCMAKE_C_FLAGS=${jpegCFlags}"
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON
    -DCMAKE_INSTALL_PREFIX=${CMAKE_BINARY_DIR}/third_party/unused-install
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DREQUIRE_SIMD=ON)
if(CMAKE_TOOLCHAIN_FILE)
    list(APPEND jpegArgs -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
endif()
ExternalProject_Add(libjpeg_turbo_build
    SOURCE_DIR ${KAVLOR_LIBJPEG_TURBO_SOURCE_DIR}
    BINARY_DIR ${jpegBinaryDir}
    CMAKE_ARGS ${jpegArgs}
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
    BUILD_BYPRODUCTS ${jpegLibrary}
    INSTALL_COMMAND ""
    UPDATE_COMMAND "")

# jconfig.h is generated into the binary folder; the other public headers are in the sources.
file(MAKE_DIRECTORY ${jpegBinaryDir})
add_library(kavlor_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(kavlor_libjpeg PROPERTIES
    IMPORTED_LOCATION ${jpegLibrary}
    INTERFACE_INCLUDE_DIRECTORIES "${KAVLOR_LIBJPEG_TURBO_SOURCE_DIR};${jpegBinaryDir}")
add_dependencies(kavlor_libjpeg libjpeg_turbo_build)
