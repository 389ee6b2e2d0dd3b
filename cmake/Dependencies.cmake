# Every dependency comes from Debian's packages (see scripts/deps.sh).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(OpenGL REQUIRED)

find_package(Qt6 6.4 REQUIRED COMPONENTS
    Core Gui Widgets OpenGL OpenGLWidgets Network Core5Compat Test)
set(CMAKE_AUTOMOC OFF)

find_package(OpenSceneGraph 3.6 REQUIRED COMPONENTS
    osgViewer osgGA osgDB osgText osgUtil osgParticle osgSim)
add_library(morvane_osg INTERFACE)
target_include_directories(morvane_osg SYSTEM INTERFACE ${OPENSCENEGRAPH_INCLUDE_DIRS})
target_link_libraries(morvane_osg INTERFACE ${OPENSCENEGRAPH_LIBRARIES} OpenGL::GL)
add_library(Morvane::OSG ALIAS morvane_osg)

pkg_check_modules(ODE REQUIRED IMPORTED_TARGET ode>=0.16)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)

if(MORVANE_BUILD_TESTS)
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()
# Only the benchmarks need Google Benchmark (and FCL, bench/collision): a build
# without them leaves the benchmarks out.
if(MORVANE_BUILD_BENCHMARKS)
    find_package(benchmark QUIET)
    if(NOT benchmark_FOUND)
        message(STATUS "Google Benchmark not found: the benchmarks are not built")
        set(MORVANE_BUILD_BENCHMARKS OFF)
    endif()
endif()
