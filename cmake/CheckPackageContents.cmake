# cmake -DSOURCE_DIR=<project> -DWORK_DIR=<scratch folder> -P CheckPackageContents.cmake
#
# scripts/package builds the target korvel_package_contents in a build folder and then lets cpack
# install from it. This check configures a fresh build folder, as a new clone has, and asks Ninja
# for the commands that building that target runs (nothing is compiled). Every program and every
# generated file that the install scripts take from the build folder must be among it; otherwise
# cpack stops on a fresh clone with "file INSTALL cannot find …".
cmake_minimum_required(VERSION 3.25)

foreach(var SOURCE_DIR WORK_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()

set(fresh "${WORK_DIR}/fresh")
file(REMOVE_RECURSE "${fresh}")
execute_process(COMMAND ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${fresh}" -G Ninja
                        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "configuring a fresh build folder failed:\n${errors}")
endif()
execute_process(COMMAND ninja -t commands korvel_package_contents
                WORKING_DIRECTORY "${fresh}"
                RESULT_VARIABLE result OUTPUT_VARIABLE plan ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "ninja -t commands korvel_package_contents failed:\n${errors}")
endif()

# What the install scripts take from the build folder: file(INSTALL … FILES "<fresh>/…").
file(GLOB_RECURSE install_scripts "${fresh}/cmake_install.cmake")
set(built)
foreach(script IN LISTS install_scripts)
    file(READ "${script}" text)
    string(REGEX MATCHALL "file\\(INSTALL [^)]*\\)" calls "${text}")
    foreach(line IN LISTS calls)
        string(REGEX MATCHALL "\"${fresh}/[^\"]+\"" paths "${line}")
        foreach(path IN LISTS paths)
            string(REPLACE "\"" "" path "${path}")
            list(APPEND built "${path}")
        endforeach()
    endforeach()
endforeach()
list(REMOVE_DUPLICATES built)
list(LENGTH built count)
if(count LESS 4)
    message(FATAL_ERROR "the install scripts take only ${count} files from the build folder: ${built}")
endif()

# Files that configure wrote are there already; a program is made by its link command, a
# compressed page or changelog by gzip on its source.
set(missing)
foreach(path IN LISTS built)
    file(RELATIVE_PATH relative "${fresh}" "${path}")
    if(EXISTS "${path}")
        continue()
    elseif(path MATCHES "\\.gz$")
        string(REGEX REPLACE "\\.gz$" "" source "${path}")
        string(FIND "${plan}" "gzip -9nkf ${source}" at)
    else()
        string(FIND "${plan}" " -o ${relative} " at)
    endif()
    if(at EQUAL -1)
        list(APPEND missing "${path}")
    endif()
endforeach()
file(REMOVE_RECURSE "${fresh}")
if(missing)
    string(REPLACE ";" "\n  " missing "${missing}")
    message(FATAL_ERROR "korvel_package_contents does not build what the package installs:\n  ${missing}")
endif()
message(STATUS "korvel_package_contents builds all ${count} files the package takes from the build folder")
