# What the Windows build needs beyond the common one: the header-only
# libraries in a folder of their own, the programs' manifest, and Wine to
# run the tests. Included by the top-level CMakeLists.txt when WIN32.

enable_language(RC)

# The header-only libraries come from Debian's packages for the build
# machine. Their folder, /usr/include, also holds glibc's headers, which
# must never reach a Windows compile: the few headers needed are linked
# into a folder of the build's own instead.
set(TESSALINE_THIRD_PARTY_DIR ${CMAKE_BINARY_DIR}/third_party/include)
add_library(tessaline_third_party INTERFACE)
target_include_directories(tessaline_third_party SYSTEM INTERFACE ${TESSALINE_THIRD_PARTY_DIR})
# tessaline_third_party_header(SOURCE NAME PACKAGE): SOURCE, a file or a
# folder, appears as NAME in the folder; PACKAGE is the Debian package that
# has it.
function(tessaline_third_party_header source name package)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "${source} is missing: install ${package} (scripts/install-deps)")
  endif()
  get_filename_component(folder ${TESSALINE_THIRD_PARTY_DIR}/${name} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(CREATE_LINK ${source} ${TESSALINE_THIRD_PARTY_DIR}/${name} SYMBOLIC)
endfunction()
tessaline_third_party_header(/usr/include/stb/stb_image_write.h stb/stb_image_write.h libstb-dev)
tessaline_third_party_header(/usr/include/nlohmann nlohmann nlohmann-json3-dev)
# The readers of OBJ and glTF, where their packages are installed; tinygltf
# includes stb's headers without their folder.
foreach(header tiny_obj_loader.h tiny_gltf.h stb/stb_image.h)
  if(EXISTS /usr/include/${header})
    get_filename_component(name ${header} NAME)
    tessaline_third_party_header(/usr/include/${header} ${name} "")
  endif()
endforeach()
tessaline_third_party_header(/usr/include/stb/stb_image_write.h stb_image_write.h libstb-dev)
# Searches for these headers find the build's folder, never /usr/include.
foreach(variable TINYOBJLOADER_INCLUDE_DIR TESSALINE_TINYGLTF_INCLUDE_DIR TESSALINE_JSON_INCLUDE_DIR
                 STB_IMAGE_WRITE_INCLUDE_DIR)
  set(${variable} ${TESSALINE_THIRD_PARTY_DIR} CACHE PATH "" FORCE)
endforeach()

# tessaline_windows_manifest(TARGET PROGRAM): embeds the application
# manifest of both programs (platform/tessaline.manifest) into the program
# TARGET, whose file is PROGRAM.exe.
function(tessaline_windows_manifest target program)
  set(manifest ${PROJECT_SOURCE_DIR}/platform/tessaline.manifest)
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${program}-manifest.rc)
  file(WRITE ${resource}.in "#include <winuser.h>\nCREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${manifest}\"\n")
  configure_file(${resource}.in ${resource} COPYONLY)
  target_sources(${target} PRIVATE ${resource})
  set_property(SOURCE ${resource} APPEND PROPERTY OBJECT_DEPENDS ${manifest})
endfunction()

# The Linux build of the same sources: its native tools (the icon renderer)
# run during this build, and its converter is what the Windows one's output
# is compared with. `make windows` builds them there first.
set(TESSALINE_HOST_BUILD_DIR ${PROJECT_SOURCE_DIR}/build CACHE PATH "The native (Linux) build folder of the same sources")

# Tests run under Wine, in a prefix of the build's own (created by the first
# test), without its prompts for Mono and Gecko and without its messages.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND CMAKE_CROSSCOMPILING)
  find_program(TESSALINE_WINE wine)
  if(TESSALINE_WINE)
    set(TESSALINE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    configure_file(${PROJECT_SOURCE_DIR}/tests/windows/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  endif()
endif()
