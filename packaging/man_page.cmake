# Writes the manual page from the tool's own help: help2man turns `kestrel --help` and
# `kestrel --version` into the page, and the help of every subcommand becomes its COMMANDS
# section. cmake -DTOOL=... -DHELP2MAN=... -DGZIP=... -DWORK=... -DOUTPUT=... -P man_page.cmake
set(commands "list" "info" "jtag detect" "dap info" "mem read" "mem write" "power info" "update")
set(include "[COMMANDS]\n")
foreach(command IN LISTS commands)
  separate_arguments(words UNIX_COMMAND "${command}")
  execute_process(COMMAND ${TOOL} ${words} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kestrel ${command} --help failed: ${status}")
  endif()
  # The options every command takes are in the page once, from `kestrel --help`.
  string(FIND "${help}" "\n\n\nProbe:" common)
  if(common GREATER 0)
    string(SUBSTRING "${help}" 0 ${common} help)
  endif()
  string(REPLACE "\\" "\\e" help "${help}")
  string(APPEND include ".SS \"kestrel ${command}\"\n.nf\n${help}\n.fi\n")
endforeach()
file(WRITE ${WORK}/kestrel.h2m "${include}[SEE ALSO]\nThe README of the Kestrel sources.\n")
execute_process(
  COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
    "--name=list, choose and use Kestrel USB debug probes" --include=${WORK}/kestrel.h2m
    --output=${WORK}/kestrel.1 ${TOOL}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed: ${status}")
endif()
# Compressed as Debian's policy asks of manual pages; man reads it as it is.
execute_process(COMMAND ${GZIP} -9nf ${WORK}/kestrel.1 RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${status}")
endif()
file(RENAME ${WORK}/kestrel.1.gz ${OUTPUT})
