# bankrec_forbid_widgets(target): stops the configuration when the target reaches Qt Widgets
# or Print Support through any chain of the libraries it links. The libraries below the
# windows (the data layer, the ledger, the statement readers, the reports, the printing of
# reports and the command line) run without a display and must stay that way.

function(_bankrec_collect_links target out)
    set(seen ${${out}})
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        if(NOT TARGET ${current} OR current IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(aliased ${current} ALIASED_TARGET)
        if(aliased)
            list(APPEND queue ${aliased})
        endif()
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(links ${current} ${property})
            if(links)
                foreach(link ${links})
                    # Generator expressions such as $<LINK_ONLY:x> name a library too.
                    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
                    if(NOT link MATCHES "^\\$<")
                        list(APPEND queue ${link})
                    endif()
                endforeach()
            endif()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Call it once every library's links are set.
function(bankrec_forbid_widgets target)
    set(reached)
    _bankrec_collect_links(${target} reached)
    foreach(forbidden Qt6::Widgets Qt6::PrintSupport Qt::Widgets Qt::PrintSupport)
        if(forbidden IN_LIST reached)
            message(FATAL_ERROR "${target} reaches ${forbidden}: it must run without widgets")
        endif()
    endforeach()
endfunction()
