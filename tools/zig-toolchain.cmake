# Cross compilation with zig's clang (the `ziglang` package on PyPI), used by tools/build_wheels.py
# and tools/check_platforms.sh. ZIG_TARGET names the target as zig does (x86_64-linux-gnu.2.17,
# aarch64-linux-musl, ...); ZIG is the zig program that the ziglang package installs.
#
#   zig=$(python -c 'import ziglang, pathlib; print(pathlib.Path(ziglang.__file__).with_name("zig"))')
#   cmake -S . -B build/aarch64-musl -DCMAKE_TOOLCHAIN_FILE=tools/zig-toolchain.cmake \
#         -DZIG_TARGET=aarch64-linux-musl -DZIG="$zig" -DQUORVEL_MODULE=OFF -DQUORVEL_TOOLS=ON
set(ZIG_TARGET "" CACHE STRING "zig target triple, e.g. aarch64-linux-gnu.2.17")
set(ZIG "" CACHE FILEPATH "the zig program")
if(NOT ZIG_TARGET OR NOT ZIG)
  message(FATAL_ERROR "zig-toolchain.cmake needs -DZIG_TARGET=... and -DZIG=...")
endif()
# The test projects CMake builds while it checks the compiler see the same two settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZIG_TARGET ZIG)

string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR "${ZIG_TARGET}")
if(ZIG_TARGET MATCHES "-linux")
  set(CMAKE_SYSTEM_NAME Linux)
elseif(ZIG_TARGET MATCHES "-macos")
  set(CMAKE_SYSTEM_NAME Darwin)
elseif(ZIG_TARGET MATCHES "-windows")
  set(CMAKE_SYSTEM_NAME Windows)
endif()

# The compiler with its mandatory arguments; the archiver through small scripts, since CMake
# wants a single program there.
set(CMAKE_CXX_COMPILER "${ZIG}" c++ -target "${ZIG_TARGET}")
foreach(tool ar ranlib)
  set(script "${CMAKE_BINARY_DIR}/zig-${tool}")
  file(WRITE "${script}" "#!/bin/sh\nexec \"${ZIG}\" ${tool} \"$@\"\n")
  file(CHMOD "${script}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  string(TOUPPER "${tool}" name)
  set(CMAKE_${name} "${script}" CACHE FILEPATH "zig ${tool}" FORCE)
endforeach()

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# zig's C++ runtime carries debug information: strip it at link time, as scikit-build-core's
# install.strip does for a native build (the build machine's strip may not know the target).
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-s")
endforeach()
# The sources use no C++20 modules; without this, CMake looks for clang-scan-deps, which zig
# does not ship.
set(CMAKE_CXX_SCAN_FOR_MODULES OFF)
