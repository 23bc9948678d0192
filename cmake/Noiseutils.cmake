# libnoise's companion utilities ship only as gzipped source inside libnoise-dev.
# Unpack and build them here; they never enter the repository.
# A cross build takes them, and libnoise's headers, from its sysroot.
set(NOISEUTILS_DOC_DIR ${CMAKE_SYSROOT}/usr/share/doc/libnoise-dev/noiseutils)
set(NOISEUTILS_SRC_DIR ${CMAKE_BINARY_DIR}/noiseutils)

if(NOT EXISTS ${NOISEUTILS_DOC_DIR}/noiseutils.cpp.gz OR NOT EXISTS ${NOISEUTILS_DOC_DIR}/noiseutils.h.gz)
    message(FATAL_ERROR
        "noiseutils source not found in ${NOISEUTILS_DOC_DIR}: install the Debian package libnoise-dev")
endif()
if(WIN32)
    # libnoise's own build (cross-built by tools/build-windows.sh) installs noise/ and puts the
    # DLL's import library beside the DLL.
    find_path(NOISE_INCLUDE_DIR noise/noise.h)
    find_library(NOISE_LIBRARY noise PATH_SUFFIXES bin)
    if(NOT NOISE_INCLUDE_DIR OR NOT NOISE_LIBRARY)
        message(FATAL_ERROR "cross-built libnoise not found in ${KELMORA_WINDOWS_PREFIX}: run tools/build-windows.sh")
    endif()
else()
    if(NOT EXISTS ${CMAKE_SYSROOT}/usr/include/libnoise/noise.h)
        message(FATAL_ERROR "libnoise headers not found in ${CMAKE_SYSROOT}/usr/include/libnoise: install the Debian package libnoise-dev")
    endif()
    find_library(NOISE_LIBRARY noise)
    if(NOT NOISE_LIBRARY)
        message(FATAL_ERROR "libnoise not found: install the Debian package libnoise-dev")
    endif()

    # The code includes <noise/...>; Debian installs libnoise's headers as libnoise/.
    set(NOISE_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include)
    file(MAKE_DIRECTORY ${NOISE_INCLUDE_DIR})
    if(NOT EXISTS ${NOISE_INCLUDE_DIR}/noise)
        file(CREATE_LINK ${CMAKE_SYSROOT}/usr/include/libnoise ${NOISE_INCLUDE_DIR}/noise SYMBOLIC)
    endif()
endif()

file(MAKE_DIRECTORY ${NOISEUTILS_SRC_DIR})
foreach(name noiseutils.h noiseutils.cpp)
    execute_process(
        COMMAND gzip -dc ${NOISEUTILS_DOC_DIR}/${name}.gz
        OUTPUT_FILE ${NOISEUTILS_SRC_DIR}/${name}.new
        RESULT_VARIABLE unpack_result)
    if(NOT unpack_result EQUAL 0)
        message(FATAL_ERROR "could not unpack ${NOISEUTILS_DOC_DIR}/${name}.gz: reinstall the Debian package libnoise-dev")
    endif()
    # Replaced only when changed: a new time stamp would rebuild everything at each configure.
    execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different
        ${NOISEUTILS_SRC_DIR}/${name}.new ${NOISEUTILS_SRC_DIR}/${name})
    file(REMOVE ${NOISEUTILS_SRC_DIR}/${name}.new)
endforeach()

add_library(noiseutils STATIC ${NOISEUTILS_SRC_DIR}/noiseutils.cpp ${NOISEUTILS_SRC_DIR}/noiseutils.h)
target_include_directories(noiseutils SYSTEM PUBLIC ${NOISE_INCLUDE_DIR} ${NOISEUTILS_SRC_DIR})
target_compile_options(noiseutils PRIVATE -w)
target_link_libraries(noiseutils PUBLIC ${NOISE_LIBRARY})
