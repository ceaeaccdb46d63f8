# Compiles an IDL file into a header and its id definitions (and, on request,
# a type library) in ${GENERATED_DIR}: widl when cross compiling, midl with MSVC.
function(mimic_idl idl out_var)
    get_filename_component(name ${idl} NAME_WE)
    set(src ${CMAKE_SOURCE_DIR}/${idl})
    set(dir ${CMAKE_BINARY_DIR}/generated)
    file(MAKE_DIRECTORY ${dir})
    set(h ${dir}/${name}.h)
    set(ic ${dir}/${name}_i.c)
    set(outputs ${h} ${ic})
    set(includes -I ${CMAKE_SOURCE_DIR}/host -I ${CMAKE_SOURCE_DIR}/module)
    if(MIMIC_WIDL)
        set(cmds COMMAND ${MIMIC_WIDL} ${MIMIC_WIDL_FLAGS} ${includes} -h -o ${h} ${src}
                 COMMAND ${MIMIC_WIDL} ${MIMIC_WIDL_FLAGS} ${includes} -u -o ${ic} ${src})
        if(ARGN MATCHES "TLB")
            list(APPEND outputs ${dir}/${name}.tlb)
            list(APPEND cmds COMMAND ${MIMIC_WIDL} ${MIMIC_WIDL_FLAGS} ${includes} -t -o ${dir}/${name}.tlb ${src})
        endif()
    else()
        set(cmds COMMAND midl /nologo ${includes} /out ${dir} /h ${name}.h /iid ${name}_i.c /tlb ${name}.tlb ${src})
        if(ARGN MATCHES "TLB")
            list(APPEND outputs ${dir}/${name}.tlb)
        endif()
    endif()
    add_custom_command(OUTPUT ${outputs} ${cmds}
        DEPENDS ${src} ${CMAKE_SOURCE_DIR}/host/HostServices.idl
        COMMENT "IDL ${idl}" VERBATIM)
    set(${out_var} ${h} ${ic} PARENT_SCOPE)
endfunction()
