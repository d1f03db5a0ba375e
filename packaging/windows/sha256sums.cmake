# Writes TOP/SHA256SUMS for every other file under TOP, as `sha256sum -c` reads it:
# the hash, two spaces, the path from TOP with forward slashes.
#   cmake -DTOP=<folder> -P sha256sums.cmake
cmake_minimum_required(VERSION 3.20)
file(GLOB_RECURSE files RELATIVE ${TOP} ${TOP}/*)
list(REMOVE_ITEM files SHA256SUMS)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${TOP}/${file} hash)
  string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE ${TOP}/SHA256SUMS "${sums}")
