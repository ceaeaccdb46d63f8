# The product's folders are layers, lowest first. A folder may include its own
# headers and those of the folders below it, never those above.
set(MIMIC_LAYERS base host library script ui core module)

# Gives a target an include folder of its own that holds links to exactly the
# folders it may include, so a wrong-way include fails to compile. The
# reference host stands beside the product: it sees the base helpers, the
# host's interfaces and, for answering the plug-in's dialogs, their control ids.
function(mimic_layer_includes target layer)
    set(dir ${CMAKE_BINARY_DIR}/layers/${layer})
    if(layer STREQUAL "refhost")
        set(visible base host refhost)
        file(MAKE_DIRECTORY ${dir}/ui)
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/ui/resource.h ${dir}/ui/resource.h SYMBOLIC COPY_ON_ERROR)
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
