# Fails when a source file includes a header from a folder above its own.
#   cmake -DSOURCE_DIR=<tree> [-DDIALOG_ANSWERS=<file>] -P CheckLayers.cmake
# The product's folders, lowest first, are the layers of cmake/Layers.cmake;
# the headers generated from the IDL files are the host's interfaces. base/
# includes nothing of ours at all. The reference host sees base/, host/ and
# its own folders up to its file's (MIMIC_REFHOST_LAYERS), and one file of it
# (DIALOG_ANSWERS) the plug-in's control ids.
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)
set(generated mimic.h HostServices.h mimic_i.c HostServices_i.c)
if(NOT DEFINED DIALOG_ANSWERS)
    set(DIALOG_ANSWERS refhost/driver/DialogAnswers.cpp)
endif()

set(faults "")
foreach(layer IN LISTS MIMIC_LAYERS ITEMS refhost)
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} LIST_DIRECTORIES false
         ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.c ${SOURCE_DIR}/${layer}/*.rc)
    list(FIND MIMIC_LAYERS ${layer} rank)
    foreach(file IN LISTS files)
        file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
            if(header MATCHES "^([^/]+)/")
                set(folder ${CMAKE_MATCH_1})
            elseif(header IN_LIST generated)
                set(folder host)
            else()
                # Beside the including file.
                get_filename_component(folder ${file} DIRECTORY)
                string(REGEX REPLACE "/.*" "" folder "${folder}")
            endif()

            set(allowed TRUE)
            if(layer STREQUAL "base")
                if(NOT folder STREQUAL "base")
                    set(allowed FALSE)
                endif()
            elseif(layer STREQUAL "refhost")
                if(header MATCHES "^refhost/([^/]+)/")
                    list(FIND MIMIC_REFHOST_LAYERS ${CMAKE_MATCH_1} target)
                    # A file straight in refhost/ stands above its folders.
                    list(LENGTH MIMIC_REFHOST_LAYERS own)
                    if(file MATCHES "^refhost/([^/]+)/")
                        list(FIND MIMIC_REFHOST_LAYERS ${CMAKE_MATCH_1} own)
                    endif()
                    if(target LESS 0 OR target GREATER own)
                        set(allowed FALSE)
                    endif()
                elseif(NOT folder MATCHES "^(base|host|refhost)$" AND
                       NOT (header STREQUAL "ui/resource.h" AND file STREQUAL DIALOG_ANSWERS))
                    set(allowed FALSE)
                endif()
            else()
                list(FIND MIMIC_LAYERS ${folder} target)
                if(target LESS 0 OR target GREATER rank)
                    set(allowed FALSE)
                endif()
            endif()
            if(NOT allowed)
                get_filename_component(where ${file} DIRECTORY)
                string(APPEND faults "${file}: includes \"${header}\", which ${where}/ may not include\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(faults)
    message(NOTICE "${faults}")
    message(FATAL_ERROR "Includes against the layer order: ${MIMIC_LAYERS}, lowest first")
endif()
message(STATUS "Every include follows the layer order")
