# The repository's root, where every include path starts (also when the fuzz
# harnesses' own project builds the core folders).
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH TALVANE_SOURCE_ROOT)

# talvane_subsystem_library(<name> [dependencies...])
# A static library talvane_<name> from every source file of the calling folder.
# A folder that has no source files yet gives an interface library, so the
# layers above it always link.
function(talvane_subsystem_library name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(sources)
        add_library(talvane_${name} STATIC ${sources} ${headers})
        target_include_directories(talvane_${name} PUBLIC ${TALVANE_SOURCE_ROOT})
        target_link_libraries(talvane_${name} PUBLIC ${ARGN})
    else()
        add_library(talvane_${name} INTERFACE)
        target_include_directories(talvane_${name} INTERFACE ${TALVANE_SOURCE_ROOT})
        target_link_libraries(talvane_${name} INTERFACE ${ARGN})
    endif()
endfunction()
