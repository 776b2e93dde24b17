# Writes OUTPUT, a header defining SUMBROOK_BUILD_COMMIT: the commit that
# SOURCE_DIR is checked out at, as 12 hexadecimal digits with "-dirty" when
# tracked files differ from it, or "" when that is not known (no git, no
# repository). The file is rewritten only when its text changes, so a build
# recompiles its users only after a new commit.
# Usage: cmake -DSOURCE_DIR=... -DOUTPUT=... -P BuildCommit.cmake
find_package(Git QUIET)
set(commit "")
if(GIT_FOUND)
  execute_process(
    COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} describe --always --dirty --abbrev=12 --exclude=*
    OUTPUT_VARIABLE described OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE result ERROR_QUIET)
  if(result EQUAL 0 AND described MATCHES "^[0-9a-f]+(-dirty)?$")
    set(commit ${described})
  endif()
endif()
set(text "// Written by cmake/BuildCommit.cmake in every build.\n#define SUMBROOK_BUILD_COMMIT \"${commit}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} previous)
else()
  set(previous "")
endif()
if(NOT previous STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
