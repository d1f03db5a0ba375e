# Builds the MSI of one bitness from an unpacked package folder (bin/fingerbridge.exe,
# frontend/, README.txt), the frontend's components listed by wixl-heat:
#   cmake -DWIXL=<wixl> -DWIXL_HEAT=<wixl-heat> -DPACKAGE=<folder> -DARCH=x64|x86
#         -DVERSION=<x.y.z> -DOUTPUT=<file.msi> -P build_msi.cmake
cmake_minimum_required(VERSION 3.20)
file(GLOB_RECURSE frontend RELATIVE ${PACKAGE} ${PACKAGE}/frontend/*)
list(SORT frontend)
list(JOIN frontend "\n" listing)
file(WRITE ${OUTPUT}.frontend "${listing}\n")
# wixl-heat marks each component Win64="$(var.Win64)", so wixl is told it too.
execute_process(COMMAND ${WIXL_HEAT} -p frontend/ --var var.Frontend --directory-ref FRONTEND
                        --component-group Frontend --win64
  INPUT_FILE ${OUTPUT}.frontend OUTPUT_FILE ${OUTPUT}.frontend.wxs RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "wixl-heat failed on the frontend of ${PACKAGE}")
endif()
if(ARCH STREQUAL "x64")
  set(win64 yes)
else()
  set(win64 no)
endif()
string(REGEX REPLACE "^([0-9]+\\.[0-9]+\\.)([0-9]+)$" "\\1" release "${VERSION}")
string(REGEX REPLACE "^[0-9]+\\.[0-9]+\\.([0-9]+)$" "\\1" patch "${VERSION}")
if(release STREQUAL VERSION)
  message(FATAL_ERROR "VERSION ${VERSION} is not major.minor.patch")
endif()
math(EXPR next_patch "${patch} + 1")
# wixl takes a file's Source relative to the folder it runs in.
execute_process(COMMAND ${WIXL} -a ${ARCH} -D Arch=${ARCH} -D Win64=${win64} -D Version=${VERSION}
                        -D NextVersion=${release}${next_patch}
                        -D Frontend=frontend -o ${OUTPUT} ${CMAKE_CURRENT_LIST_DIR}/fingerbridge.wxs ${OUTPUT}.frontend.wxs
  WORKING_DIRECTORY ${PACKAGE} RESULT_VARIABLE failed)
file(REMOVE ${OUTPUT}.frontend ${OUTPUT}.frontend.wxs)
if(failed)
  message(FATAL_ERROR "wixl could not build ${OUTPUT}")
endif()
