# Common settings for every Sonvara target: warnings as errors, sanitizers, include root.

set(SONVARA_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough -Werror)

if(SONVARA_TSAN AND (SONVARA_SANITIZE OR SONVARA_FUZZ))
    message(FATAL_ERROR "SONVARA_TSAN cannot be combined with SONVARA_SANITIZE or SONVARA_FUZZ")
endif()
if(SONVARA_TSAN)
    set(SONVARA_SANITIZER_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
endif()
if(SONVARA_SANITIZE OR SONVARA_FUZZ)
    set(SONVARA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
endif()
if(SONVARA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "SONVARA_FUZZ needs clang (CXX=clang++)")
    endif()
    # Coverage for libFuzzer in every library; the fuzz programs add the fuzzer's main.
    list(APPEND SONVARA_SANITIZER_FLAGS -fsanitize=fuzzer-no-link)
    # Kernels left out of the coverage (the list says which and why). Neither the build tool nor
    # the compiler cache sees the list's content, so its digest goes into the flags: a changed
    # list reconfigures and recompiles.
    set(list_file ${PROJECT_SOURCE_DIR}/tests/fuzz/coverage_ignorelist.txt)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
    file(MD5 ${list_file} list_digest)
    set(SONVARA_FUZZ_COMPILE_FLAGS -fsanitize-coverage-ignorelist=${list_file}
        -DSONVARA_COVERAGE_IGNORELIST=${list_digest})
endif()

function(sonvara_target_defaults target)
    target_compile_options(${target} PRIVATE ${SONVARA_WARNINGS})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    if(SONVARA_SANITIZER_FLAGS)
        target_compile_options(${target} PRIVATE ${SONVARA_SANITIZER_FLAGS})
        target_link_options(${target} PUBLIC ${SONVARA_SANITIZER_FLAGS})
    endif()
    if(SONVARA_FUZZ_COMPILE_FLAGS)
        target_compile_options(${target} PRIVATE ${SONVARA_FUZZ_COMPILE_FLAGS})
    endif()
endfunction()

# sonvara_target_clones(<sources...>)
# Files with functions built for several processors (target_clones). The loader runs their
# resolvers before the ThreadSanitizer runtime is up, so under SONVARA_TSAN those files get no
# function entry and exit hooks (a report shows no frame of theirs); their memory accesses are
# still checked.
function(sonvara_target_clones)
    if(SONVARA_TSAN)
        set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_OPTIONS
            --param=tsan-instrument-func-entry-exit=0)
    endif()
endfunction()

# sonvara_library(<name> SOURCES <files...> [DEPENDS <targets...>])
# One static library per top-level folder, named sonvara_<folder>.
function(sonvara_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(sonvara_${name} STATIC ${ARG_SOURCES})
    sonvara_target_defaults(sonvara_${name})
    target_link_libraries(sonvara_${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# sonvara_test(<name> SOURCES <files...> DEPENDS <targets...> [LABELS <labels...>])
# One GoogleTest executable; every test case becomes a CTest test. The label "threads" also adds
# it to sonvara_threaded_tests, the programs `make tsan` builds.
function(sonvara_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    sonvara_target_defaults(${name})
    # A test program's own code is built to build quickly, not to run fast: -O1 takes two fifths
    # off a test file's compile. The libraries under test keep the build's own optimization. (At
    # -O1 GCC 12 reports null dereferences inside std::function that are not there, and under
    # ThreadSanitizer bounds that are not crossed: the sanitizer builds keep -O2.)
    if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo" AND NOT SONVARA_SANITIZER_FLAGS)
        target_compile_options(${name} PRIVATE -O1 -Wno-null-dereference)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} sonvara_test_support GTest::gtest_main
        GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT 300)
    if(ARG_LABELS)
        # Discovery's PROPERTIES flatten a list, so a second label would be lost: the labels are
        # set by a file that CTest reads after the discovered tests (${name}_TESTS).
        set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
        file(WRITE ${labels_file} "if(DEFINED ${name}_TESTS)\n"
            "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${ARG_LABELS}\")\n"
            "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
    endif()
    if("threads" IN_LIST ARG_LABELS)
        add_dependencies(sonvara_threaded_tests ${name})
    endif()
endfunction()
