kv_add_fuzz(fuzz_pipe_request ${CMAKE_CURRENT_LIST_DIR}/PipeRequestFuzz.cpp
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/pipe_request
  LIBS kv_common)
