# Native Linux build: layer-1 tests under AddressSanitizer and UndefinedBehaviorSanitizer.
kelo_test(native_pure_tests SOURCES ${KELO_PURE_TESTS} LIBS kelo_pure)
kelo_test(native_sim_tests SOURCES ${KELO_SIM_TESTS} LIBS kelo_sim)
