# One static library per folder under src/: sonvela_ui, sonvela_platform,
# sonvela_playlist, ... sonvela_app. src/LAYERS lists the folders bottom to
# top; each folder's CMakeLists.txt says, in one sonvela_layer() call, what
# its library links. The build enforces the order:
#
# - A folder may link only layers on the lines below its own in src/LAYERS:
#   naming a peer or a higher layer stops the configure.
# - Each folder gets an include root of its own, build/layers/<folder>/,
#   holding a link to itself alone. A library sees its own root and the
#   roots of the layers it links (directly or through them), nothing else:
#   an include of a folder it does not link ("shell/main_window.h" from
#   engine/) is not found and the compile fails.
#
# Nothing is derived from the sources' include lines, so what links what
# never depends on when CMake last ran. Adding a source file to a folder
# needs no edit here (the folders are globbed, and the build notices a new
# file); using a pkg-config module is one word in the folder's PKG list.

set(SONVELA_LAYERS_ROOT ${CMAKE_BINARY_DIR}/layers)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                       ${CMAKE_SOURCE_DIR}/src/LAYERS)
file(STRINGS ${CMAKE_SOURCE_DIR}/src/LAYERS layer_lines)
set(SONVELA_LAYERS)
file(REMOVE_RECURSE ${SONVELA_LAYERS_ROOT})
foreach(line IN LISTS layer_lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" line)
  if(line STREQUAL "")
    continue()
  endif()
  separate_arguments(peers UNIX_COMMAND "${line}")
  foreach(folder IN LISTS peers)
    # The layers a folder may link: those listed before its line.
    set(SONVELA_BELOW_${folder} ${SONVELA_LAYERS})
    file(MAKE_DIRECTORY ${SONVELA_LAYERS_ROOT}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${folder}
         ${SONVELA_LAYERS_ROOT}/${folder}/${folder} SYMBOLIC)
  endforeach()
  list(APPEND SONVELA_LAYERS ${peers})
endforeach()

# The small `sonvela` executable runs a few files of the layers before it
# loads the player (the command line, the instance guard, the hand-over).
# They are compiled once, into sonvela_start, which the executable and the
# layers that own them link; a folder names its share with START.
set_property(GLOBAL PROPERTY SONVELA_START_SOURCES)
set_property(GLOBAL PROPERTY SONVELA_START_FOLDERS)

# sonvela_layer(<folder>
#               [LAYERS <folder>...]   layers below it that its files include
#               [USES <target>...]     other libraries its headers or files use
#               [PKG <module>...]      pkg-config modules only its files use
#               [START <file.cpp>...]  its files that go into sonvela_start
#               [ENTRY_POINTS <file.cpp>...]) files with a main(), built by
#                                      their own targets
# Layers and USES are linked PUBLIC (a header may include them), PKG modules
# PRIVATE.
function(sonvela_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LAYERS;USES;PKG;START;ENTRY_POINTS")
  if(NOT folder IN_LIST SONVELA_LAYERS)
    message(FATAL_ERROR "src/${folder}/ is not listed in src/LAYERS")
  endif()
  foreach(layer IN LISTS arg_LAYERS)
    if(NOT layer IN_LIST SONVELA_BELOW_${folder})
      message(FATAL_ERROR "src/${folder}/CMakeLists.txt: ${folder} may not link "
                          "${layer}, which is not below it in src/LAYERS")
    endif()
  endforeach()

  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(entry_point IN LISTS arg_ENTRY_POINTS)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${entry_point})
  endforeach()
  foreach(start_source IN LISTS arg_START)
    get_filename_component(base ${start_source} NAME_WE)
    set(start_files ${CMAKE_CURRENT_SOURCE_DIR}/${start_source}
                    ${CMAKE_CURRENT_SOURCE_DIR}/${base}.h)
    # Compiled (and its header moc'ed) in sonvela_start alone.
    list(REMOVE_ITEM sources ${start_files})
    list(REMOVE_ITEM headers ${start_files})
    set_property(GLOBAL APPEND PROPERTY SONVELA_START_SOURCES ${start_files})
  endforeach()
  if(arg_START)
    set_property(GLOBAL APPEND PROPERTY SONVELA_START_FOLDERS ${folder})
    list(APPEND arg_USES sonvela_start)
  endif()

  add_library(sonvela_${folder} STATIC ${headers} ${sources})
  target_include_directories(sonvela_${folder} PUBLIC ${SONVELA_LAYERS_ROOT}/${folder})
  list(TRANSFORM arg_LAYERS PREPEND sonvela_)
  target_link_libraries(sonvela_${folder} PUBLIC ${arg_LAYERS} ${arg_USES})
  foreach(module IN LISTS arg_PKG)
    if(NOT TARGET PkgConfig::${module})
      pkg_check_modules(${module} REQUIRED IMPORTED_TARGET GLOBAL ${module})
    endif()
    target_link_libraries(sonvela_${folder} PRIVATE PkgConfig::${module})
  endforeach()
endfunction()

foreach(folder IN LISTS SONVELA_LAYERS)
  if(NOT EXISTS ${CMAKE_SOURCE_DIR}/src/${folder}/CMakeLists.txt)
    message(FATAL_ERROR "src/${folder}/ has no CMakeLists.txt saying what it links")
  endif()
  add_subdirectory(src/${folder})
endforeach()

get_property(start_sources GLOBAL PROPERTY SONVELA_START_SOURCES)
get_property(start_folders GLOBAL PROPERTY SONVELA_START_FOLDERS)
list(TRANSFORM start_folders PREPEND ${SONVELA_LAYERS_ROOT}/
     OUTPUT_VARIABLE SONVELA_START_INCLUDES)
add_library(sonvela_start STATIC ${start_sources})
# Private: the layers that link it must not see each other's roots through it.
target_include_directories(sonvela_start PRIVATE ${SONVELA_START_INCLUDES})
target_link_libraries(sonvela_start PUBLIC Qt6::Core Qt6::Network)
target_compile_definitions(sonvela_start PRIVATE SONVELA_VERSION="${PROJECT_VERSION}")

# Tests, benchmarks and tools that reach into many layers link them all;
# a static library adds only the objects a program uses.
add_library(sonvela_layers INTERFACE)
list(TRANSFORM SONVELA_LAYERS PREPEND sonvela_ OUTPUT_VARIABLE all_layers)
target_link_libraries(sonvela_layers INTERFACE ${all_layers})
