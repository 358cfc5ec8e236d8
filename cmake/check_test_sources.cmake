# Fails the configure when a source file under tests/ is built by no target: a test that is
# written but never compiled never runs, and nothing else would say so. Only meaningful with every
# part switched on (scripts/check-test-sources.sh configures so), since an option that is off
# leaves its targets undefined.

# The absolute paths of the sources of every target defined in `dir` and the folders below it.
function(tamsor_target_sources_below dir out)
    set(found)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(sources ${target} SOURCES)
        get_target_property(source_dir ${target} SOURCE_DIR)
        foreach(source IN LISTS sources)
            if(NOT source MATCHES "^\\$<")  # generator expressions name no file of the tree
                cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir} NORMALIZE)
                list(APPEND found ${source})
            endif()
        endforeach()
    endforeach()
    get_property(folders DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(folder IN LISTS folders)
        tamsor_target_sources_below(${folder} below)
        list(APPEND found ${below})
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

tamsor_target_sources_below(${PROJECT_SOURCE_DIR} built)
file(GLOB_RECURSE test_sources LIST_DIRECTORIES false ${PROJECT_SOURCE_DIR}/tests/*.cpp)
set(orphans)
foreach(source IN LISTS test_sources)
    if(NOT source IN_LIST built)
        cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
        list(APPEND orphans ${source})
    endif()
endforeach()
if(orphans)
    list(JOIN orphans "\n  " listed)
    message(FATAL_ERROR "Test sources no target builds, so they never run:\n  ${listed}")
endif()
message(STATUS "Every test source under tests/ is built by a target")
