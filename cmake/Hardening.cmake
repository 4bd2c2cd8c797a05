# Hardening for every build, not only for those made with dpkg-buildflags: position-independent
# executables, relocations made read-only and bound at start (relro, bindnow), glibc's checked
# string and memory functions (fortify) and stack protection. What the caller's CXXFLAGS or
# LDFLAGS already choose (Debian's build flags, for example) is left as it is.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

set(psu_given_flags "${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS}")

# glibc's checks work only in optimised code; in an unoptimised build they would only warn.
if(NOT psu_given_flags MATCHES "_FORTIFY_SOURCE")
  add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
endif()
if(NOT psu_given_flags MATCHES "stack-protector")
  add_compile_options(-fstack-protector-strong)
endif()
add_compile_options(-Wformat -Werror=format-security)
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "PSU_HAS${flag}" has_flag)
  check_cxx_compiler_flag(${flag} ${has_flag})
  if(${has_flag} AND NOT psu_given_flags MATCHES "${flag}")
    add_compile_options(${flag})
  endif()
endforeach()
if(NOT psu_given_flags MATCHES "-z,relro")
  add_link_options(LINKER:-z,relro)
endif()
if(NOT psu_given_flags MATCHES "-z,now")
  add_link_options(LINKER:-z,now)
endif()
