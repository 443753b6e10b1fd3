# redten_add_library(NAME SOURCES ... [QT] LIBS ...)
#   A library outside the table's layers (the engine, the room). Plain
#   libraries must stay free of Qt; the QT flag turns on moc.
function(redten_add_library name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# redten_add_layer(NAME FOLDER folder [DIR dir] SOURCES ... [QT] LIBS ...)
#   One library per layer, for the folder <folder> beside the calling
#   CMakeLists.txt (or for DIR, a folder that is itself the layer: the
#   engine, the room). Its headers are included as "<folder>/...", from an
#   include root of its own that holds that folder and nothing else: a file
#   sees its own layer and the layers it links, so an include that points
#   upward does not compile.
function(redten_add_layer name)
    cmake_parse_arguments(ARG "QT" "FOLDER;DIR" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_DIR)
        set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_FOLDER})
    endif()
    redten_add_library(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS})
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    get_filename_component(parent ${root}/${ARG_FOLDER} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${ARG_DIR} ${root}/${ARG_FOLDER} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${root})
endfunction()

# redten_add_test(NAME SOURCES ... LIBS ... [QT])
#   One test program per area. QT programs share the main that creates the
#   application object (offscreen); plain ones use GoogleTest's own main so
#   they never link Qt.
function(redten_add_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    if(ARG_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} redten_test_support redten_test_main GTest::gtest Qt6::Test)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        TIMEOUT 300)
endfunction()
