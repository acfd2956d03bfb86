# Writes OUTPUT, a header defining SONVARA_BUILD_DATE as today's date (UTC, or the date of
# SOURCE_DATE_EPOCH for a reproducible build). Run at every build; the file is rewritten only when
# the date changed, so that what includes it compiles again once a day at most.
string(TIMESTAMP today "%Y-%m-%d" UTC)
set(text "#pragma once\n// Made by cmake/build_date.cmake at each build.\n#define SONVARA_BUILD_DATE \"${today}\"\n")
set(old "")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
    file(WRITE "${OUTPUT}" "${text}")
endif()
