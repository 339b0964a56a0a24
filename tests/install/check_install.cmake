# Installs the build into a fresh prefix and checks what a desktop user and a shell user get:
# every file in its place, valid desktop entry and metainfo, a man page naming every operation,
# and an installed kelvaro-cli that runs.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P check_install.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(id com.kelvaro.Kelvaro)
set(expected
  bin/kelvaro
  bin/kelvaro-cli
  share/applications/${id}.desktop
  share/metainfo/${id}.metainfo.xml
  share/icons/hicolor/scalable/apps/${id}.svg
  share/man/man1/kelvaro.1.gz
  share/man/man1/kelvaro-cli.1.gz
  share/bash-completion/completions/kelvaro-cli
  share/doc/kelvaro/copyright)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

execute_process(COMMAND "${PREFIX}/bin/kelvaro-cli" --version
                OUTPUT_VARIABLE version RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "^kelvaro-cli [0-9]+\\.[0-9]+\\.[0-9]+")
  message(FATAL_ERROR "installed kelvaro-cli --version gave '${version}'")
endif()

execute_process(COMMAND desktop-file-validate "${PREFIX}/share/applications/${id}.desktop"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR out MATCHES "error")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
execute_process(COMMAND appstreamcli validate --no-net "${PREFIX}/share/metainfo/${id}.metainfo.xml"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate: ${out}")
endif()

# The man page documents every operation the program lists.
execute_process(COMMAND sh -c "gzip -dc '${PREFIX}/share/man/man1/kelvaro-cli.1.gz'"
                OUTPUT_VARIABLE man)
string(REPLACE "\\-" "-" man "${man}")
execute_process(COMMAND "${PREFIX}/bin/kelvaro-cli" --list OUTPUT_VARIABLE listing)
string(REPLACE ";" "," listing "${listing}") # descriptions may hold ";"
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  string(REGEX REPLACE "\t.*" "" name "${line}")
  string(FIND "${man}" ".B ${name}\n" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "kelvaro-cli(1) does not document ${name}")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install into a fresh prefix: every file in place")
