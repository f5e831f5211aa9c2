# talvane_subsystem_library(<name> [dependencies...])
# A static library talvane_<name> from every source file of the calling folder.
# A folder that has no source files yet gives an interface library, so the
# layers above it always link.
function(talvane_subsystem_library name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(sources)
        add_library(talvane_${name} STATIC ${sources} ${headers})
        target_include_directories(talvane_${name} PUBLIC ${CMAKE_SOURCE_DIR})
        target_link_libraries(talvane_${name} PUBLIC ${ARGN})
    else()
        add_library(talvane_${name} INTERFACE)
        target_include_directories(talvane_${name} INTERFACE ${CMAKE_SOURCE_DIR})
        target_link_libraries(talvane_${name} INTERFACE ${ARGN})
    endif()
endfunction()
