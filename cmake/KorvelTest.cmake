# korvel_add_test(<name> SOURCES <files...> LINK <targets...> [LABELS <labels...>]
#                 [TIMEOUT <seconds>])
# Builds one QtTest executable against the layers it names, and registers it with CTest to run on
# the offscreen platform with the path of korvel-sim at hand.
function(korvel_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LINK;LABELS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    if(NOT ARG_LABELS)
        set(ARG_LABELS unit)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LINK} korvel_version Qt6::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS "${ARG_LABELS}"
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KORVEL_SIM=$<TARGET_FILE:korvel-sim>")
endfunction()
