# One static library per source folder; every .cpp in the folder belongs to it, so adding a
# file needs no edit here. Cycles between the libraries are resolved at the final link by
# linking them as one group (kestrel_all).
function(kestrel_library name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(sources)
        add_library(${name} STATIC ${sources})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Xml)
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE Qt6::Core Qt6::Xml)
    endif()
endfunction()

# A unit test binary per folder of tests/, labelled with the folder's name.
function(kestrel_test name dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*_test.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE kestrel_test_support kestrel_all GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${ARGN} TIMEOUT 300)
endfunction()
