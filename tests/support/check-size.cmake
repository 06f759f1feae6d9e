# Fails when FILE is larger than LIMIT bytes.
file(SIZE ${FILE} _size)
if(_size GREATER LIMIT)
  message(FATAL_ERROR "${FILE} weighs ${_size} bytes, more than its limit of ${LIMIT}")
endif()
message(STATUS "${FILE}: ${_size} bytes (limit ${LIMIT})")
