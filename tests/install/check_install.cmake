# Installs the build into a fresh prefix and checks what a desktop user and a shell user get:
# every file in its place, valid desktop entry and metainfo, a man page naming every operation,
# an installed kelvaro-cli that runs, a window program that answers --help and --version without
# a display, and a Debian package whose description reads as Debian's tools expect.
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

# A shell user may ask the window program for its usage where no display is: on a server, over
# ssh. Creating the window would abort there, so these must be answered before it.
string(REGEX REPLACE "^kelvaro-cli ([^\n]*)\n$" "\\1" version_number "${version}")
set(no_display ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
               --unset=QT_QPA_PLATFORM)
execute_process(COMMAND ${no_display} "${PREFIX}/bin/kelvaro" --version
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out STREQUAL "kelvaro ${version_number}\n")
  message(FATAL_ERROR "kelvaro --version without a display gave ${status}, '${out}' '${err}'")
endif()
execute_process(COMMAND ${no_display} "${PREFIX}/bin/kelvaro" --help
                OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: [^\n]*/bin/kelvaro \\[options\\] \\[file\\.\\.\\.\\]\n"
   OR NOT out MATCHES "\n  -h, --help  " OR NOT out MATCHES "\n  -v, --version  "
   OR NOT out MATCHES "\n  --screenshot <FILE>  ")
  message(FATAL_ERROR "kelvaro --help without a display gave ${status}, '${out}' '${err}'")
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

# The package's description as dpkg reads it: the summary, then lines that each start with one
# space (two would make them verbatim text). A description written as a CMake list starts its
# lines with ";".
set(package_dir "${PREFIX}-deb")
file(REMOVE_RECURSE "${package_dir}")
execute_process(COMMAND "${CMAKE_CPACK_COMMAND}" --config "${BUILD_DIR}/CPackConfig.cmake" -B "${package_dir}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB packages "${package_dir}/*.deb")
if(NOT status EQUAL 0 OR NOT packages)
  message(FATAL_ERROR "cpack failed: ${out}")
endif()
execute_process(COMMAND dpkg-deb --field ${packages} Description OUTPUT_VARIABLE description
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb cannot read the package's description")
endif()
string(REPLACE ";" "<semicolon>" description "${description}")
string(REGEX REPLACE "\n$" "" description "${description}")
string(REPLACE "\n" ";" description_lines "${description}")
list(POP_FRONT description_lines synopsis)
if(NOT synopsis MATCHES "^[^ ]" OR NOT description_lines)
  message(FATAL_ERROR "the package description needs a synopsis and more lines:\n${description}")
endif()
foreach(line IN LISTS description_lines)
  if(NOT line MATCHES "^ [^ ]" OR line MATCHES "<semicolon>")
    message(FATAL_ERROR "the package description has the line '${line}':\n${description}")
  endif()
endforeach()
file(REMOVE_RECURSE "${package_dir}")

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install into a fresh prefix: every file in place")
