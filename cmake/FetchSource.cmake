# Points the cache path `var` at an unpacked tree of Debian's source package `package`, fetched
# into build/third_party on first configure (scripts/fetch-source.sh) unless it names a tree
# already; `marker` is a file every such tree holds.
function(kavlor_fetch_source var package marker)
    if(${var})
        return()
    endif()
    execute_process(
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-source.sh ${PROJECT_SOURCE_DIR}/build/third_party
                ${package} ${marker}
        OUTPUT_VARIABLE fetched OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE fetchResult)
    if(NOT fetchResult EQUAL 0 OR NOT EXISTS "${fetched}/${marker}")
        message(FATAL_ERROR "Could not fetch the ${package} sources (run scripts/install-deps.sh)")
    endif()
    set(${var} "${fetched}" CACHE PATH "" FORCE)
    set(${var} "${fetched}" PARENT_SCOPE)
endfunction()
