include(GoogleTest)

# kernwick_add_test(<name> SOURCES <files...> [LIBS <targets...>])
#
# One test executable per module. Every test gets the core library, GoogleTest,
# the test data folder and the paths of the command-line programs it may drive.
function(kernwick_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kernwick_core GTest::gtest GTest::gtest_main ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_compile_definitions(${name} PRIVATE
        KERNWICK_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
        KERNWICK_CLI="$<TARGET_FILE:kernwick-cli>"
        ZUVO_SIM="$<TARGET_FILE:zuvo-sim>")
    add_dependencies(${name} kernwick-cli zuvo-sim)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
