# Helpers shared by the plug-in, the tools, the tests and the benchmarks.

# Flags for the project's own sources: warnings, and no contraction of
# multiply-add into fused instructions, so the audio path computes exactly
# the single-precision operations it spells out on every machine.
add_library(corvane_code_options INTERFACE)
target_compile_options(corvane_code_options INTERFACE
    -Wall -Wextra -Wshadow -Wno-unused-parameter -ffp-contract=off)

# Lets an executable use the shared code target (JUCE, the library and the
# plug-in's classes, compiled once) without compiling any of it again.
function(corvane_use_shared_code target)
    target_link_libraries(${target} PRIVATE CorvaneReverse corvane_code_options)
    target_include_directories(${target} PRIVATE
        $<TARGET_PROPERTY:CorvaneReverse,INCLUDE_DIRECTORIES>
        "${JUCE_MODULES_DIR}"
        "${PROJECT_SOURCE_DIR}")
endfunction()
