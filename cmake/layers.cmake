# One static library per folder under src/: sonvela_ui, sonvela_platform,
# sonvela_playlist, ... sonvela_app. src/LAYERS lists the folders bottom to
# top, and the build enforces it:
#
# - Each folder gets an include root of its own, build/layers/<folder>/,
#   holding links to itself and to the folders on the lines below it, and
#   nothing else. Its library is compiled with that root alone, so an
#   include of a higher folder or of a peer ("shell/main_window.h" from
#   engine/) is not found and the compile fails.
# - Each library links the libraries of the folders it includes: PRIVATE
#   for what its sources include, PUBLIC for what its headers include.
#   Since a folder can only include lower folders, the links only go down.
#
# Tests, benchmarks and tools link, the same way, the libraries of the
# folders they include (sonvela_link_included).

set(SONVELA_LAYERS_ROOT ${CMAKE_BINARY_DIR}/layers)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                       ${CMAKE_SOURCE_DIR}/src/LAYERS)
file(STRINGS ${CMAKE_SOURCE_DIR}/src/LAYERS layer_lines)
set(SONVELA_LAYERS)
set(layers_below)
file(REMOVE_RECURSE ${SONVELA_LAYERS_ROOT})
foreach(line IN LISTS layer_lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" line)
  if(line STREQUAL "")
    continue()
  endif()
  separate_arguments(peers UNIX_COMMAND "${line}")
  foreach(folder IN LISTS peers)
    file(MAKE_DIRECTORY ${SONVELA_LAYERS_ROOT}/${folder})
    foreach(visible IN LISTS layers_below folder)
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${visible}
           ${SONVELA_LAYERS_ROOT}/${folder}/${visible} SYMBOLIC)
    endforeach()
  endforeach()
  list(APPEND layers_below ${peers})
endforeach()
set(SONVELA_LAYERS ${layers_below})

# Links `target` to sonvela_<folder> for every "folder/..." a file of
# `files` includes, other than `own` (a folder name, or "").
function(sonvela_link_included target scope own)
  set(folders)
  foreach(path IN LISTS ARGN)
    file(STRINGS ${path} includes REGEX "^#include \"[a-z]+/")
    foreach(include IN LISTS includes)
      string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" folder "${include}")
      if(folder IN_LIST SONVELA_LAYERS AND NOT folder STREQUAL own)
        list(APPEND folders sonvela_${folder})
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  if(folders)
    target_link_libraries(${target} ${scope} ${folders})
  endif()
endfunction()

# What each layer uses besides other layers: Qt modules its headers name
# (PUBLIC), system libraries only its sources use (PRIVATE).
set(SONVELA_USES_ui PUBLIC Qt6::Widgets PRIVATE PkgConfig::XCB)
set(SONVELA_USES_platform PUBLIC Qt6::Core PRIVATE PkgConfig::CDIO PkgConfig::LIBAV)
set(SONVELA_USES_playlist PUBLIC Qt6::Core)
set(SONVELA_USES_engine PUBLIC Qt6::Widgets Qt6::OpenGL PRIVATE PkgConfig::MPV)
set(SONVELA_USES_shared PUBLIC Qt6::Core)
set(SONVELA_USES_playback PUBLIC Qt6::Widgets)
set(SONVELA_USES_video PUBLIC Qt6::Widgets)
set(SONVELA_USES_vcd PUBLIC Qt6::Core)
set(SONVELA_USES_tips PUBLIC Qt6::Widgets)
set(SONVELA_USES_desktop PUBLIC Qt6::DBus Qt6::Network)
set(SONVELA_USES_shell PUBLIC Qt6::Widgets)
set(SONVELA_USES_app PUBLIC Qt6::Widgets Qt6::Network)

foreach(folder IN LISTS SONVELA_LAYERS)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp)
  # The two entry points: the small executable's and the player's.
  list(FILTER sources EXCLUDE REGEX "/src/app/(player_)?main\\.cpp$")
  add_library(sonvela_${folder} STATIC ${headers} ${sources})
  target_include_directories(sonvela_${folder} PUBLIC ${SONVELA_LAYERS_ROOT}/${folder})
  target_link_libraries(sonvela_${folder} ${SONVELA_USES_${folder}})
  sonvela_link_included(sonvela_${folder} PUBLIC ${folder} ${headers})
  sonvela_link_included(sonvela_${folder} PRIVATE ${folder} ${sources})
endforeach()
