# Writes the build's version text into OUT, and only when it changed, so that a
# new commit recompiles one small file. The text is, in this order:
#   QUARLANE_VERSION from the environment (a release build may set it);
#   `git describe` of the source tree: a tag "v4.3" gives "4.3", a commit past
#   it "4.3-5-g1a2b3c4"; without a tag, PROJECT_VERSION and the commit,
#   "4.3-g1a2b3c4"; "-dirty" when the tree has uncommitted changes;
#   outside a git checkout, PROJECT_VERSION followed by "-nogit".
# Called as: cmake -DSOURCE_DIR=... -DPROJECT_VERSION=... -DOUT=... -P version.cmake
set(version "")
if(DEFINED ENV{QUARLANE_VERSION} AND NOT "$ENV{QUARLANE_VERSION}" STREQUAL "")
  set(version "$ENV{QUARLANE_VERSION}")
else()
  find_package(Git QUIET)
  if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT_EXECUTABLE}" describe --tags --match "v[0-9]*" --dirty
                    WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE described
                    RESULT_VARIABLE tagged OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(tagged EQUAL 0)
      string(REGEX REPLACE "^v" "" version "${described}")
    else()
      execute_process(COMMAND "${GIT_EXECUTABLE}" describe --always --abbrev=7 --dirty
                      WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE commit
                      RESULT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(found EQUAL 0 AND NOT commit STREQUAL "")
        set(version "${PROJECT_VERSION}-g${commit}")
      endif()
    endif()
  endif()
  if(version STREQUAL "")
    set(version "${PROJECT_VERSION}-nogit")
  endif()
endif()
set(text "// Written by cmake/version.cmake at build time.\n#include \"util/version.h\"\n\nnamespace quarlane {\nconst char *BuildVersion() { return \"${version}\"; }\n} // namespace quarlane\n")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
else()
  set(old "")
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
