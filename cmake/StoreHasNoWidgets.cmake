# The store is the bottom layer: nothing it links to may bring in Qt's widgets or GUI. Walks the
# libraries quillmate_store links to, and what they link to in turn, and stops the configuration
# naming the one that does.
function(quillmate_check_no_widgets target seen)
    get_target_property(libs ${target} LINK_LIBRARIES)
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    foreach(lib IN LISTS libs interface)
        if(NOT lib OR lib IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${lib})
        if(lib MATCHES "Qt6?::(Widgets|Gui|PrintSupport)$")
            message(FATAL_ERROR "quillmate_store must not link to ${lib} (through ${target}): "
                                "the store is the bottom layer and has no widgets.")
        endif()
        if(TARGET ${lib} AND lib MATCHES "^quillmate_")
            quillmate_check_no_widgets(${lib} "${seen}")
        endif()
    endforeach()
endfunction()
quillmate_check_no_widgets(quillmate_store "")
