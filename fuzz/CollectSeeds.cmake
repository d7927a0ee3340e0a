# Copies every file under DATA or POOL whose name ends in one of EXTENSIONS into OUT,
# named by its content's hash so that the same seed is never kept twice.
# EXTENSIONS separates its items with ",".
string(REPLACE "," ";" EXTENSIONS "${EXTENSIONS}")
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
foreach(folder ${DATA} ${POOL})
    foreach(extension ${EXTENSIONS})
        file(GLOB_RECURSE found ${folder}/*.${extension})
        foreach(seed ${found})
            file(SHA1 ${seed} hash)
            file(COPY_FILE ${seed} ${OUT}/${hash}.${extension})
        endforeach()
    endforeach()
endforeach()
