# Turns a manual page's scdoc source into roff, compressed as Debian installs manual pages.
#   cmake -DSCDOC=scdoc -DSOURCE=page.1.scd -DOUTPUT=page.1.gz -P render.cmake
# Options and paths are long words full of hyphens and slashes: the page is set without
# hyphenation and with a ragged right edge, so that none of them is broken across lines.
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_VARIABLE roff ERROR_VARIABLE error
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "scdoc failed on ${SOURCE}: ${error}")
endif()
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.nh\n.ad l\n" roff "${roff}")
string(REGEX REPLACE "\\.gz$" "" page ${OUTPUT})
file(WRITE ${page} "${roff}")
execute_process(COMMAND gzip -9nf ${page} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${page}")
endif()
