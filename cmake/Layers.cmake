# The product's folders are layers, lowest first. A folder may include its own
# headers and those of the folders below it, never those above.
set(MIMIC_LAYERS base host library script ui core module)

# The reference host's folders, lowest first; each sees the ones below it.
set(MIMIC_REFHOST_LAYERS driver com app)

# Gives a target an include folder of its own that holds links to exactly the
# folders it may include, so a wrong-way include fails to compile. The
# reference host stands beside the product: it sees the base helpers, the
# host's interfaces and, in its driver that answers the plug-in's dialogs,
# their control ids.
function(mimic_layer_includes target layer)
    string(REPLACE "/" "-" name ${layer})
    set(dir ${CMAKE_BINARY_DIR}/layers/${name})
    if(layer MATCHES "^refhost/(.+)$")
        set(own ${CMAKE_MATCH_1})
        list(FIND MIMIC_REFHOST_LAYERS ${own} rank)
        if(rank LESS 0)
            message(FATAL_ERROR "refhost/${own} is not a layer")
        endif()
        math(EXPR count "${rank} + 1")
        list(SUBLIST MIMIC_REFHOST_LAYERS 0 ${count} below)
        file(MAKE_DIRECTORY ${dir}/refhost)
        foreach(folder IN LISTS below)
            if(NOT EXISTS ${dir}/refhost/${folder})
                file(CREATE_LINK ${CMAKE_SOURCE_DIR}/refhost/${folder} ${dir}/refhost/${folder} SYMBOLIC)
            endif()
        endforeach()
        if(own STREQUAL "driver")
            file(MAKE_DIRECTORY ${dir}/ui)
            file(CREATE_LINK ${CMAKE_SOURCE_DIR}/ui/resource.h ${dir}/ui/resource.h SYMBOLIC COPY_ON_ERROR)
        endif()
        set(visible base host)
    else()
        list(FIND MIMIC_LAYERS ${layer} rank)
        if(rank LESS 0)
            message(FATAL_ERROR "${layer} is not a layer")
        endif()
        list(SUBLIST MIMIC_LAYERS 0 ${rank} visible)
        list(APPEND visible ${layer})
    endif()
    file(MAKE_DIRECTORY ${dir})
    foreach(folder IN LISTS visible)
        if(NOT EXISTS ${dir}/${folder})
            file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} PRIVATE ${dir})
endfunction()

# One static library per layer, linked to the layer below it.
function(mimic_layer layer)
    add_library(mimic_${layer} STATIC ${ARGN})
    mimic_layer_includes(mimic_${layer} ${layer})
    list(FIND MIMIC_LAYERS ${layer} rank)
    if(rank GREATER 0)
        math(EXPR below "${rank} - 1")
        list(GET MIMIC_LAYERS ${below} lower)
        target_link_libraries(mimic_${layer} PUBLIC mimic_${lower})
    endif()
endfunction()
