# Writes a delay-load import library for one system DLL, from MinGW's ordinary import library:
#     cmake -DNM=... -DDLLTOOL=... -DDLL=gdiplus -DIMPORT_LIBRARY=.../libgdiplus.a
#           -DOUTPUT=.../libgdiplus_delay.a -P delay_import_library.cmake
# A program linked against it loads the DLL at its first call into it instead of at start-up.
execute_process(COMMAND ${NM} ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "[^\n]* I __imp_[^\n]*" imports "${symbols}")
set(exports "")
foreach(line IN LISTS imports)
    string(REGEX REPLACE ".* I __imp_" "" name "${line}")
    string(APPEND exports "    ${name}\n")
endforeach()
get_filename_component(folder ${OUTPUT} DIRECTORY)
set(def ${folder}/${DLL}.def)
file(WRITE ${def} "LIBRARY ${DLL}.dll\nEXPORTS\n${exports}")
execute_process(COMMAND ${DLLTOOL} --input-def ${def} --output-delaylib ${OUTPUT}
                COMMAND_ERROR_IS_FATAL ANY)
