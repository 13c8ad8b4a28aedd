# Rebuilds the demo plant with its program into DESTINO and checks that every
# file is the committed one in ESPERADA, byte for byte.
file(REMOVE_RECURSE "${DESTINO}")
execute_process(COMMAND "${PROGRAMA}" "${DESTINO}" RESULT_VARIABLE resultado OUTPUT_QUIET)
if(NOT resultado EQUAL 0)
  message(FATAL_ERROR "generar_planta_demo terminó con ${resultado}")
endif()
foreach(archivo c9001_parque_mt.pmt c9001_series10min.sas c9001_calibrador.clp c9001.pmc
                c9001_modelo_calibrado.clp)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${DESTINO}/c9001/${archivo}" "${ESPERADA}/${archivo}"
                  RESULT_VARIABLE distinto)
  if(NOT distinto EQUAL 0)
    message(FATAL_ERROR "${archivo} rehecho difiere de examples/c9001/${archivo}")
  endif()
endforeach()
file(REMOVE_RECURSE "${DESTINO}")
