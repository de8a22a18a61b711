# How the build spends less time without building or checking less.

# Programs are linked with LLVM's linker where it is installed (the set-up installs it): it links
# the test programs, with Qt's libraries and the sanitizers' runtime, several times faster than
# the system's default linker. Hosts that add the library's folder keep their own linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld QUILLET_LINKER_LLD)
if(QUILLET_LINKER_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# The editor's libraries and the Tcl component library are built from batches of their sources: a
# small source spends most of its compile time reading headers (Qt's, the standard library's),
# which a batch reads once. Test sources are not batched: they spend theirs generating code, and
# one large source of many tests takes longer than its parts. A source whose names would clash
# with another's in a batch is one to rename.
option(QUILLET_UNITY "Build the libraries from batches of their sources" ON)

function(quillet_unity_build target)
  if(QUILLET_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
  endif()
endfunction()

# The GoogleTest programs among the targets of directory dir.
function(quillet_test_programs dir result)
  set(programs "")
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(libraries ${target} LINK_LIBRARIES)
    if(type STREQUAL "EXECUTABLE" AND libraries MATCHES "GTest::")
      list(APPEND programs ${target})
    endif()
  endforeach()
  set(${result} ${programs} PARENT_SCOPE)
endfunction()

# Test programs are built for a quick compile: line tables only as their debug information (a
# failing test's backtrace and the sanitizers' reports need no more) and no optimisation. Their
# own code is set-up and assertions; generating and optimising GoogleTest's and Qt's templates is
# most of a test source's compile time, more than twice as long again under the sanitizers. The
# code they test is built as everywhere else.
function(quillet_quick_test_programs dir)
  quillet_test_programs(${dir} programs)
  foreach(program IN LISTS programs)
    target_compile_options(${program} PRIVATE -g1 -O0)
  endforeach()
endfunction()
