# Run at build time (cmake -P) by the show_version target: writes the version header the programs
# print for --version. The project version, followed in a git checkout by what `git describe` says
# of the tree being built. The file is rewritten only when its text changes, so an unchanged tree
# rebuilds nothing.
#   -DSOURCE_DIR=... -DOUTPUT=... -DPROJECT_VERSION=...
set(version "${PROJECT_VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" describe --always --dirty --tags
    WORKING_DIRECTORY "${SOURCE_DIR}"
    OUTPUT_VARIABLE describe OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE result ERROR_QUIET)
  if(result EQUAL 0 AND NOT describe STREQUAL "")
    set(version "${version} (git ${describe})")
  endif()
endif()
set(text "// Written by cmake/WriteVersion.cmake at build time.\n#define SHOW_VERSION \"${version}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
