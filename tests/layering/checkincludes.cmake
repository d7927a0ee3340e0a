# Fails when a source file includes a header its folder may not depend on.
# Usage: cmake -DSOURCE_DIR=<src> -P checkincludes.cmake

# forbid(<folder> <include pattern> <why>)
set(violations "")
function(forbid folder pattern why)
    file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]${pattern}")
        foreach(line IN LISTS lines)
            file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
            string(STRIP "${line}" line)
            list(APPEND violations "${relative}: ${line} (${why})")
        endforeach()
    endforeach()
    set(violations "${violations}" PARENT_SCOPE)
endfunction()

# The desktop program's shell sits on top: nothing else in it includes app/.
foreach(folder editor device config widgets)
    forbid(kernwick/${folder} "app/" "only the shell may use app/")
endforeach()
# Shared widgets sit at the bottom of the program.
foreach(folder editor device config)
    forbid(widgets "${folder}/" "widgets/ uses nothing above it")
endforeach()
# The core shows no windows and draws nothing outside render/.
foreach(folder font config device io)
    forbid(libkernwick/${folder} "Q(Widget|Dialog|Painter|Image|Font|Color)[ >\"]" "no Qt Gui or Widgets in the core")
    forbid(libkernwick/${folder} "libkernwick/render/" "the core never draws")
    forbid(libkernwick/${folder} "(app|editor|widgets)/" "the core knows no program")
endforeach()
forbid(libkernwick/render "Q(Widget|Dialog|MainWindow|Action)[ >\"]" "render/ uses no widgets")
# The simulator checks the core's protocol code, so it never uses it.
forbid(sim "libkernwick/(font|config|device|render)/" "the simulator keeps its own board logic")

list(LENGTH violations count)
if(count GREATER 0)
    list(JOIN violations "\n" report)
    message(FATAL_ERROR "${count} include(s) break the folder rules:\n${report}")
endif()
