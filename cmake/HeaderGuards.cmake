# Run by the test layers.HeadersGuarded (cmake -P, HEADERS naming a file of header paths, one
# a line): every header of the checked targets has its include guard. Most headers are not
# compiled twice in a row any more (see corvanel_add_header_check), so a missing guard would
# show only once two includers meet.
file(STRINGS "${HEADERS}" headers)
set(unguarded)
foreach(header IN LISTS headers)
  file(STRINGS "${header}" guard REGEX "^#pragma once" LIMIT_COUNT 1)
  if(NOT guard)
    list(APPEND unguarded ${header})
  endif()
endforeach()
list(LENGTH headers count)
if(unguarded)
  list(JOIN unguarded "\n  " listed)
  message(FATAL_ERROR "Headers without #pragma once:\n  ${listed}")
endif()
message(STATUS "${count} headers, each with #pragma once")
