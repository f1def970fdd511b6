# Packs the release: the shipped i686 kalvex.exe, the x86_64 build named as
# such, the README and the licence, with a SHA-256 list of the four.
# cmake -DSOURCE=... -DBUILD=... -DVERSION=... -P release.cmake
set(stage ${BUILD}/release/kalvex-${VERSION})
file(REMOVE_RECURSE ${BUILD}/release)
file(MAKE_DIRECTORY ${stage})
file(COPY_FILE ${BUILD}/windows-i686/kalvex.exe ${stage}/kalvex.exe)
file(COPY_FILE ${BUILD}/windows-x86_64/kalvex.exe ${stage}/kalvex-x86_64.exe)
file(COPY_FILE ${SOURCE}/README.md ${stage}/README.md)
file(COPY_FILE ${SOURCE}/LICENSE ${stage}/LICENSE)
set(sums "")
foreach(name kalvex.exe kalvex-x86_64.exe README.md LICENSE)
  file(SHA256 ${stage}/${name} hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${BUILD}/release/kalvex-${VERSION}.zip --format=zip
                        kalvex-${VERSION}
                WORKING_DIRECTORY ${BUILD}/release RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pack the release")
endif()
file(SHA256 ${BUILD}/release/kalvex-${VERSION}.zip hash)
file(WRITE ${BUILD}/release/kalvex-${VERSION}.zip.sha256 "${hash}  kalvex-${VERSION}.zip\n")
message(STATUS "Release: ${BUILD}/release/kalvex-${VERSION}.zip")
