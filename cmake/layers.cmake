# The layers of src/ and what each folder may include: its own headers and those of the layers
# below it, never one above: text -> http, regex -> forum -> ui -> app, and media (checks on
# picture bytes, standing on nothing) under ui. Only ui and app may include the toolkit. The
# build runs this over every source before it compiles any.
cmake_policy(VERSION 3.25)  # also when the build runs this file as a script

set(tamsor_layers text http regex forum media ui app)
set(tamsor_text_uses text)
set(tamsor_http_uses text http)
set(tamsor_regex_uses text regex)
set(tamsor_forum_uses text http regex forum)
set(tamsor_media_uses media)
set(tamsor_ui_uses text http regex forum media ui)
set(tamsor_app_uses text http regex forum media ui app)
set(tamsor_toolkit_layers ui app)

# The folder of src/ an included path reaches, whichever way it is spelt ("ui/x.h", <ui/x.h>,
# "src/ui/x.h", "../ui/x.h"); empty for a path without a folder (a header beside the source, or
# a standard one such as <regex>).
function(tamsor_included_folder out path source_folder src_dir)
    if(path MATCHES "(^|/)\\.\\./")
        cmake_path(ABSOLUTE_PATH path BASE_DIRECTORY ${source_folder} NORMALIZE)
        cmake_path(RELATIVE_PATH path BASE_DIRECTORY ${src_dir})
    endif()
    string(REGEX REPLACE "^src/" "" path "${path}")
    set(folder "")
    if(path MATCHES "^([^/]+)/")
        set(folder ${CMAKE_MATCH_1})
    endif()
    set(${out} "${folder}" PARENT_SCOPE)
endfunction()

# Fails, naming every include that reaches up or into the toolkit from below it.
function(tamsor_check_layers src_dir)
    file(GLOB_RECURSE sources RELATIVE ${src_dir} ${src_dir}/*.h ${src_dir}/*.cpp)
    set(faults "")
    foreach(source IN LISTS sources)
        string(REGEX MATCH "^[^/]+" layer "${source}")
        if(NOT layer IN_LIST tamsor_layers)
            list(APPEND faults "src/${source}: src/${layer} is in no layer (cmake/layers.cmake)")
            continue()
        endif()
        get_filename_component(source_folder ${src_dir}/${source} DIRECTORY)
        file(STRINGS ${src_dir}/${source} includes REGEX "^[ \t]*#[ \t]*include")
        foreach(line IN LISTS includes)
            if(NOT line MATCHES "include[ \t]*[<\"]([^>\"]+)[>\"]")
                continue()
            endif()
            set(path "${CMAKE_MATCH_1}")
            tamsor_included_folder(included "${path}" ${source_folder} ${src_dir})
            if(included IN_LIST tamsor_layers AND NOT included IN_LIST tamsor_${layer}_uses)
                list(APPEND faults "src/${source}: src/${layer} may not include ${included}/")
            elseif(path MATCHES "^Q" AND NOT layer IN_LIST tamsor_toolkit_layers)
                list(APPEND faults "src/${source}: src/${layer} may not include the toolkit")
            endif()
        endforeach()
    endforeach()
    if(faults)
        list(JOIN faults "\n  " listed)
        message(FATAL_ERROR "Includes across the layers:\n  ${listed}")
    endif()
endfunction()

# Run by the build: cmake -DTAMSOR_SOURCE_DIR=<tree> -DTAMSOR_LAYERS_STAMP=<file> -P layers.cmake
if(CMAKE_SCRIPT_MODE_FILE)
    tamsor_check_layers(${TAMSOR_SOURCE_DIR}/src)
    file(TOUCH ${TAMSOR_LAYERS_STAMP})
endif()
