# Shared settings for the project's own targets.
add_library(morvane_warnings INTERFACE)
target_compile_options(morvane_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wno-unused-parameter
    $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> $<$<CXX_COMPILER_ID:Clang>:-Wshadow-uncaptured-local>)

# morvane_library(<name> SOURCES ... [QT] LIBS ...)
# One static library per source folder; QT turns on moc for the target.
function(morvane_library name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE morvane_warnings ${ARG_LIBS} PUBLIC ${ARG_PUBLIC_LIBS})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# morvane_test(<name> SOURCES ... LIBS ... [GUI] [QT] [TIMEOUT s] [WHOLE_TIMEOUT s] [RESOURCE_LOCK lock])
# Every test case is a test of its own, "<name>.<Suite>.<Case>", listed when
# ctest starts (so GUI tests list themselves on ctest's display: scripts/test.sh
# runs ctest under Xvfb). TIMEOUT applies to each case; cases holding the same
# RESOURCE_LOCK run one at a time on the whole machine. Besides, "<name>.whole"
# runs the whole program in one process, as a developer runs it: no case may
# depend on running alone or on what ran before it. WHOLE_TIMEOUT (600 s by
# default) applies to it; GUI programs run whole on a display of their own.
function(morvane_test name)
    cmake_parse_arguments(ARG "GUI;QT" "TIMEOUT;WHOLE_TIMEOUT;RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE morvane_warnings ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        MORVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        MORVANE_PROGRAM_DIR="${MORVANE_PROGRAM_DIR}"
        MORVANE_TEST_DIR="${CMAKE_BINARY_DIR}/tests")
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    # A test's own code is compiled without optimising: what it measures runs
    # in the libraries, built as users get them, and its long case functions
    # would cost several times as long to optimise, most of all under the
    # sanitizers.
    target_compile_options(${name} PRIVATE -O0)
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    if(NOT ARG_WHOLE_TIMEOUT)
        set(ARG_WHOLE_TIMEOUT 600)
    endif()
    set(locks ${ARG_RESOURCE_LOCK})
    if(ARG_RESOURCE_LOCK)
        # A lock such as the classroom port's is the machine's, not one test
        # run's: the running cases (not the listing) also take turns with test
        # runs of other build trees, waiting at most three minutes for the lock
        # file, which their time limit allows for.
        target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/MachineLock.cpp)
        target_compile_definitions(${name} PRIVATE
            MORVANE_MACHINE_LOCK="/tmp/${ARG_RESOURCE_LOCK}.lock" MORVANE_MACHINE_LOCK_WAIT=180)
        math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} + 180")
        math(EXPR ARG_WHOLE_TIMEOUT "${ARG_WHOLE_TIMEOUT} + 180")
    endif()
    set(properties TIMEOUT ${ARG_TIMEOUT})
    set(case_labels "")
    set(whole_command $<TARGET_FILE:${name}>)
    set(whole_labels whole)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE morvane_guicaseguard Qt6::Core)
        list(APPEND properties LABELS gui ENVIRONMENT "QT_QPA_PLATFORM=xcb")
        # GUI tests take turns on the one display: windows of tests running side
        # by side would take each other's pointer and focus.
        list(APPEND locks morvane_display)
        # Labelled shared_display as well: the sanitizer suite runs these
        # programs only whole.
        set(case_labels "gui;shared_display")
        set(whole_command ${CMAKE_SOURCE_DIR}/tests/support/run-on-own-display.sh ${whole_command})
        set(whole_labels gui whole)
    endif()
    gtest_discover_tests(${name}
        TEST_PREFIX ${name}.
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ${properties})
    if(locks)
        # The discovery passes property values on as single words, so the
        # locks and labels, lists, go on the listed cases in a file read after it.
        set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake)
        set(labels_property "")
        if(case_labels)
            set(labels_property " LABELS \"${case_labels}\"")
        endif()
        file(WRITE ${file}
            "set_tests_properties(\${${name}_TESTS} PROPERTIES RESOURCE_LOCK \"${locks}\"${labels_property})\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
    endif()
    add_test(NAME ${name}.whole COMMAND ${whole_command})
    set_tests_properties(${name}.whole PROPERTIES TIMEOUT ${ARG_WHOLE_TIMEOUT} LABELS "${whole_labels}")
    if(ARG_RESOURCE_LOCK)
        set_tests_properties(${name}.whole PROPERTIES RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
endfunction()

# morvane_benchmark(<name> SOURCES ... LIBS ...)
function(morvane_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE morvane_warnings ${ARG_LIBS} benchmark::benchmark)
    target_compile_definitions(${name} PRIVATE MORVANE_PROGRAM_DIR="${MORVANE_PROGRAM_DIR}")
endfunction()

# Adds every listed sub-folder that exists, in the given order (lower floors first).
macro(morvane_add_folders)
    foreach(dir ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endmacro()
