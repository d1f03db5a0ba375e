# Builds the MSI of one bitness from an unpacked package folder (bin/fingerbridge.exe,
# frontend/, README.txt), the frontend's components listed by wixl-heat:
#   cmake -DWIXL=<wixl> -DWIXL_HEAT=<wixl-heat> -DPACKAGE=<folder> -DARCH=x64|x86
#         -DVERSION=<x.y.z> -DOUTPUT=<file.msi> -P build_msi.cmake
cmake_minimum_required(VERSION 3.20)
if(NOT VERSION MATCHES "^([0-9]+\\.[0-9]+\\.)([0-9]+)$")
  message(FATAL_ERROR "VERSION ${VERSION} is not major.minor.patch")
endif()
math(EXPR next_patch "${CMAKE_MATCH_2} + 1")
set(next_version "${CMAKE_MATCH_1}${next_patch}")  # the .wxs replaces every version below it
if(ARCH STREQUAL "x64")
  set(win64 yes)
else()
  set(win64 no)
endif()
file(GLOB_RECURSE frontend RELATIVE ${PACKAGE} ${PACKAGE}/frontend/*)
list(SORT frontend)
list(JOIN frontend "\n" listing)
file(WRITE ${OUTPUT}.frontend "${listing}\n")
# wixl-heat marks each component Win64="$(var.Win64)", so wixl is told it too.
execute_process(COMMAND ${WIXL_HEAT} -p frontend/ --var var.Frontend --directory-ref FRONTEND
                        --component-group Frontend --win64
  INPUT_FILE ${OUTPUT}.frontend OUTPUT_FILE ${OUTPUT}.frontend.wxs RESULT_VARIABLE failed)
if(NOT failed)
  # wixl takes a file's Source relative to the folder it runs in.
  execute_process(COMMAND ${WIXL} -a ${ARCH} -D Arch=${ARCH} -D Win64=${win64} -D Version=${VERSION}
                          -D NextVersion=${next_version} -D Frontend=frontend -o ${OUTPUT}
                          ${CMAKE_CURRENT_LIST_DIR}/fingerbridge.wxs ${OUTPUT}.frontend.wxs
    WORKING_DIRECTORY ${PACKAGE} RESULT_VARIABLE failed)
endif()
file(REMOVE ${OUTPUT}.frontend ${OUTPUT}.frontend.wxs)
if(failed)
  message(FATAL_ERROR "wixl-heat or wixl could not build ${OUTPUT}")
endif()
