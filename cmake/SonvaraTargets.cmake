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

# The debug information of the test build goes to a .dwo file beside each object (the debugger
# reads it there), not through the assembler and the linker: a test file compiles in two thirds
# of the time. The sanitizer and fuzz builds keep it in the objects, for their reports' lines.
# Off until measured on a whole cold build of the tree as it is now.
option(SONVARA_SPLIT_DWARF "Debug information in .dwo files beside the objects" OFF)

function(sonvara_target_defaults target)
    target_compile_options(${target} PRIVATE ${SONVARA_WARNINGS})
    if(SONVARA_SPLIT_DWARF AND NOT SONVARA_SANITIZER_FLAGS)
        target_compile_options(${target} PRIVATE -gsplit-dwarf)
    endif()
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
    set_property(GLOBAL APPEND PROPERTY SONVARA_PCH_CANDIDATES sonvara_${name})
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
    # -O1 GCC 12 reports null dereferences inside std::function that are not there.)
    if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo")
        target_compile_options(${name} PRIVATE -O1 -Wno-null-dereference)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} sonvara_test_support GTest::gtest_main
        GTest::gmock)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT 300)
    set_property(GLOBAL APPEND PROPERTY SONVARA_PCH_CANDIDATES ${name})
    set_property(TARGET ${name} PROPERTY SONVARA_GTEST ON)
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

# Precompiled headers, when SONVARA_PCH is ON (it is OFF: see below). Parsing the Qt widget headers
# is most of the compile of a widget or a GUI test file, and GoogleTest's header a good part of a
# test file's, so each is then compiled once per build tree, by a target of its own whose
# precompiled header the others reuse (REUSE_FROM):
#   sonvara_pch_qt    the Qt headers most files use, for every library and test reaching Qt Widgets;
#   sonvara_pch_test  <gtest/gtest.h>, for every other test program.
# Reuse needs the same compile flags as the owner: within one build tree every Sonvara target has
# them, the Qt ones have Qt's; the macros that differ (QT_NETWORK_LIB, QT_TESTLIB_LIB, the tests'
# data folders) are read by none of these headers, and -Winvalid-pch, an error here, says so if one
# ever is. Libraries without Qt keep their own includes. Whether a target reaches Qt is known once
# every target is declared, so the headers are assigned at the end of the top-level CMakeLists.txt.
# Measured by CPU time, the Qt header takes a fifth to a third off a widget file's compile and
# gtest's a fifth off a test file's. It stays OFF because GCC 12 does not keep the standard
# library's inlined code out of the warnings when it comes from a precompiled header:
# tests/platform/desktop_registration_test.cpp then fails, in the test build and under
# ThreadSanitizer, on a false -Warray-bounds inside std::string (an error with -Werror), which the
# same compile without the header, or with the header included as text, does not report. The
# sanitizer and fuzz builds never precompile.
option(SONVARA_PCH "Precompile the Qt and GoogleTest headers (not in the sanitizer builds)" OFF)

set(SONVARA_QT_PCH_HEADERS <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog>
    <QDialogButtonBox> <QFileInfo> <QFormLayout> <QGridLayout> <QGroupBox> <QHBoxLayout>
    <QKeyEvent> <QLabel> <QLineEdit> <QListWidget> <QMouseEvent> <QPainter> <QPushButton>
    <QRadioButton> <QSpinBox> <QString> <QStringList> <QTimer> <QTreeWidget> <QVBoxLayout>
    <QWidget>)
set(SONVARA_TEST_PCH_HEADERS <gtest/gtest.h>)

# Sets <out> to true when Qt6::Widgets' compile requirements reach <target>: through its own links
# and, transitively, the public links of those (link-only ones carry none).
function(_sonvara_reaches_qt_widgets target out)
    get_target_property(queue ${target} LINK_LIBRARIES)
    set(seen "")
    while(queue)
        list(POP_FRONT queue item)
        if(item STREQUAL "Qt6::Widgets")
            set(${out} TRUE PARENT_SCOPE)
            return()
        endif()
        if(item MATCHES "^\\$<|^::@" OR item IN_LIST seen OR NOT TARGET ${item})
            continue()
        endif()
        list(APPEND seen ${item})
        get_target_property(links ${item} INTERFACE_LINK_LIBRARIES)
        if(links)
            list(APPEND queue ${links})
        endif()
    endwhile()
    set(${out} FALSE PARENT_SCOPE)
endfunction()

# The target sonvara_pch_<kind>, which compiles <headers...> for the others to reuse.
function(_sonvara_pch_owner kind)
    set(owner sonvara_pch_${kind})
    if(TARGET ${owner})
        return()
    endif()
    set(stub ${PROJECT_BINARY_DIR}/pch/${owner}.cpp)
    file(WRITE ${stub} "// Compiled for the precompiled header of its target.\n")
    add_library(${owner} OBJECT ${stub})
    sonvara_target_defaults(${owner})
    if(kind STREQUAL "qt")
        target_link_libraries(${owner} PRIVATE Qt6::Widgets)
        target_precompile_headers(${owner} PRIVATE ${SONVARA_QT_PCH_HEADERS})
    else()
        # GoogleTest's imported targets are seen only below tests/; its test support links them.
        target_link_libraries(${owner} PRIVATE sonvara_test_support)
        target_precompile_headers(${owner} PRIVATE ${SONVARA_TEST_PCH_HEADERS})
    endif()
endfunction()

function(_sonvara_precompile_headers)
    if(NOT SONVARA_PCH OR SONVARA_SANITIZER_FLAGS)
        return()
    endif()
    get_property(candidates GLOBAL PROPERTY SONVARA_PCH_CANDIDATES)
    foreach(target IN LISTS candidates)
        _sonvara_reaches_qt_widgets(${target} qt)
        get_target_property(is_test ${target} SONVARA_GTEST)
        if(qt)
            set(kind qt)
        elseif(is_test)
            set(kind test)
        else()
            continue()
        endif()
        _sonvara_pch_owner(${kind})
        target_precompile_headers(${target} REUSE_FROM sonvara_pch_${kind})
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _sonvara_precompile_headers)
