# Checks that the kit builds as a subdirectory of another CMake project: configures the
# embedding project and compiles the serial layer's file that includes the probed tty
# configuration. Run by CTest: cmake -DKIT_SOURCE_DIR=<kit> -DWORK_DIR=<scratch> -P <this file>
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${KIT_SOURCE_DIR}/cmake/embedding -B ${WORK_DIR} -G Ninja
          -DKIT_SOURCE_DIR=${KIT_SOURCE_DIR}
  RESULT_VARIABLE configured)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "the embedding project does not configure")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}
          --target serialkit/device/connection/CMakeFiles/kit_serial.dir/tty_line.cpp.o
  RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the serial layer does not compile inside the embedding project")
endif()
